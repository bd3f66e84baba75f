#!/usr/bin/env bash
# Installs the build tree with --prefix /usr into a scratch DESTDIR, the way a distribution
# package is made, and checks the result: every file in its place with the bytes of its source,
# executables that do not point back into the build tree, a desktop entry and AppStream metainfo
# that their validators accept and that name what was really installed.
#
#   check_installed_tree.sh --cmake CMAKE --build DIR --source DIR --scratch DIR
#     --udev-rules-dir DIR (empty: the rule must not be installed; relative: in the prefix)
#     --desktop-file-validate PROGRAM --appstreamcli PROGRAM --readelf PROGRAM
set -uo pipefail

while [ $# -gt 0 ]; do
  case "$1" in
    --cmake) cmake="$2" ;;
    --build) build="$2" ;;
    --source) source="$2" ;;
    --scratch) scratch="$2" ;;
    --udev-rules-dir) udev_rules_dir="$2" ;;
    --desktop-file-validate) desktop_file_validate="$2" ;;
    --appstreamcli) appstreamcli="$2" ;;
    --readelf) readelf="$2" ;;
    *) echo "unknown argument: $1" >&2; exit 2 ;;
  esac
  shift 2
done
for v in cmake build source scratch desktop_file_validate appstreamcli readelf; do
  if [ -z "${!v:-}" ]; then echo "missing argument for $v" >&2; exit 2; fi
done
udev_rules_dir="${udev_rules_dir:-}"

prefix=/usr
app_id=cz.kelvra.anemometer
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# Never without DESTDIR: an install into / would change the machine.
rm -rf "$scratch"
mkdir -p "$scratch"
root="$(cd "$scratch" && pwd)"
if ! DESTDIR="$root" "$cmake" --install "$build" --prefix "$prefix"; then
  echo "FAIL: cmake --install did not succeed" >&2
  exit 1
fi
usr="$root$prefix"

# Installed, and byte for byte the file in the source tree.
expect_copy() {
  local installed="$1" original="$2"
  if [ ! -f "$installed" ]; then
    fail "not installed: ${installed#"$root"}"
  elif ! cmp -s "$installed" "$original"; then
    fail "${installed#"$root"} differs from ${original#"$source"/}"
  fi
}

for program in kelvra-anemometer kelvra-anemometer-demo; do
  installed="$usr/bin/$program"
  if [ ! -f "$installed" ] || [ ! -x "$installed" ]; then
    fail "no executable ${installed#"$root"}"
    continue
  fi
  # An RPATH into the build or source tree would load stale libraries from there, or nothing.
  if "$readelf" -d "$installed" | grep -E '\((RPATH|RUNPATH)\)' | grep -qF -e "$build" -e "$source"; then
    fail "${installed#"$root"} keeps a library path into the build tree"
  fi
  # Qt Multimedia comes with the sound module after the window is up, not at start.
  if "$readelf" -d "$installed" | grep -F '(NEEDED)' | grep -qF libQt6Multimedia; then
    fail "${installed#"$root"} loads Qt Multimedia at start"
  fi
done

# The sound module, where the programs look for it: the library folder beside bin/.
sound_module=""
for candidate in "$usr"/lib*/kelvra-anemometer/kelvra-anemometer-sound.so \
    "$usr"/lib/*/kelvra-anemometer/kelvra-anemometer-sound.so; do
  if [ -f "$candidate" ]; then sound_module="$candidate"; break; fi
done
if [ -z "$sound_module" ]; then
  fail "no sound module under $prefix/lib*/kelvra-anemometer"
elif ! "$readelf" --wide --dyn-syms "$sound_module" | grep -q ' kelvra_anemometer_create_sound_player$'; then
  fail "${sound_module#"$root"} does not export kelvra_anemometer_create_sound_player"
fi

