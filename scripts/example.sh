#!/usr/bin/env bash
# Installs a build of the tree into a temporary prefix, then configures, builds and runs the example
# game (examples/minimal_game) against that prefix alone, from a copy outside the source tree.
# Usage: scripts/example.sh [build folder]
# Without one it takes the first build made of build/package (the guide's, docs/integration.md),
# build/default and build/asan (CI passes build/asan, the build it tested).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
# A build is made once its libraries and server are: cmake --install copies those.
built() { [ -f "$1/CMakeCache.txt" ] && [ -f "$1/platform_sdk/libvx_sdk.a" ] && [ -x "$1/server/vorlix-server" ]; }
if [ $# -gt 0 ]; then
  build="$1"
else
  build=""
  for candidate in package default asan; do
    if built "$root/build/$candidate"; then build="$root/build/$candidate"; break; fi
  done
  if [ -z "$build" ]; then
    echo "example: no build to install; make one first:" >&2
    echo "  cmake --preset package && cmake --build --preset package" >&2
    exit 2
  fi
fi
if ! built "$build"; then
  echo "example: $build is not a built tree (no platform_sdk/libvx_sdk.a or server/vorlix-server); build it first" >&2
  exit 2
fi
build="$(cd "$build" && pwd)"
work="$(mktemp -d "${TMPDIR:-/tmp}/vorlix-example-XXXXXX")"
trap 'rm -rf "$work"' EXIT

cmake --install "$build" --prefix "$work/prefix" >"$work/install.log"
echo "example: installed $build into $work/prefix ($(find "$work/prefix" -type f | wc -l) files)"
cp -r "$root/examples/minimal_game" "$work/game"
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
# The game is compiled by the compiler of the build it links: sanitizer runtimes do not mix.
compiler=$(sed -n 's/^CMAKE_CXX_COMPILER:[A-Z]*=//p' "$build/CMakeCache.txt")
if ! cmake -S "$work/game" -B "$work/game/build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_COMPILER="$compiler" -DCMAKE_PREFIX_PATH="$work/prefix" "${launcher[@]}" >"$work/configure.log" 2>&1; then
  cat "$work/configure.log"
  exit 1
fi
cmake --build "$work/game/build"
# A build with the sanitizers hands them to the game; leaks and undefined behaviour fail it.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
cd "$work"
"$work/game/build/minimal-game"
