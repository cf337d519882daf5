#!/usr/bin/python3
"""Writes the fuzzers' seed corpora into fuzz/corpus/. Takes one map text (as `q47-map --seed 1` prints it)
so that the renderer's seeds include a real generated map.
Usage: make_seeds.py MAP_TEXT"""

import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))

# (name, frame, width, height, tileset choice: 0 = 1x1, 1 = 8x8, other = 256x560)
RENDER_CASES = [
    ("first-frame-320x240", 0, 320, 240, 2),
    ("last-before-wrap-320x240", 2**31 - 1, 320, 240, 2),
    ("most-negative-320x240", -2**31, 320, 240, 2),
    ("minus-one-640x480", -1, 640, 480, 2),
    ("ring-repeat-1024x1024", 16384, 1024, 1024, 2),
    ("one-pixel", 37, 1, 1, 2),
    ("tiny-tileset", 15, 320, 240, 0),
    ("small-tileset-tall", -17, 3, 1024, 1),
]


def map_bytes(text):
    cells = bytearray()
    for line in text.splitlines():
        for cell in line.split(" "):
            cells += bytes.fromhex(cell.replace(":", ""))
    return bytes(cells)


def render_seed(frame, width, height, tileset, cells):
    return struct.pack("<iHHB", frame, width - 1, height - 1, tileset) + cells


def write(folder, name, content):
    path = os.path.join(HERE, "corpus", folder)
    os.makedirs(path, exist_ok=True)
    with open(os.path.join(path, name), "wb") as out:
        out.write(content)


def main():
    with open(sys.argv[1]) as source:
        text = source.read()
    generated = map_bytes(text)
    every_code = bytes(range(256))
    for index, (name, frame, width, height, tileset) in enumerate(RENDER_CASES):
        cells = generated if index % 2 == 0 else every_code
        write("quarter_view", name, render_seed(frame, width, height, tileset, cells))

    lines = text.splitlines(keepends=True)
    map_cases = {
        "generated-map": text,
        "upper-case-hex": text.upper(),
        "one-row-short": "".join(lines[:-1]),
        "one-row-long": text + lines[0],
        "no-final-newline": text.rstrip("\n"),
        "bad-cell": "".join(lines[:5]) + lines[5].replace(":", "-", 1) + "".join(lines[6:]),
        "draws-decimal": "0 1 4294967295 17\n",
        "draws-hex": "0x0 0xffffffff\t0XAbC\r\n",
        "draws-out-of-range": "4294967296 0x100000000",
        "draws-negative": "-1",
    }
    for name, content in map_cases.items():
        write("map_text", name, content.encode("latin-1"))


if __name__ == "__main__":
    main()
