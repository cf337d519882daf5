#!/usr/bin/env bash
# Builds the libFuzzer targets with clang++ in build-fuzz and runs each for a bounded time over its seed
# corpus in fuzz/corpus/NAME. New inputs go to build-fuzz/corpus/NAME, never into the repository; a crash
# leaves its input in build-fuzz/artifacts/ and makes this script fail.
# Usage: fuzz.sh [SECONDS per target, default 60]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
build="$root/build-fuzz"
log="$build.log"

# target name, then the longest input it takes: a whole map text is about 96 KiB.
targets=(
  "quarter_view 32800"
  "map_text 100000"
)

if [ ! -f "$build/CMakeCache.txt" ]; then
  CXX=clang++ cmake -S "$root/fuzz" -B "$build" -DCMAKE_CXX_COMPILER=clang++ >"$log" 2>&1 || { cat "$log"; exit 1; }
fi
cmake --build "$build" -j2 >"$log" 2>&1 || { cat "$log"; exit 1; }

export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
status=0
for entry in "${targets[@]}"; do
  read -r name max_len <<<"$entry"
  work="$build/corpus/$name"
  artifacts="$build/artifacts/$name/"
  mkdir -p "$work" "$artifacts"
  dict=()
  [ -f "$root/fuzz/$name.dict" ] && dict=(-dict="$root/fuzz/$name.dict")
  echo "== fuzz_$name for ${seconds}s"
  if ! "$build/fuzz_$name" "$work" "$root/fuzz/corpus/$name" "${dict[@]}" -max_total_time="$seconds" \
      -max_len="$max_len" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$artifacts" >"$build/fuzz_$name.log" 2>&1; then
    tail -n 60 "$build/fuzz_$name.log"
    echo "fuzz_$name found a fault; the input is in $artifacts"
    status=1
  else
    grep -E '^stat::(number_of_executed_units|new_units_added|peak_rss_mb)' "$build/fuzz_$name.log" || true
  fi
done
exit $status
