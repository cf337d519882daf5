#!/usr/bin/env bash
# Regenerates the program's data files and the executable's icon group.
# Usage: tools/assets/make_all.sh [--data DIR] [--icons DIR] [tileset|icon|music|font ...]
#   --data   the data folder to write (default: the repository's data/)
#   --icons  the folder for q47.ico and the menu's PNG icons (default: the repository's packaging/icons/)
#   parts    which generators to run (default: all four)
# Needs Debian's python3 with python3-pil, python3-numpy and python3-fonttools, fonts-misaki and
# vorbis-tools (oggenc); all are listed in scripts/packages-test.txt.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
data=$root/data
icons=$root/packaging/icons
parts=()
while [ $# -gt 0 ]; do
  case "$1" in
    --data) data=$2; shift 2 ;;
    --icons) icons=$2; shift 2 ;;
    tileset|icon|music|font) parts+=("$1"); shift ;;
    *) echo "make_all.sh: unknown argument '$1'" >&2; exit 2 ;;
  esac
done
[ ${#parts[@]} -eq 0 ] && parts=(tileset icon music font)

# The generators need Debian's own interpreter, which sees the python3-* packages.
python=${Q47_PYTHON:-/usr/bin/python3}
[ -x "$python" ] || python=python3

for part in "${parts[@]}"; do
  case "$part" in
    icon)
      "$python" "$here/icon.py" "$data" "$icons"
      "$python" "$here/hicolor_icons.py" "$data" "$icons"
      ;;
    *) "$python" "$here/$part.py" "$data" ;;
  esac
done
