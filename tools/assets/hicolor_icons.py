#!/usr/bin/python3
"""Makes the menu icons that the package installs in the hicolor theme: PNG copies of the desktop icon's
16-colour images, whose palette index 0 is the transparent colour.

Usage: hicolor_icons.py DATA_DIR OUT_DIR   (reads DATA_DIR/icons/q47-SIZE.bmp, writes OUT_DIR/q47-SIZE.png)
Regenerate after the icons change: /usr/bin/python3 tools/assets/hicolor_icons.py data packaging/icons
"""
import os
import sys

from PIL import Image

SIZES = (16, 32)
TRANSPARENT_INDEX = 0


def convert(source, target):
    with Image.open(source) as image:
        if image.mode != "P":
            sys.exit(f"{source}: expected an indexed image, found mode {image.mode}")
        image.load()
        # The palette stays as it is: the PNG keeps the 16 colours and marks index 0 transparent (tRNS).
        image.save(target, format="PNG", optimize=False, transparency=TRANSPARENT_INDEX)


def main(argv):
    if len(argv) != 3:
        sys.exit("usage: hicolor_icons.py DATA_DIR OUT_DIR")
    data_dir, out_dir = argv[1], argv[2]
    os.makedirs(out_dir, exist_ok=True)
    for size in SIZES:
        convert(os.path.join(data_dir, "icons", f"q47-{size}.bmp"), os.path.join(out_dir, f"q47-{size}.png"))


if __name__ == "__main__":
    main(sys.argv)
