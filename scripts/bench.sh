#!/usr/bin/env bash
# Builds the benchmarks in a Release folder (build-bench) and runs them with repetitions, interleaved,
# then prints each benchmark's median and spread and the whole frame's share of the straightforward one.
# Usage: scripts/bench.sh [REPETITIONS] [extra benchmark options…]   (default 15 repetitions)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
folder="$root/build-bench"
repetitions=${1:-15}
[ $# -gt 0 ] && shift
jobs=$(( $(nproc) < 2 ? $(nproc) : 2 ))

if [ ! -f "$folder/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$folder" -DCMAKE_BUILD_TYPE=Release -DQ47_BENCHMARKS=ON >"$folder.log" 2>&1 ||
    { cat "$folder.log"; exit 1; }
fi
cmake --build "$folder" -j"$jobs" --target q47_benchmarks >"$folder.log" 2>&1 || { cat "$folder.log"; exit 1; }

results="$folder/bench-results.json"
# The program's data paths are relative to the repository root, the tileset's among them.
cd "$root"
"$folder/bench/q47_benchmarks" \
  --benchmark_repetitions="$repetitions" \
  --benchmark_enable_random_interleaving=true \
  --benchmark_report_aggregates_only=true \
  --benchmark_min_time="${Q47_BENCH_MIN_TIME:-0.2}" \
  --benchmark_out="$results" --benchmark_out_format=json \
  "$@" >"$folder/bench-run.log" 2>&1 || { cat "$folder/bench-run.log"; exit 1; }

/usr/bin/python3 "$root/scripts/bench_table.py" "$results"
