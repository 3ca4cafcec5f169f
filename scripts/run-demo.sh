#!/usr/bin/env bash
# Installs what is missing, builds the default preset and runs the demo host program.
# VX_PRESET=asan uses the sanitizer build instead (CI runs the demo from the build it tested).
# VX_DEMO_BUILT=1 skips installing and building (scripts/demo-twice.sh builds once for two runs).
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${VX_PRESET:-default}"
if [ "${VX_DEMO_BUILT:-0}" != 1 ]; then
  bash scripts/install-deps.sh
  # ccache keeps its default folder, so CI on a reused machine starts warm.
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$(nproc)" --target vorlix-demo
fi
if [ "$preset" = asan ]; then
  export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
  export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
fi
exec "build/$preset/demo/vorlix-demo" "$@"
