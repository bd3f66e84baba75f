#!/bin/sh
# systemd-analyze verify on the logger's unit, pointed at the logger of this build (verify wants
# the program to exist). Any complaint fails: verify itself exits 0 on settings it ignores.
# Exits 77 (skipped) where systemd-analyze is missing.
set -eu
unit="$1"
program="$2"
command -v systemd-analyze >/dev/null 2>&1 || { echo "no systemd-analyze"; exit 77; }
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT
sed "s#^ExecStart=[^ ]*#ExecStart=$program#" "$unit" >"$dir/kelvra-anemometer-logger.service"
output="$(systemd-analyze verify --man=no "$dir/kelvra-anemometer-logger.service" 2>&1)" || {
  echo "$output"; exit 1; }
[ -z "$output" ] || { echo "$output"; exit 1; }
# Hardened: systemd's own measure of the service's exposure at most 1.5 (the threshold counts
# tenths). Older systemd-analyze cannot rate a unit file that is not loaded.
if systemd-analyze security --help 2>/dev/null | grep -q -- '--offline'; then
  systemd-analyze security --offline=true --threshold=15 \
    "$dir/kelvra-anemometer-logger.service" >"$dir/security" 2>&1 || {
    grep -v '^✓' "$dir/security"; exit 1; }
fi
# A wrong command line is not retried every RestartSec for ever.
grep -q '^RestartPreventExitStatus=2$' "$unit"
grep -q '^ExecStart=.*--log /var/log/kelvra-anemometer/wind-%%Y-%%m-%%d.csv' "$unit"
# The options and the secrets' variables (KELVRA_HTTP_PASSWORD, ...) come from the options file,
# and the options reach the command line.
grep -q '^EnvironmentFile=-/etc/default/kelvra-anemometer-logger$' "$unit"
grep -q '^ExecStart=.* \$KELVRA_LOGGER_OPTIONS$' "$unit"
