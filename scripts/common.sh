# Shared by the project's scripts: configure and build one build tree.
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
jobs="${JOBS:-$(nproc)}"

launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi

# configure_and_build DIR [cmake options...]
configure_and_build() {
  local dir="$1"; shift
  if [ ! -f "$root/$dir/build.ninja" ]; then
    cmake -S "$root" -B "$root/$dir" -G Ninja "${launcher[@]}" "$@"
  else
    cmake "$root/$dir" "$@" >/dev/null
  fi
  cmake --build "$root/$dir" -j "$jobs"
}
