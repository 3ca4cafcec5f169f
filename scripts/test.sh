#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test: the default preset and the
# sanitizer preset (ASan + UBSan).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
# ccache keeps its default folder, so CI on a reused machine starts warm.
jobs=$(nproc)
for preset in default asan; do
  echo "=== preset $preset ==="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs"
done
echo "=== fuzz (short run) ==="
bash scripts/fuzz.sh 10
