#!/usr/bin/env bash
# Fails when a file includes a header of a layer its own layer may not depend on. Headers are
# included by their path from the repository root, so the first folder of an include names its
# layer. Usage: check_layers.sh ROOT, or check_layers.sh --self-test to see it catch faults.
set -uo pipefail
root="${1:?usage: check_layers.sh ROOT | --self-test}"

if [ "$root" = "--self-test" ]; then
  scratch="$(mktemp -d)"
  trap 'rm -rf "$scratch"' EXIT
  mkdir -p "$scratch"/{core,device,ui,logger}
  printf '#include "ui/window.h"\n#include <QString>\n#include <vector>\n' >"$scratch/core/a.h"
  printf '#include "core/a.h"\n' >"$scratch/device/b.cpp"
  printf '#include "core/a.h"\n#include "device/b.h"\n' >"$scratch/ui/window.h"
  printf '#  include "ui/window.h"\n' >"$scratch/logger/c.cpp"
  found="$("$0" "$scratch")"
  expected=$'core/a.h: core may not include "ui/window.h"\nlogger/c.cpp: logger may not include "ui/window.h"\ncore/a.h:#include <QString>: core includes no Qt and no operating-system header'
  if [ "$(sort <<<"$found")" != "$(sort <<<"$expected")" ]; then
    printf 'self-test: expected\n%s\ngot\n%s\n' "$expected" "$found"
    exit 1
  fi
  echo "self-test: three faults found, nothing else"
  exit 0
fi

# What each layer may include besides itself; dependencies point inward, toward core.
declare -A allowed=(
  [core]=""
  [device]="core"
  [files]="core"
  [archive]="core"
  [alarms]="core"
  [program_options]="core"
  [capture]="core device files archive"
  [timeseries]="core archive"
  [web]="core archive archive_tool"
  [logger]="core device files archive capture program_options timeseries web"
  [ui]="core device files archive capture alarms program_options"
  [archive_tool]="core files archive program_options"
  [app]="core device files archive capture alarms ui logger archive_tool program_options timeseries web"
)
# core is plain C++: no Qt, no operating-system interface.
core_forbidden='^(Q|qt|sys/|unistd\.h|fcntl\.h|pthread\.h|windows\.h|dirent\.h)'

status=0
for layer in "${!allowed[@]}"; do
  [ -d "$root/$layer" ] || continue
  while IFS= read -r match; do
    file="${match%%:*}"
    header="$(sed -E 's/.*#[[:space:]]*include[[:space:]]*"([^"]+)".*/\1/' <<<"${match#*:}")"
    target="${header%%/*}"
    [ "$target" = "$layer" ] && continue
    ok=0
    for dep in ${allowed[$layer]}; do [ "$target" = "$dep" ] && ok=1; done
    if [ "$ok" = 0 ]; then
      echo "${file#"$root"/}: $layer may not include \"$header\""
      status=1
    fi
  done < <(grep -rEH '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$root/$layer" \
             --include='*.h' --include='*.cpp')
done
while IFS= read -r match; do
  echo "${match#"$root"/}: core includes no Qt and no operating-system header"
  status=1
done < <(grep -rEH "^[[:space:]]*#[[:space:]]*include[[:space:]]*<" "$root/core" \
           --include='*.h' --include='*.cpp' | grep -E "<${core_forbidden#^}" )
exit "$status"
