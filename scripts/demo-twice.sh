#!/usr/bin/env bash
# Runs the demo twice, each run into a screens folder of its own, and compares what the two wrote:
# every PNG byte for byte (by its hash) and the step lines. A difference means a picture or a
# step depends on timing, so this fails.
# Usage: scripts/demo-twice.sh [FOLDER]  (the runs write FOLDER and FOLDER-2; default
# build/demo-screens). VX_PRESET picks the build as for run-demo.sh (CI: asan).
set -euo pipefail
cd "$(dirname "$0")/.."
first="${1:-build/demo-screens}"
second="$first-2"
rm -rf "$first" "$second"
# One build, then both runs at once: competing for the cores, a step that depends on timing shows
# all the sooner.
# (the program's usage line is all --help prints; a failed build is shown by running it again)
VX_DEMO_BUILT=0 bash scripts/run-demo.sh --help >/dev/null 2>&1 || VX_DEMO_BUILT=0 bash scripts/run-demo.sh --help
pids=()
for folder in "$first" "$second"; do
  mkdir -p "$folder"
  VX_DEMO_BUILT=1 bash scripts/run-demo.sh --screens "$folder" >"$folder/steps.txt" &
  pids+=($!)
done
start=$SECONDS
for i in 0 1; do
  folder=$([ "$i" = 0 ] && echo "$first" || echo "$second")
  if ! wait "${pids[$i]}"; then
    grep -E 'FAIL|waited in vain|vorlix-demo:' "$folder/steps.txt" >&2 || true
    echo "demo-twice: the run into $folder failed (steps in $folder/steps.txt)" >&2
    exit 1
  fi
  echo "demo-twice: $folder: $(ls "$folder"/*.png | wc -l) PNGs, $(grep -cE '^\[ *[0-9]+\] ' "$folder/steps.txt") steps, $((SECONDS - start)) s"
done
hashes() { (cd "$1" && sha256sum -- *.png); }
if ! diff <(hashes "$first") <(hashes "$second") >"$second/png-diff.txt"; then
  echo "demo-twice: the two runs wrote different pictures:" >&2
  grep '^>' "$second/png-diff.txt" | awk '{print "  " $3}' >&2
  exit 1
fi
if ! diff <(grep -E '^\[ *[0-9]+\] ' "$first/steps.txt") <(grep -E '^\[ *[0-9]+\] ' "$second/steps.txt") >&2; then
  echo "demo-twice: the two runs printed different step lines" >&2
  exit 1
fi
echo "demo-twice: $(ls "$first"/*.png | wc -l) PNGs byte-identical and the same step lines in both runs"
