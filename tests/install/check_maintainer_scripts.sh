#!/usr/bin/env bash
# Runs the package's maintainer scripts through installation, enabling by the administrator,
# upgrade, removal and purge, each step twice (dpkg may repeat a step after a failure), and
# checks what they leave behind and what they ask of systemd.
#
#   check_maintainer_scripts.sh CONTROL_DIR ROOT SCRATCH
#
# CONTROL_DIR holds the scripts (dpkg-deb -e), ROOT the package's files (dpkg-deb -x). Two runs:
#  - into ROOT as dpkg --root does it (DPKG_ROOT), with Debian's own deb-systemd-helper and
#    systemctl --root, so the enable link, its record and the service's folders are real files;
#  - as on a running systemd, in a private mount namespace whose /run says so, with every
#    systemd and udev command replaced by one that records its call.
set -uo pipefail
unit=kelvra-anemometer-logger.service

if [ "${1:-}" = --running-system ]; then
  # Inside the namespace: only /run is private, so nothing below may purge or write outside it.
  control="$2" scratch="$3"
  mount -t tmpfs tmpfs /run || { echo "cannot mount a private /run" >&2; exit 1; }
  mkdir -p /run/systemd/system
  failures=0
  fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
  calls="$scratch/calls"
  step() {
    : >"$calls"
    for run in 1 2; do
      DPKG_MAINTSCRIPT_NAME="$1" "$control/$1" "${@:2}" || fail "$* (run $run) exits $?"
    done
  }
  called() { grep -qxF "$1" "$calls"; }

  step postinst configure ""
  called "systemctl --system daemon-reload" || fail "installation does not reload systemd"
  ! grep -q '^deb-systemd-invoke' "$calls" || fail "installation starts the service: $(cat "$calls")"
  called "systemd-sysusers kelvra-anemometer.conf" || fail "installation makes no group"
  called "deb-systemd-helper update-state $unit" || fail "installation does not record the unit's links"
  step postinst configure 1.2.8
  [ "$(grep -cxF "deb-systemd-invoke try-restart $unit" "$calls")" = 2 ] ||
    fail "an upgrade does not restart a running service: $(cat "$calls")"
  step prerm upgrade 1.2.10
  [ ! -s "$calls" ] || fail "prerm before an upgrade asks: $(cat "$calls")"
  step prerm remove
  [ "$(grep -cxF "deb-systemd-invoke stop $unit" "$calls")" = 2 ] ||
    fail "removal does not stop the service: $(cat "$calls")"
  step postrm remove
  called "systemctl --system daemon-reload" || fail "removal does not reload systemd"
  exit "$failures"
fi

control="$1" root="$2" scratch="$3"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
rm -rf "$scratch"
mkdir -p "$scratch/stubs"
# Stand-ins that record their calls in $STUB_CALLS and succeed.
for command in systemctl deb-systemd-invoke deb-systemd-helper systemd-sysusers udevadm addgroup; do
  printf '#!/bin/sh\necho "%s $*" >>"$STUB_CALLS"\n' "$command" >"$scratch/stubs/$command"
  chmod +x "$scratch/stubs/$command"
done

# Into a root as dpkg --root: the real helpers, and only the running-system commands recorded.
mkdir -p "$scratch/root-stubs"
for command in systemctl deb-systemd-invoke udevadm addgroup; do
  ln -s "$scratch/stubs/$command" "$scratch/root-stubs/$command"
done
real_systemctl="$(command -v systemctl)"
export STUB_CALLS="$scratch/root-calls" DPKG_MAINTSCRIPT_PACKAGE=kelvra-anemometer
: >"$STUB_CALLS"
step() {
  for run in 1 2; do
    DPKG_ROOT="$root" DPKG_MAINTSCRIPT_NAME="$1" PATH="$scratch/root-stubs:$PATH" \
      "$control/$1" "${@:2}" || fail "$* into a root (run $run) exits $?"
  done
}
mkdir -p "$root/etc"  # every root has one; the package brings none
link="$root/etc/systemd/system/multi-user.target.wants/$unit"
record="$root/var/lib/systemd/deb-systemd-helper-enabled/$unit.dsh-also"

step postinst configure ""
[ -f "$record" ] || fail "installation does not record the unit's enable links"
[ ! -e "$link" ] && [ ! -L "$link" ] || fail "installation enables the service"
if command -v systemd-sysusers >/dev/null; then
  [ "$(grep -c '^kelvra-anemometer:' "$root/etc/group" 2>/dev/null)" = 1 ] ||
    fail "installation does not make the group kelvra-anemometer once"
fi
# The administrator enables the service; it runs and writes its log; they add a table.
if [ -n "$real_systemctl" ]; then
  "$real_systemctl" --root="$root" enable "$unit" >/dev/null 2>&1
else
  DPKG_ROOT="$root" DPKG_MAINTSCRIPT_NAME=postinst deb-systemd-helper enable "$unit"
fi
[ -L "$link" ] || fail "the service could not be enabled in the root"
mkdir -p "$root/var/log/private/kelvra-anemometer" "$root/etc/kelvra-anemometer"
echo row >"$root/var/log/private/kelvra-anemometer/wind-2026-01-01.csv"
ln -s private/kelvra-anemometer "$root/var/log/kelvra-anemometer"
echo "12149.000000 2169.464355" >"$root/etc/kelvra-anemometer/anemometer.cal"

step postinst configure 1.2.8
[ -L "$link" ] || fail "an upgrade disables the service"
step prerm remove
step postrm remove
[ -L "$link" ] || fail "removal (not purge) drops the enable link"
[ -f "$root/var/log/private/kelvra-anemometer/wind-2026-01-01.csv" ] || fail "removal drops the logs"
step postrm purge
[ ! -L "$link" ] || fail "purge leaves the enable link"
[ ! -e "$record" ] || fail "purge leaves the record of the enable links"
[ ! -e "$root/var/log/kelvra-anemometer" ] && [ ! -L "$root/var/log/kelvra-anemometer" ] ||
  fail "purge leaves /var/log/kelvra-anemometer"
[ ! -e "$root/var/log/private/kelvra-anemometer" ] || fail "purge leaves the service's logs"
[ -f "$root/etc/kelvra-anemometer/anemometer.cal" ] || fail "purge drops the administrator's table"
[ ! -s "$STUB_CALLS" ] || fail "scripts for another root touch the running system: $(cat "$STUB_CALLS")"

# As on a running systemd.
export STUB_CALLS="$scratch/calls"
namespace=(unshare --mount --propagation private)
[ "$(id -u)" = 0 ] || namespace=(unshare --map-root-user --mount --propagation private)
if "${namespace[@]}" true 2>/dev/null; then
  PATH="$scratch/stubs:$PATH" "${namespace[@]}" "$0" --running-system "$control" "$scratch" ||
    failures=$((failures + $?))
else
  echo "no private mount namespace here: the scripts on a running systemd are not checked"
fi
exit "$failures"
