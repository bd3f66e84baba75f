# Debian's hardening flags, as dpkg-buildflags gives them to every package of the distribution:
# _FORTIFY_SOURCE, the strong stack protector, format-string checks, and a read-only relocation
# table resolved at start (relro, now). On by default in optimised builds without sanitizers, so
# the package made from such a tree is hardened; off where they would get in the way: a Debug
# build (_FORTIFY_SOURCE needs optimisation and warns without it) and the sanitizer and fuzz
# builds (the checked functions would hide accesses from AddressSanitizer). Only the hardening
# flags are taken: the build type keeps its optimisation and debug level, and source paths stay
# absolute for the debugger.
find_program(DPKG_BUILDFLAGS dpkg-buildflags)
set(hardening_default OFF)
if(DPKG_BUILDFLAGS AND NOT ANEMOMETER_SANITIZE AND NOT ANEMOMETER_BUILD_FUZZ
    AND CMAKE_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo|MinSizeRel)$")
  set(hardening_default ON)
endif()
option(ANEMOMETER_HARDENING "Compile and link with Debian's hardening flags (dpkg-buildflags)"
  ${hardening_default})

if(ANEMOMETER_HARDENING)
  if(NOT DPKG_BUILDFLAGS)
    message(FATAL_ERROR "ANEMOMETER_HARDENING needs dpkg-buildflags (Debian package dpkg-dev)")
  endif()
  set(buildflags_environment
    "DEB_BUILD_MAINT_OPTIONS=hardening=+all reproducible=-fixfilepath,-fixdebugpath"
    "DEB_CPPFLAGS_MAINT_STRIP=" "DEB_CFLAGS_MAINT_STRIP=-O2 -g" "DEB_CXXFLAGS_MAINT_STRIP=-O2 -g")
  foreach(kind CPPFLAGS CFLAGS CXXFLAGS LDFLAGS)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env ${buildflags_environment}
        ${DPKG_BUILDFLAGS} --get ${kind}
      OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    separate_arguments(hardening_${kind} UNIX_COMMAND "${flags}")
  endforeach()
  add_compile_options(
    "$<$<COMPILE_LANGUAGE:C,CXX>:${hardening_CPPFLAGS}>"
    "$<$<COMPILE_LANGUAGE:C>:${hardening_CFLAGS}>"
    "$<$<COMPILE_LANGUAGE:CXX>:${hardening_CXXFLAGS}>")
  add_link_options(${hardening_LDFLAGS})
  message(STATUS "Debian hardening flags: ${hardening_CPPFLAGS} ${hardening_CXXFLAGS} ${hardening_LDFLAGS}")
endif()
