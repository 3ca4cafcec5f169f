#!/usr/bin/env bash
# Installs what is missing, builds the default preset and runs the demo host program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
# ccache keeps its default folder, so CI on a reused machine starts warm.
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" --target vorlix-demo
exec build/default/demo/vorlix-demo "$@"
