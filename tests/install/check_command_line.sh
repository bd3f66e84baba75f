#!/usr/bin/env bash
# Runs a built program the way a terminal user would, with no display at all: --help and
# --version answer on standard output and exit 0, a wrong option or argument gives a short error
# on standard error and exit 2. No window may be needed for any of them.
#
#   check_command_line.sh PROGRAM EXPECTED_VERSION_LINE
set -uo pipefail
program="$1"
version_line="$2"
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
out="$(mktemp)"
err="$(mktemp)"
trap 'rm -f "$out" "$err"' EXIT

# run ARGS...: sets status, with the outputs in $out and $err.
run() {
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" "$@" >"$out" 2>"$err"
  status=$?
}

run --version
[ "$status" -eq 0 ] || fail "--version exits $status"
[ "$(cat "$out")" = "$version_line" ] || fail "--version prints '$(cat "$out")'"

for help in --help -h; do
  run "$help"
  [ "$status" -eq 0 ] || fail "$help exits $status: $(cat "$err")"
  for option in --help --version --config-dir; do
    grep -q -- "$option" "$out" || fail "$help does not mention $option"
  done
done

for wrong in --no-such-option "an argument" "--config-dir" --help-all; do
  run $wrong
  [ "$status" -eq 2 ] || fail "'$wrong' exits $status"
  [ -s "$out" ] && fail "'$wrong' prints on standard output: $(cat "$out")"
  lines="$(wc -l <"$err")"
  { [ "$lines" -ge 1 ] && [ "$lines" -le 3 ]; } || fail "'$wrong' gives $lines lines of error: $(cat "$err")"
done

[ "$failures" -eq 0 ] || exit 1
echo "$(basename "$program"): command line answers without a display"
