#!/usr/bin/env bash
# Rewrites the fuzz targets' seed corpora under fuzz/corpus/ with the project's own writers.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset asan >/dev/null
cmake --build --preset asan --target vx-fuzz-seeds >/dev/null
rm -rf fuzz/corpus
ASAN_OPTIONS=detect_leaks=0 build/asan/fuzz/vx-fuzz-seeds fuzz/corpus
find fuzz/corpus -type f | sort | sed 's|^|  |'
