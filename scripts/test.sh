#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test: the default preset and the
# sanitizer preset (ASan + UBSan).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
export CCACHE_DIR="${CCACHE_DIR:-$PWD/.cache/ccache}"
jobs=$(nproc)
for preset in default asan; do
  echo "=== preset $preset ==="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs"
done
