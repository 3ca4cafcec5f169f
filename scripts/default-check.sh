#!/usr/bin/env bash
# Compiles the test and fuzz code as the default preset does (gcc at -O2, warnings as errors).
# CI compiles everything with clang (the sanitizer build and the fuzzers); run this before landing
# test or fuzz code. gcc 12 at
# -O2 reports out-of-bounds copies inside the standard library's string and vector code that
# cannot happen (docs/ci.md): test code, which only the sanitizer build compiled, stopped the
# default preset five times before this check. The product code is compiled by the default preset
# whenever the demo is built (scripts/run-demo.sh). Only objects are made, without debug
# information: that changes no warning and saves a fifth of the time.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/default-check
flags="-O2 -DNDEBUG"
cmake --preset default -B "$build" -DCMAKE_C_FLAGS_RELWITHDEBINFO="$flags" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$flags" >/dev/null
mapfile -t objects < <(ninja -C "$build" -t targets all | sed -n 's/^\(\(tests\|fuzz\)\/[^:]*\.o\): .*/\1/p')
echo "default-check: ${#objects[@]} objects of the test and fuzz code, gcc -O2 -Werror"
ninja -C "$build" -j "${VX_JOBS:-$(nproc)}" "${objects[@]}"
