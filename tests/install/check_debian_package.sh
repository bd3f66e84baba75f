#!/usr/bin/env bash
# Makes the Debian package with CPack from a build tree into a scratch folder and checks it: the
# control fields, Depends from the shared libraries plus the declared packages, exactly the
# expected files, the programs hardened (when the tree was built with Debian's hardening flags),
# the maintainer scripts (check_maintainer_scripts.sh), the logger service as systemd rates it
# (when systemd-analyze is installed), and no lintian finding of severity error (when lintian is
# installed).
#
#   check_debian_package.sh --cpack CPACK --build DIR --scratch DIR --version VERSION
#     --expected-files LIST --hardened ON|OFF --readelf PROGRAM
#     --lintian PROGRAM (empty or *-NOTFOUND: skipped)
set -uo pipefail

while [ $# -gt 0 ]; do
  case "$1" in
    --cpack) cpack="$2" ;;
    --build) build="$2" ;;
    --scratch) scratch="$2" ;;
    --version) version="$2" ;;
    --expected-files) expected_files="$2" ;;
    --lintian) lintian="$2" ;;
    --hardened) hardened="$2" ;;
    --readelf) readelf="$2" ;;
    *) echo "unknown argument: $1" >&2; exit 2 ;;
  esac
  shift 2
done
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

rm -rf "$scratch"
mkdir -p "$scratch"
if ! "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$scratch" >"$scratch/cpack.log" 2>&1; then
  cat "$scratch/cpack.log" >&2
  echo "FAIL: cpack did not make the package" >&2
  exit 1
fi
debs=("$scratch"/*.deb)
if [ "${#debs[@]}" -ne 1 ] || [ ! -f "${debs[0]}" ]; then
  echo "FAIL: expected one .deb in $scratch, found: ${debs[*]}" >&2
  exit 1
fi
deb="${debs[0]}"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = kelvra-anemometer ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version), not $version"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture: $(field Architecture)"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ -n "$(field Description)" ] || fail "no Description"
depends="$(field Depends)"
# The libraries the programs link (found by dpkg-shlibdeps) and the two packages they need
# without linking them.
for package in libc6 libqt6widgets6 libqt6multimedia6 libhidapi-hidraw0 libhpdf fonts-wine \
    qt6-translations-l10n; do
  grep -qE "(^|, )$package[^,]*" <<<"$depends" || fail "Depends lacks $package: $depends"
done

# Regular files and links, without the leading "./".
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sed 's|^\./||' | sort >"$scratch/files.txt"
mapfile -t patterns < <(grep -v -e '^#' -e '^$' "$expected_files")
while IFS= read -r file; do
  matched=0
  for pattern in "${patterns[@]}"; do
    # shellcheck disable=SC2053  # the pattern is meant to glob
    [[ "$file" == $pattern ]] && matched=1
  done
  [ "$matched" -eq 1 ] || fail "not in the list of expected files: $file"
done <"$scratch/files.txt"
for pattern in "${patterns[@]}"; do
  count=0
  while IFS= read -r file; do
    # shellcheck disable=SC2053
    [[ "$file" == $pattern ]] && count=$((count + 1))
  done <"$scratch/files.txt"
  [ "$count" -eq 1 ] || fail "$count files in the package for $pattern"
done

# The executables run from the package's layout: --version without a display.
mkdir -p "$scratch/root"
dpkg-deb -x "$deb" "$scratch/root"
line="$(env -u DISPLAY -u WAYLAND_DISPLAY "$scratch/root/usr/bin/kelvra-anemometer" --version)"
[ "$line" = "kelvra-anemometer $version" ] || fail "the packaged program says '$line'"

# Built with dpkg-buildflags' hardening: relocations resolved at start and then read-only, the
# stack protector, and the checked (fortified) variants of the C library's functions. A program
# calls a checked variant only where the compiler knows a buffer's size, so that one is looked
# for in all programs together (they are compiled with the same flags).
if [ "$hardened" = ON ]; then
  fortified=0
  for program in "$scratch"/root/usr/bin/*; do
    name="$(basename "$program")"
    "$readelf" -dW "$program" | grep -qE 'FLAGS.*[[:space:]](BIND_)?NOW' || fail "$name: not bind-now"
    "$readelf" -lW "$program" | grep -q GNU_RELRO || fail "$name: no relro"
    symbols="$("$readelf" --dyn-syms -W "$program")"
    grep -q __stack_chk_fail <<<"$symbols" || fail "$name: no stack protector"
    grep -qE '__[a-z0-9_]+_chk@' <<<"$symbols" && fortified=1
  done
  [ "$fortified" = 1 ] || fail "no program calls a fortified function"
else
  echo "built without Debian's hardening flags (ANEMOMETER_HARDENING): not checked"
fi

# Install, enable, upgrade, remove and purge, by the package's own maintainer scripts.
dpkg-deb -e "$deb" "$scratch/control"
for script in postinst prerm postrm; do
  [ -x "$scratch/control/$script" ] || fail "the package has no $script"
done
"$(dirname "$0")/check_maintainer_scripts.sh" "$scratch/control" "$scratch/root" "$scratch/scripts" ||
  fail "the maintainer scripts"

# The packaged service: systemd takes it without complaint and rates its exposure at most 1.5.
unit="$(find "$scratch/root" -path '*/systemd/system/kelvra-anemometer-logger.service' | head -n 1)"
if [ -z "$unit" ]; then
  fail "no logger service in the package"
else
  "$(dirname "$0")/../logger/verify_systemd_unit.sh" "$unit" \
    "$scratch/root/usr/bin/kelvra-anemometer-logger"
  case $? in
    0) ;;
    77) echo "systemd-analyze is not installed: the service's check is skipped" ;;
    *) fail "the packaged service is not accepted or exposes too much" ;;
  esac
fi

case "${lintian:-}" in
  "" | *-NOTFOUND) echo "lintian is not installed: its check is skipped" ;;
  *)
    "$lintian" --allow-root --tag-display-limit 0 "$deb" >"$scratch/lintian.txt" 2>&1
    if grep -q '^E: ' "$scratch/lintian.txt"; then
      grep '^E: ' "$scratch/lintian.txt" >&2
      fail "lintian reports errors"
    fi
    ;;
esac

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed; the package is $deb" >&2
  exit 1
fi
echo "package $(basename "$deb") is complete"
