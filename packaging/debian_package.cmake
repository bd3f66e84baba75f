# The Debian package: `cpack -G DEB` in the build tree (or `cmake --build <dir> --target package`)
# packs everything `cmake --install` installs, under /usr. A new program or file joins the package
# by having an install() rule; a run-time dependency that the shared libraries do not reveal goes
# into ANEMOMETER_PACKAGE_DEPENDS.
set(ANEMOMETER_PACKAGE_DEPENDS
  fonts-wine               # the Tahoma the window was laid out for
  qt6-translations-l10n    # Qt's Czech texts for standard buttons and file dialogs
  CACHE STRING "Run-time dependencies of the package besides its shared libraries")
list(JOIN ANEMOMETER_PACKAGE_DEPENDS ", " package_depends)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelvra-anemometer)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Kelvra)
set(CPACK_PACKAGE_CONTACT "Kelvra <dev@kelvra.cz>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "watch and record wind data from the Kelvra USB anemometer")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://kelvra.cz/anemometer/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)  # dpkg-shlibdeps, from dpkg-dev
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${package_depends}")
# CPack puts the summary above this as the synopsis line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "The program reads the Kelvra USB anemometer (cup rotor, wind vane and
thermometer on one USB HID device) and shows its measurements live: wind
speed and gusts through an editable calibration table, wind direction on a
wind rose, wind chill, the Beaufort number, temperature and trend charts.
It checks alarm limits with a sound and an event list, saves CSV files, keeps
a live log and prints PDF reports. The user interface is Czech.
.
The package also holds kelvra-anemometer-demo, the same program on a
simulated anemometer, a udev rule that gives the user at the seat access
to the anemometer, and kelvra-anemometer-logger, which logs without a
window into daily CSV files and publishes every record to an MQTT broker
(with Home Assistant discovery), with a systemd unit to run it at boot,
and kelvra-anemometer-archive, which imports the CSV files into the station
archive, prints monthly and yearly climatological summaries and the
station's records, and exports records back into CSV.")
# The maintainer scripts: the logger service's group, the udev rules applied at once, and the
# service's unit looked after on upgrade, removal and purge as Debian's systemd helpers do it.
if(ANEMOMETER_INSTALL_SYSTEMD_UNIT)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/postinst
    ${CMAKE_CURRENT_LIST_DIR}/prerm ${CMAKE_CURRENT_LIST_DIR}/postrm)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
endif()
include(CPack)
