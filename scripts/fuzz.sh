#!/usr/bin/env bash
# Builds every libFuzzer target with clang and runs each for a short while (default 10 s).
# Usage: scripts/fuzz.sh [seconds per target]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-10}"
# Runs of a few seconds are bound by the build: -O0 compiles in half the time. Longer runs want
# the preset's -O1, which executes two to three times as many inputs a second.
opt=-O1
if [ "$seconds" -le 10 ]; then opt=-O0; fi
flags="$opt -gline-tables-only -DNDEBUG"
# ccache keeps its default folder, so CI on a reused machine starts warm.
cmake --preset fuzz -DCMAKE_C_FLAGS_RELWITHDEBINFO="$flags" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$flags" >/dev/null
targets=$(cmake --build --preset fuzz --target help | sed -n 's/^\(fuzz_[a-z0-9_]*\):.*/\1/p')
cmake --build --preset fuzz -j "$(nproc)" --target $targets
for t in $targets; do
  corpus="build/fuzz/corpus/$t"
  mkdir -p "$corpus"
  echo "=== $t (${seconds}s) ==="
  # The seeds kept in fuzz/corpus (scripts/make-fuzz-seeds.sh) are read, never written.
  seeds=()
  if [ -d "fuzz/corpus/$t" ]; then seeds=("fuzz/corpus/$t"); fi
  # A fixed seed keeps CI runs repeatable; longer local runs can pass another.
  "build/fuzz/fuzz/$t" -seed="${FUZZ_SEED:-1}" -max_total_time="$seconds" -rss_limit_mb=4096 "$corpus" "${seeds[@]}" 2>&1 | tail -n 2
done
