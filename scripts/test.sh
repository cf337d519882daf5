#!/usr/bin/env bash
# Installs what is missing, builds the normal and the sanitizer configuration, and runs every test headless.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" packages-run.txt packages-test.txt
"$root/scripts/build.sh" build-test
"$root/scripts/build.sh" build-asan -DQ47_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug -DQ47_BENCHMARKS=OFF

export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=0:halt_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
status=0
for folder in build-test build-asan; do
  echo "== tests in $folder"
  (cd "$root/$folder" && ctest --output-on-failure -j2 --timeout 1200) || status=1
done
# The renderer and the text readers under libFuzzer, about a minute each; a finding fails the run.
"$root/scripts/fuzz.sh" 60 || status=1
exit $status
