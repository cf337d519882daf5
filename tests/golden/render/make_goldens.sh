#!/bin/sh
# Renders the reference pictures of cases.txt with q47-render and the test tileset, as 24-bit PNG.
# Usage: make_goldens.sh BUILD_DIR. Look at every picture before committing it.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
tool="$1/tools/q47-render"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
grep -v '^#' "$here/cases.txt" | while read -r golden map frame size; do
    [ -n "$golden" ] || continue
    [ -e "$scratch/$golden.done" ] && continue
    "$tool" --map "$here/$map" --frame "$frame" --size "$size" --data "$here/data" --out "$scratch/frame.bmp"
    convert "$scratch/frame.bmp" "PNG24:$here/$golden"
    touch "$scratch/$golden.done"
    echo "$golden: $map frame $frame $size"
done
