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
# The kit programs test the clock, timers, animations and dispatch themselves: every start. The
# platform SDK programs use them through screens and network waits and take most of the time:
# only the farthest start, where a sum that loses precision would show first.
kits=$(find "$PWD/$build/tests" -maxdepth 3 -type f -executable \
  \( -name 'test_os_*' -o -name test_image -o -name test_widgets -o -name test_foundation \) | sort)
sdk=$(find "$PWD/$build/tests" -maxdepth 4 -type f -executable -name 'test_platform_sdk*' | sort)
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:verify_asan_link_order=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LOGS=$(mktemp -d)
trap 'rm -rf "$LOGS"' EXIT

# One program at the current start, from its own folder as under ctest.
run_program() {
  local program="$1" name log
  name=$(basename "$program")
  log="$LOGS/$name.log"
  cd "$(dirname "$program")"
  if LD_PRELOAD="$SHIFT_LIB" timeout 600 "./$name" --gtest_brief=1 >"$log" 2>&1; then return 0; fi
  local failed
  failed=$(sed -n 's/^\[  FAILED  \] \([^ ]*\) (.*/\1/p' "$log" | sort -u)
  if [ -z "$failed" ]; then echo "FAILED: $program (crashed or timed out)"; cat "$log"; return 1; fi
  local status=0 test
  for test in $failed; do
    if LD_PRELOAD="$SHIFT_LIB" timeout 300 "./$name" --gtest_filter="$test" >"$log.again" 2>&1; then
      echo "clock-starts: $name $test failed only after the program's other tests (order effect)"
    else
      echo "FAILED: $name $test"; cat "$log.again"; status=1
    fi
  done
  return "$status"
}
export -f run_program

failed=0
for start in 200 400 90000 1.2e7 3e9; do
  export VX_MONOTONIC_START="$start" VX_TEST_CLOCK_ORIGIN="$start"
  programs=$kits
  if [ "$start" = 3e9 ] || [ "$all" = 1 ]; then programs="$kits $sdk"; fi
  if printf '%s\n' $programs | xargs -P "$(nproc)" -I{} bash -c 'run_program "$1"' _ {}; then
    echo "clock-starts: all passed with the clocks starting at $start s"
  else
    echo "clock-starts: failures with the clocks starting at $start s"
    failed=1
  fi
done
exit "$failed"
