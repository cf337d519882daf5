#!/usr/bin/env bash
# Configures (once) and builds one build folder quietly; the log is shown only when the build fails.
# Usage: build.sh FOLDER [cmake options…]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
folder=$1; shift
log="$root/$folder.log"
if [ ! -f "$root/$folder/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$root/$folder" "$@" >"$log" 2>&1 || { cat "$log"; exit 1; }
fi
cmake --build "$root/$folder" -j"$(nproc)" >"$log" 2>&1 || { cat "$log"; exit 1; }
