#!/usr/bin/env bash
# Runs a built program the way a terminal user would, with no display at all: --help and
# --version answer on standard output and exit 0, a wrong option or argument gives a short error
# on standard error and exit 2. No window may be needed for any of them. A window program also
# takes Qt's own options; the logger refuses them.
#
#   check_command_line.sh PROGRAM EXPECTED_VERSION_LINE window|logger
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

# run [VAR=VALUE...] ARGS...: sets status, with the outputs in $out and $err.
run() {
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 30 env "$@" >"$out" 2>"$err"
  status=$?
}

run "$program" --version
[ "$status" -eq 0 ] || fail "--version exits $status"
[ "$(cat "$out")" = "$version_line" ] || fail "--version prints '$(cat "$out")'"

for help in --help -h; do
  run "$program" "$help"
  [ "$status" -eq 0 ] || fail "$help exits $status: $(cat "$err")"
  for option in --help --version --config-dir; do
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

# kind|status|what it says: a part of standard output for 0, of standard error for 2|environment
# and arguments
cases=(
  "any|2|Unknown option 'frobnicate'.|$program --frobnicate"
  "any|2|Unknown option 'frobnicate'.|$program -frobnicate"
  "window|0|$version_line|$program -platform offscreen --version"
  "window|0|$version_line|$program --style=Fusion -qwindowtitle Wind -reverse --version"
  "logger|2|Unknown option 'platform'.|$program -platform offscreen"
)
for row in "${cases[@]}"; do
  IFS='|' read -r who expected said command <<<"$row"
  [ "$who" = any ] || [ "$who" = "$kind" ] || continue
  run $command
  [ "$status" -eq "$expected" ] || fail "'$command' exits $status: $(cat "$err")"
  case "$expected" in
    0) grep -qF -- "$said" "$out" || fail "'$command' prints '$(cat "$out")'" ;;
    *) grep -qF -- "$said" "$err" || fail "'$command' says '$(cat "$err")'" ;;
  esac
done

[ "$failures" -eq 0 ] || exit 1
echo "$name: command line answers without a display"
