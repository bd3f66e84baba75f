#!/usr/bin/env bash
# Runs a built program the way a terminal user would, with no display at all: --help and
# --version answer on standard output and exit 0, a wrong option or argument gives a short error
# on standard error and exit 2. No window may be needed for any of them. A window program also
# takes Qt's own options, starts on a platform chosen without a display, and otherwise says in one
# line that there is no display.
#
#   check_command_line.sh PROGRAM EXPECTED_VERSION_LINE window|logger|archive
# The archive tool reads no settings, so it has no --config-dir.
set -uo pipefail
program="$1"
version_line="$2"
kind="$3"
name="$(basename "$program")"
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
out="$(mktemp)"
err="$(mktemp)"
trap 'rm -f "$out" "$err"' EXIT

# run [VAR=VALUE...] ARGS...: sets status, with the outputs in $out and $err. A window that
# starts ends at once (ANEMOMETER_QUIT_WHEN_STARTED); timeout bounds one that would not.
run() {
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ANEMOMETER_QUIT_WHEN_STARTED=1 \
    timeout 30 env "$@" >"$out" 2>"$err"
  status=$?
}

run "$program" --version
[ "$status" -eq 0 ] || fail "--version exits $status"
[ "$(cat "$out")" = "$version_line" ] || fail "--version prints '$(cat "$out")'"

for help in --help -h; do
  run "$program" "$help"
  [ "$status" -eq 0 ] || fail "$help exits $status: $(cat "$err")"
  options="--help --version"
  [ "$kind" = archive ] || options="$options --config-dir"
  for option in $options; do
    grep -q -- "$option" "$out" || fail "$help does not mention $option"
  done
done

for wrong in --no-such-option "an argument" "--config-dir" --help-all; do
  run "$program" $wrong
  [ "$status" -eq 2 ] || fail "'$wrong' exits $status"
  [ -s "$out" ] && fail "'$wrong' prints on standard output: $(cat "$out")"
  lines="$(wc -l <"$err")"
  { [ "$lines" -ge 1 ] && [ "$lines" -le 3 ]; } || fail "'$wrong' gives $lines lines of error: $(cat "$err")"
done

no_display="$name: no display: set DISPLAY or WAYLAND_DISPLAY, or use kelvra-anemometer-logger for capture without a window"
# kind|status|what it says: all of standard error for 1, a part of standard output for 0 (a window
# that starts says nothing), of standard error for 2|environment and arguments
cases=(
  "any|2|Unknown option 'frobnicate'.|$program --frobnicate"
  "any|2|Unknown option 'frobnicate'.|$program -frobnicate"
  "window|0|$version_line|$program -platform offscreen --version"
  "window|0|$version_line|$program --style=Fusion -qwindowtitle Wind -reverse --version"
  "window|1|$no_display|$program"
  "window|1|$no_display|DISPLAY= WAYLAND_DISPLAY= $program --config-dir /tmp"
  "window|0||$program -platform offscreen"
  "window|0||QT_QPA_PLATFORM=offscreen $program"
  "logger|2|Unknown option 'platform'.|$program -platform offscreen"
  "archive|2|Unknown option 'platform'.|$program -platform offscreen"
  "archive|2|Unknown command 'frobnicate'.|$program frobnicate"
)
for row in "${cases[@]}"; do
  IFS='|' read -r who expected said command <<<"$row"
  [ "$who" = any ] || [ "$who" = "$kind" ] || continue
  run $command
  [ "$status" -eq "$expected" ] || fail "'$command' exits $status: $(cat "$err")"
  case "$expected" in
    0) [ -z "$said" ] || grep -qF -- "$said" "$out" || fail "'$command' prints '$(cat "$out")'" ;;
    1) [ "$(cat "$err")" = "$said" ] || fail "'$command' says '$(cat "$err")'" ;;
    *) grep -qF -- "$said" "$err" || fail "'$command' says '$(cat "$err")'" ;;
  esac
done

[ "$failures" -eq 0 ] || exit 1
echo "$name: command line answers without a display"
