#!/usr/bin/env bash
# Makes docs/preview.gif, a few seconds of the quarter-view scroll: q47-render draws the frames of one
# seed, ImageMagick joins them into a looping GIF.
# Usage: scripts/make_preview.sh [BUILD_FOLDER]   (default: build; q47-render is built there if missing)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build}")
out=$root/docs/preview.gif

seed=12345
first_frame=4000
rendered=256      # 16 map rows: the view moves on by one row every 16 frames
step=4            # every 4th frame, shown for 4 cs: about the program's own speed of 100 passes a second
size_limit=$((2 * 1024 * 1024))

render=$build/tools/q47-render
if [ ! -x "$render" ]; then
  [ -f "$build/CMakeCache.txt" ] || cmake -S "$root" -B "$build" >/dev/null
  cmake --build "$build" --target q47-render -j2 >/dev/null
fi

frames=$(mktemp -d)
trap 'rm -rf "$frames"' EXIT
"$render" --seed "$seed" --frame "$first_frame" --count "$rendered" --data "$root/data" --out "$frames/frame.bmp"
kept=()
for ((k = 0; k < rendered; k += step)); do
  kept+=("$(printf '%s/frame-%04d.bmp' "$frames" "$k")")
done
# The frames share the tileset's few colours, so no dithering is needed; Optimize keeps only what changes.
convert -delay "$step" "${kept[@]}" +dither -layers Optimize -loop 0 "$out"

bytes=$(stat -c %s "$out")
echo "$out: ${#kept[@]} frames, $bytes bytes"
if [ "$bytes" -ge "$size_limit" ]; then
  echo "make_preview.sh: the preview is over 2 MB; draw fewer frames" >&2
  exit 1
fi
