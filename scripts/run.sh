#!/usr/bin/env bash
# Installs what is missing, builds, and starts the demo from the folder that holds data/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" packages-run.txt
"$root/scripts/build.sh" build -DQ47_TESTS=OFF -DQ47_BENCHMARKS=OFF
cd "$root"
exec "$root/build/src/q47"
