#!/usr/bin/env bash
# Installs what is missing, builds the sanitizer preset (ASan + UBSan) and runs every test there,
# then builds the fuzz targets with clang and runs each one briefly.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
# ccache keeps its default folder, so CI on a reused machine starts warm.
jobs=$(nproc)
echo "=== tests (asan preset) ==="
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
ctest --preset asan -j "$jobs"
echo "=== fuzz (short run) ==="
bash scripts/fuzz.sh 3
