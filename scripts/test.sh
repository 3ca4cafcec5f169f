#!/usr/bin/env bash
# Installs what is missing, builds the sanitizer preset (ASan + UBSan) and runs every test there,
# runs the clock-driven tests again at five machine uptimes, then builds the fuzz targets with
# clang and runs each one briefly.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
# ccache keeps its default folder, so CI on a reused machine starts warm.
jobs=$(nproc)
stamp() { echo "=== $1 ($(date -u +%H:%M:%S), ${SECONDS}s) ==="; }
stamp "tests (asan preset)"
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
# Many tests wait on loopback sockets and worker threads: twice the cores keeps them busy.
ctest --preset asan -j "$((jobs * 2))"
stamp "clock-driven tests at other uptimes"
bash scripts/clock-starts.sh build/asan
stamp "fuzz (short run)"
bash scripts/fuzz.sh 3
stamp "tests done"