desktop="$usr/share/applications/$app_id.desktop"
metainfo="$usr/share/metainfo/$app_id.metainfo.xml"
svg_icon="$usr/share/icons/hicolor/scalable/apps/$app_id.svg"
png_icon="$usr/share/icons/hicolor/48x48/apps/$app_id.png"
expect_copy "$desktop" "$source/packaging/$app_id.desktop"
expect_copy "$metainfo" "$source/packaging/$app_id.metainfo.xml"
expect_copy "$svg_icon" "$source/packaging/$app_id.svg"
expect_copy "$png_icon" "$source/packaging/$app_id-48.png"

# The icon theme takes the directory's word for the size.
if [ -f "$png_icon" ]; then
  size="$(od -An -tu1 -j16 -N8 "$png_icon" | tr -s ' ' | sed 's/^ //')"
  [ "$size" = "0 0 0 48 0 0 0 48" ] || fail "${png_icon#"$root"} is not 48 x 48 (IHDR: $size)"
fi

# The defaults read when a user's folder lacks them, where the programs look: ../share beside bin.
data="$usr/share/kelvra-anemometer"
expect_copy "$data/anemometer.cal" "$source/app/anemometer.cal"
if [ ! -f "$data/alarm.wav" ]; then
  fail "no default alarm sound ${data#"$root"}/alarm.wav"
elif [ "$(head -c 4 "$data/alarm.wav")$(tail -c +9 "$data/alarm.wav" | head -c 4)" != RIFFWAVE ]; then
  fail "${data#"$root"}/alarm.wav is not a WAV file"
fi
for page in kelvra-anemometer kelvra-anemometer-demo kelvra-anemometer-archive; do
  gzip -t "$usr/share/man/man1/$page.1.gz" 2>/dev/null || fail "no manual page for $page"
done

rule=70-kelvra-anemometer.rules
if [ -z "$udev_rules_dir" ]; then
  found="$(find "$root" -name "$rule")"
  [ -z "$found" ] || fail "the udev rule was installed although switched off: ${found#"$root"}"
else
  case "$udev_rules_dir" in
    /*) rules_dir="$root$udev_rules_dir" ;;
    *) rules_dir="$usr/$udev_rules_dir" ;;
  esac
  expect_copy "$rules_dir/$rule" "$source/packaging/$rule"
  count="$(find "$root" -name "$rule" | wc -l)"
  [ "$count" -le 1 ] || fail "the udev rule was installed $count times"
fi

if [ -f "$desktop" ]; then
  "$desktop_file_validate" "$desktop" || fail "desktop-file-validate rejects ${desktop#"$root"}"
  exec_program="$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")"
  [ -n "$exec_program" ] && [ -x "$usr/bin/$exec_program" ] ||
    fail "the desktop entry starts '$exec_program', which is not in $prefix/bin"
  icon="$(sed -n 's/^Icon=//p' "$desktop")"
  for file in "$usr/share/icons/hicolor/scalable/apps/$icon.svg" \
      "$usr/share/icons/hicolor/48x48/apps/$icon.png"; do
    [ -f "$file" ] || fail "the desktop entry's icon '$icon' has no ${file#"$root"}"
  done
fi

if [ -f "$metainfo" ]; then
  "$appstreamcli" validate --no-net "$metainfo" || fail "appstreamcli rejects ${metainfo#"$root"}"
  # The metainfo together with the desktop entry and icons it refers to.
  "$appstreamcli" validate-tree --no-net "$usr" || fail "appstreamcli rejects the installed tree"
  launchable="$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$metainfo")"
  [ -n "$launchable" ] && [ -f "$usr/share/applications/$launchable" ] ||
    fail "the metainfo launches '$launchable', which is not in $prefix/share/applications"
  binaries="$(sed -n 's:.*<binary>\(.*\)</binary>.*:\1:p' "$metainfo")"
  [ -n "$binaries" ] || fail "the metainfo names no binary"
  for binary in $binaries; do
    [ -x "$usr/bin/$binary" ] || fail "the metainfo names binary '$binary', not in $prefix/bin"
  done
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed; the installed tree is in $root" >&2
  exit 1
fi
echo "installed tree in $root is complete"
