#!/usr/bin/env bash
# Builds every benchmark (default preset), runs each program and prints all their
# "ours / baseline" ratios in one table at the end. Arguments go to every program; without any,
# each benchmark runs BENCH_REPETITIONS (31) short times (BENCH_MIN_TIME, 0.05 s) with the runs of
# a program interleaved at random, and the ratios use the mean of the fastest quarter of each:
# load from others nearly always adds time, in spells that the short interleaved runs give both
# sides of a pair (bench/BenchRatio.h; pairs handed between threads use medians). Each program
# runs pinned to one core (BENCH_CPU, the last one by default), and the benchmarks' files go to a
# memory file system (BENCH_TMPDIR, /dev/shm where it exists): on a disk that others share, creating a file costs ext4 a scan past recently
# freed inodes that depends on what everybody else deleted, and swamps what the code costs.
#   --smoke  each benchmark once, for a minimal time, output kept short, from the asan build that
#            the tests already made: CI runs this so that no benchmark rots; its numbers mean nothing.
set -euo pipefail
cd "$(dirname "$0")/.."

smoke=0
if [[ "${1:-}" == "--smoke" ]]; then
  smoke=1
  shift
fi

preset=default
((smoke)) && preset=asan
cmake --preset "$preset" >/dev/null
# Every benchmark program the build defines.
mapfile -t benches < <(cmake --build --preset "$preset" --target help | sed -n 's/^\(bench_[a-z0-9_]*\):.*/\1/p')
cmake --build --preset "$preset" -j "${BENCH_JOBS:-4}" --target "${benches[@]}"

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
args=("$@")
((${#args[@]})) || args=(--benchmark_repetitions="${BENCH_REPETITIONS:-31}" --benchmark_min_time="${BENCH_MIN_TIME:-0.05}"
                         --benchmark_enable_random_interleaving=true)
pin=()
if ((!smoke)) && command -v taskset >/dev/null; then
  pin=(taskset -c "${BENCH_CPU:-$(($(nproc) - 1))}")
fi
tmpdir=${BENCH_TMPDIR:-/dev/shm}
if ((!smoke)) && [[ -d "$tmpdir" && -w "$tmpdir" ]]; then
  export TMPDIR=$tmpdir
fi

if ((smoke)); then
  # Each program once, as many at a time as there are cores: nothing here is measured. The caches
  # at a million entries run the same code as the smaller ones, and filling them for each run under
  # the sanitizers took most of the time.
  export out preset
  smoke_one() {
    echo "=== $1 ==="
    "build/$preset/bench/$1" --benchmark_color=false --benchmark_min_time=0.0001 '--benchmark_filter=-/1000000$' \
      >"$out/$1.txt" 2>&1 ||
      { cat "$out/$1.txt"; return 1; }
  }
  export -f smoke_one
  printf '%s\n' "${benches[@]}" | xargs -P "$(nproc)" -I{} bash -c 'smoke_one "$1"' _ {}
else
  for bench in "${benches[@]}"; do
    echo "=== $bench ==="
    "${pin[@]}" build/$preset/bench/"$bench" --benchmark_color=false "${args[@]}" 2>&1 | tee "$out/$bench.txt"
  done
fi

# Each program ends with "ratio (<title>):" and one indented "<name> <ratio>x" line per pair.
echo
echo "=== ratios ($(date -u +%Y-%m-%d), $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)${pin[*]:+, ${pin[*]}}, files in ${TMPDIR:-/tmp}) ==="
printf '%-18s %-36s %s\n' program pair ratio
for bench in "${benches[@]}"; do
  awk -v program="$bench" '
    /^ratio \(/ { on = 1; title = $0; sub(/^ratio \(/, "", title); sub(/\):$/, "", title); next }
    on && /^  / { ratio = $NF; $NF = ""; sub(/^ +/, ""); sub(/ +$/, "");
                  printf "%-18s %-36s %s  (%s)\n", program, $0, ratio, title; next }
    on { on = 0 }' "$out/$bench.txt"
done
