#!/usr/bin/env bash
# Makes docs/screenshot.png: the real q47 window, started in a private Xvfb from a copy of data/ and
# captured with ImageMagick's import once the scroll is under way, then closed as a user would.
# Usage: scripts/make_screenshot.sh [BUILD_FOLDER]   (default: build; the program is built there if missing)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build}")
out=$root/docs/screenshot.png
settle_seconds=2

if [ ! -x "$build/src/q47" ]; then
  [ -f "$build/CMakeCache.txt" ] || cmake -S "$root" -B "$build" >/dev/null
  cmake --build "$build" --target q47 -j2 >/dev/null
fi

Q47_BUILD_DIR=$build Q47_SOURCE_DIR=$root PYTHONPATH=$root/tests/system \
  /usr/bin/python3 - "$out" "$settle_seconds" <<'PYTHON'
import subprocess
import sys
import time

from q47harness import RunFolder, Xvfb, finish, start

out, settle = sys.argv[1], float(sys.argv[2])
xvfb, folder = Xvfb(), RunFolder()
try:
    process = start(folder, xvfb.env())
    window = xvfb.find_window(process=process)
    if window is None:
        process.kill()
        sys.exit(f"make_screenshot.sh: no q47 window; stderr {finish(process)[2]!r}")
    time.sleep(settle)
    subprocess.run(["import", "-window", hex(window.id), out], env=xvfb.env(), check=True)
    xvfb.request_close(window)
    status, _, err = finish(process)
    if status != 0:
        sys.exit(f"make_screenshot.sh: q47 ended with status {status}: {err!r}")
finally:
    xvfb.close()
    folder.close()
PYTHON
echo "$out: $(identify -format '%wx%h, %b' "$out")"
