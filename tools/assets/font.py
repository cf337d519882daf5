#!/usr/bin/env python3
"""Makes the panel font: a subset of the Misaki 8-dot gothic font holding the two panel lines and
printable ASCII, plus the font's licence text beside it.

Usage: font.py OUT_DATA_DIR   (writes OUT_DATA_DIR/fonts/lumo2_8/lumofont.ttf and LICENCE)
"""
import logging
import os
import sys

from fontTools import subset
from fontTools.ttLib import TTFont

SOURCE_FONT = "/usr/share/fonts/truetype/misaki/misaki_gothic.ttf"
SOURCE_LICENCE = "/usr/share/doc/fonts-misaki/copyright"
PANEL_LINES = ("クォータービューのテスト", "(これは単なるデモです)")
PRINTABLE_ASCII = "".join(chr(code) for code in range(0x20, 0x7F))

LICENCE_HEADER = """lumofont.ttf is a subset of misaki_gothic.ttf (Misaki Gothic, 2021-05-05) from the Debian
package fonts-misaki, cut down by tools/assets/font.py to the glyphs of printable ASCII and of the
two panel lines. The glyph outlines are unchanged. The font's licence, as Debian ships it:

"""


def wanted_characters():
    return sorted(set(PRINTABLE_ASCII + "".join(PANEL_LINES)))


def make_subset(out_path):
    options = subset.Options()
    options.layout_features = []
    options.name_IDs = ["*"]
    options.name_languages = ["*"]
    options.notdef_outline = True
    options.recalc_timestamp = False
    # The subsetter drops the bitmap-font source and FontForge's timestamp tables, which the subset
    # does not need, and would say so for each.
    logging.getLogger("fontTools.subset").setLevel(logging.ERROR)
    font = TTFont(SOURCE_FONT, recalcTimestamp=False)
    subsetter = subset.Subsetter(options)
    subsetter.populate(unicodes=[ord(ch) for ch in wanted_characters()])
    subsetter.subset(font)
    font.save(out_path)


def main(argv):
    if len(argv) != 2:
        sys.exit("usage: font.py OUT_DATA_DIR")
    folder = os.path.join(argv[1], "fonts", "lumo2_8")
    os.makedirs(folder, exist_ok=True)
    make_subset(os.path.join(folder, "lumofont.ttf"))
    with open(SOURCE_LICENCE, encoding="utf-8") as source:
        licence = source.read()
    with open(os.path.join(folder, "LICENCE"), "w", encoding="utf-8") as out:
        out.write(LICENCE_HEADER + licence)


if __name__ == "__main__":
    main(sys.argv)
