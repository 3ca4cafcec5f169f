#!/usr/bin/env bash
# Runs the clock-driven test programs of a build as if the machine had been up 200 s, 400 s,
# 25 h, 139 days and 95 years (the platform SDK programs only at the last): the monotonic clocks
# are shifted by an LD_PRELOAD library (tests/support/MonotonicShift.c) and the manual clock of
# the tests starts at the same value.
# No outcome may depend on either. Each program runs all its tests in one process; a test that
# fails there is run again in a process of its own (as ctest runs it) and only a second failure
# counts, so an order effect between tests is reported but does not pass for a clock fault.
# Usage: scripts/clock-starts.sh [--all] [build folder, default build/asan]
#   --all: the platform SDK programs at every start too (about twice as long).
set -euo pipefail
cd "$(dirname "$0")/.."
all=0
if [ "${1:-}" = --all ]; then all=1; shift; fi
build="${1:-build/asan}"
export SHIFT_LIB="$PWD/$build/tests/support/libvx_monotonic_shift.so"
[ -f "$SHIFT_LIB" ] || { echo "clock-starts: $SHIFT_LIB is missing (build the tests first)" >&2; exit 1; }
# The kit programs test the clock, timers, animations and dispatch themselves: every start (not the
# page renderer's, which reads no clock). The platform SDK programs use them through screens and
# network waits and take most of the time: only the farthest start, where a sum that loses
# precision would show first.
kits=$(find "$PWD/$build/tests" -maxdepth 3 -type f -executable \
  \( -name 'test_os_*' -o -name test_image -o -name test_widgets -o -name test_foundation \) ! -name test_os_web | sort)
sdk=$(find "$PWD/$build/tests" -maxdepth 4 -type f -executable -name 'test_platform_sdk*' | sort)
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:verify_asan_link_order=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LOGS=$(mktemp -d)
trap 'rm -rf "$LOGS"' EXIT

# One program at one start, from its own folder as under ctest.
run_program() {
  local start="$1" program="$2" name log
  export VX_MONOTONIC_START="$start" VX_TEST_CLOCK_ORIGIN="$start"
  name=$(basename "$program")
  log="$LOGS/$name@$start.log"
  cd "$(dirname "$program")"
  if LD_PRELOAD="$SHIFT_LIB" timeout 600 "./$name" --gtest_brief=1 >"$log" 2>&1; then return 0; fi
  local failed
  failed=$(sed -n 's/^\[  FAILED  \] \([^ ]*\) (.*/\1/p' "$log" | sort -u)
  if [ -z "$failed" ]; then echo "FAILED: $program at $start s (crashed or timed out)"; cat "$log"; return 1; fi
  local status=0 test
  for test in $failed; do
    if LD_PRELOAD="$SHIFT_LIB" timeout 300 "./$name" --gtest_filter="$test" >"$log.again" 2>&1; then
      echo "clock-starts: $name $test at $start s failed only after the program's other tests (order effect)"
    else
      echo "FAILED: $name $test at $start s"; cat "$log.again"; status=1
    fi
  done
  return "$status"
}
export -f run_program

# Every (start, program) pair in one pool, so no start waits for its slowest program before the
# next one begins. The programs wait on sockets and worker threads: twice the cores keeps them busy.
starts="200 400 90000 1.2e7 3e9"
# The platform SDK programs take longest: they go first.
pairs=$(for start in $starts; do
  if [ "$start" = 3e9 ] || [ "$all" = 1 ]; then for program in $sdk; do echo "$start $program"; done; fi
done
for start in $starts; do for program in $kits; do echo "$start $program"; done; done)
if printf '%s\n' "$pairs" | xargs -P "$(( $(nproc) * 2 ))" -L 1 bash -c 'run_program "$1" "$2"' _; then
  echo "clock-starts: all passed with the clocks starting at $starts s"
else
  echo "clock-starts: failures (above)"
  exit 1
fi
