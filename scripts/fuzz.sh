#!/usr/bin/env bash
# Builds every libFuzzer target with clang and runs each for a short while (default 10 s).
# Usage: scripts/fuzz.sh [seconds per target]
#        scripts/fuzz.sh --long [seconds per target, default 180]
#        scripts/fuzz.sh --build-only [seconds per target]: the build those runs want, nothing run
#   --long runs the targets side by side, FUZZ_JOBS at a time (half the cores by default), for
#   the findings that CI's 3-second runs never reach (a NaN date took a minute). Either way a
#   target that stops (crash, abort, leak, time-out) fails the command; its input is kept under
#   build/fuzz/artifacts/ and the command to replay it under ASan and UBSan is printed.
set -euo pipefail
cd "$(dirname "$0")/.."
long=0 build_only=0
if [[ "${1:-}" == "--long" ]]; then
  long=1
  shift
elif [[ "${1:-}" == "--build-only" ]]; then
  build_only=1
  shift
fi
seconds="${1:-$((long ? 180 : 10))}"
# Runs of a few seconds are bound by the build: -O0 compiles in half the time. Longer runs want
# the preset's -O1, which executes two to three times as many inputs a second.
opt=-O1
if [ "$seconds" -le 10 ]; then opt=-O0; fi
flags="$opt -gline-tables-only -DNDEBUG"
# ccache keeps its default folder, so CI on a reused machine starts warm.
cmake --preset fuzz -DCMAKE_C_FLAGS_RELWITHDEBINFO="$flags" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$flags" >/dev/null
targets=$(cmake --build --preset fuzz --target help | sed -n 's/^\(fuzz_[a-z0-9_]*\):.*/\1/p')
cmake --build --preset fuzz -j "$(nproc)" --target $targets
if ((build_only)); then exit 0; fi

# One target: its own growing corpus in build/fuzz/corpus, the seeds kept in fuzz/corpus
# (scripts/make-fuzz-seeds.sh) read but never written. A fixed seed keeps CI runs repeatable;
# longer local runs can pass another (FUZZ_SEED).
run_target() {
  local t="$1" seconds="$2" log
  local corpus="build/fuzz/corpus/$t" artifacts="build/fuzz/artifacts"
  mkdir -p "$corpus" "$artifacts"
  local seeds=()
  if [ -d "fuzz/corpus/$t" ]; then seeds=("fuzz/corpus/$t"); fi
  log=$(mktemp)
  if "build/fuzz/fuzz/$t" -seed="${FUZZ_SEED:-1}" -max_total_time="$seconds" -rss_limit_mb=4096 \
      -artifact_prefix="$artifacts/$t-" "$corpus" "${seeds[@]}" >"$log" 2>&1; then
    echo "=== $t (${seconds}s) ==="
    tail -n 2 "$log"
    rm -f "$log"
    return 0
  fi
  echo "=== $t (${seconds}s): STOPPED ==="
  tail -n 40 "$log"
  local input
  input=$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log" | tail -n 1)
  rm -f "$log"
  if [ -n "$input" ]; then
    echo "replay: cmake --build --preset asan --target $t && build/asan/fuzz/$t $input"
  fi
  return 1
}
export -f run_target

# Short runs one a core; long ones on half the cores unless told.
jobs=$(nproc)
if ((long)); then jobs=${FUZZ_JOBS:-$(( jobs > 1 ? jobs / 2 : 1 ))}; fi
if printf '%s\n' $targets | xargs -P "$jobs" -I{} bash -c 'run_target "$1" "$2"' _ {} "$seconds"; then
  echo "fuzz: every target ran ${seconds}s without stopping"
else
  echo "fuzz: a target stopped (above)"
  exit 1
fi
