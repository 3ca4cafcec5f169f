#!/usr/bin/env bash
# Runs the clock-driven test programs of a build as if the machine had been up 200 s, 400 s,
# 25 h, 139 days and 95 years: the monotonic clocks are shifted by an LD_PRELOAD library
# (tests/support/MonotonicShift.c) and the manual clock of the tests starts at the same value.
# No outcome may depend on either. Each program runs all its tests in one process.
# Usage: scripts/clock-starts.sh [build folder, default build/asan]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/asan}"
shift_lib="$PWD/$build/tests/support/libvx_monotonic_shift.so"
[ -f "$shift_lib" ] || { echo "clock-starts: $shift_lib is missing (build the tests first)" >&2; exit 1; }
programs=$(find "$build/tests" -maxdepth 3 -type f -executable \
  \( -name 'test_os_*' -o -name test_image -o -name test_widgets -o -name 'test_platform_sdk*' -o -name test_foundation \) | sort)
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:verify_asan_link_order=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
failed=0
for start in 200 400 90000 1.2e7 3e9; do
  export VX_MONOTONIC_START="$start" VX_TEST_CLOCK_ORIGIN="$start"
  # One program per job; a program's tests run from its own folder, as under ctest.
  if ! printf '%s\n' $programs | xargs -P "$(nproc)" -I{} sh -c \
      'cd "$(dirname "{}")" && LD_PRELOAD="$0" timeout 600 "./$(basename "{}")" --gtest_brief=1 \
         >"$1/$(basename "{}").log" 2>&1 || { echo "FAILED: {}"; cat "$1/$(basename "{}").log"; exit 1; }' \
      "$shift_lib" "$logs"; then
    echo "clock-starts: failures with the clocks starting at $start s"
    failed=1
  else
    echo "clock-starts: all passed with the clocks starting at $start s"
  fi
done
exit "$failed"
