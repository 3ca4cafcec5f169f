#!/usr/bin/env bash
# Installs what is missing, builds the sanitizer preset (clang, ASan + UBSan) and runs every test
# there, runs the clock-driven tests again at five machine uptimes, builds the fuzz targets and runs
# each one briefly. (The gcc check of the test code, scripts/default-check.sh, runs apart: see docs/ci.md.)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
# ccache keeps its default folder, so CI on a reused machine starts warm.
jobs=$(nproc)
stamp() { echo "=== $1 ($(date -u +%H:%M:%S), ${SECONDS}s) ==="; }
stamp "tests (asan preset)"
# A folder configured for another compiler (the preset used gcc before) starts afresh.
fresh=()
if [ -f build/asan/CMakeCache.txt ] && ! grep -q '^CMAKE_CXX_COMPILER:.*clang++$' build/asan/CMakeCache.txt; then
  fresh=(--fresh)
fi
cmake --preset asan "${fresh[@]}" >/dev/null
cmake --build --preset asan -j "$jobs"
# The fuzz targets build at the lowest priority in the time the tests below leave the cores idle
# (they wait on sockets and timers); the fuzz step waits for it.
# Its own process group, so a run that stops early stops the compilers too.
fuzz_seconds=3
mkdir -p build
setsid nice -n 19 bash scripts/fuzz.sh --build-only "$fuzz_seconds" >build/fuzz-build.log 2>&1 &
fuzz_build=$!
trap 'kill -- -$fuzz_build 2>/dev/null || true' EXIT
# Many tests wait on loopback sockets and worker threads: twice the cores keeps them busy.
# A failing test runs once more, to tell a broken test (fails again: the run stops here) from one
# that passes only now and then. That one fails the run too, after the other steps, listed at the
# end: a test that needs a second try waits on something it never awaited, or depends on another
# test, and hides a fault in the product just as well.
retried=()
if ! ctest --preset asan -j "$((jobs * 2))"; then
  failed_log=build/asan/Testing/Temporary/LastTestsFailed.log
  mapfile -t retried < <(sed 's/^[0-9]*://' "$failed_log")
  stamp "failed tests, run once more"
  if ! ctest --preset asan -j "$jobs" --rerun-failed; then
    echo "tests failing twice:"
    sed 's/^[0-9]*:/  /' "$failed_log"
    exit 1
  fi
fi
stamp "clock-driven tests at other uptimes"
bash scripts/clock-starts.sh build/asan
stamp "fuzz (short run)"
if ! wait $fuzz_build; then
  tail -n 60 build/fuzz-build.log
  exit 1
fi
bash scripts/fuzz.sh "$fuzz_seconds"
if ((${#retried[@]})); then
  echo "=== tests that passed only when run again (the run fails for them) ==="
  printf '  %s\n' "${retried[@]}"
  exit 1
fi
stamp "tests done"
