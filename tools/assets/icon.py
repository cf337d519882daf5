#!/usr/bin/env python3
"""Makes the program's icons: one paved cell with a piece of town wall and a round tower, in the
tileset's own style.

- DATA_DIR/images/icon.bmp: the window icon, 32 x 32, 8-bit indexed with the tileset palette; its
  top-left pixel holds the transparent key colour.
- DATA_DIR/icons/q47-32.bmp, DATA_DIR/icons/q47-16.bmp: the desktop icon's 32 x 32 and 16 x 16 images
  in 16 colours (4-bit BMP, palette index 0 transparent), from which the packaging makes the menu's PNGs;
- ICO_DIR/q47.ico: one icon group with both 16-colour images, for the executable.

Usage: icon.py DATA_DIR ICO_DIR
"""
import os
import struct
import sys

import numpy as np
from PIL import Image

import voxels
from voxels import Volume, hash_noise

ICON_COLOURS = 16


def emblem(scale):
    """The emblem scene for a cell of 16 * scale voxels, which renders (32 * scale) pixels wide."""
    cell = int(16 * scale)
    s = lambda v: v * scale  # noqa: E731  (distances below are given for the 32-pixel icon)
    vol = Volume((0, cell), (0, cell), int(s(25)))
    joint = (np.floor(vol.a) % int(s(8)) == 0) | (np.floor(vol.b) % int(s(8)) == 0)
    vol.put(vol.box(0, cell, 0, cell, 0, 1), "mortar", 0.9)
    vol.put(vol.box(0, cell, 0, cell, 0, 2) & ~joint, "stone",
            0.95 + 0.1 * hash_noise(np.floor(vol.a / s(8)), np.floor(vol.b / s(8)), seed=1))
    course = max(2, int(s(3)))
    brick = (np.floor(vol.h) % course != 0)
    wall = vol.box(0, s(5), 0, cell, 1, s(9))
    vol.put(wall & brick, "brick", 0.95 + 0.1 * hash_noise(np.floor(vol.h / course), np.floor(vol.b / s(4)), seed=2))
    vol.put(wall & ~brick, "mortar", 0.9)
    vol.put(vol.box(0, s(5), 0, cell, s(9), s(10)), "sandstone", 1.0)
    vol.put(vol.box(0, s(5), 0, cell, s(10), s(12)) & (np.floor(vol.b / s(4)) % 2 == 1), "sandstone", 1.0)
    ca, cb, radius = s(8), s(8), s(4)
    vol.put(vol.cylinder(ca, cb, radius, 1, s(16)), "sandstone", 0.92)
    vol.put(vol.cylinder(ca, cb, radius, 1, s(16)) & (np.floor(vol.h) % course == 0), "sandstone", 0.78)
    vol.put(vol.box(ca, ca + radius, cb - s(0.5), cb + s(0.5), s(8), s(12)), "mortar", 0.2)
    vol.put(vol.cylinder(ca, cb, radius + s(1), s(16), s(17)), "sandstone", 1.0)
    ring = vol.cylinder(ca, cb, radius + s(1), s(17), s(19)) & ~vol.cylinder(ca, cb, radius - s(0.5), 0, 99)
    angle = np.arctan2(vol.b - cb, vol.a - ca)
    vol.put(ring & (np.mod(angle * 4 / np.pi, 2) < 1), "sandstone", 1.0)
    pole = max(s(0.5), 0.5)  # at least one voxel thick, or the flag vanishes from the small icon
    vol.put(vol.box(ca - pole, ca + pole, cb - pole, cb + pole, s(17), s(23)), "wood", 0.9)
    vol.put(vol.box(ca - pole, ca + pole, cb + pole, cb + s(4), s(19), s(23)), "cloth", 1.1)
    return vol


def render_emblem(size):
    scale = size / 32.0
    # The cell sits in the lower half of the icon, its paving one voxel thick.
    offset_x, offset_y = 16 - size // 2, -size // 2
    scene = emblem(scale)
    voxels.check_fits(scene, size, size, offset_x, offset_y, f"{size}-pixel emblem")
    return voxels.render(scene, size, size, offset_x, offset_y)


def sixteen_colours(indexed):
    """Reduces an image in the tileset palette to a 16-colour palette, index 0 being transparent."""
    rgb = np.array(voxels.palette(), dtype=np.uint8).reshape(-1, 3)[indexed]
    opaque = indexed != voxels.KEY_INDEX
    picture = Image.fromarray(rgb[opaque].reshape(1, -1, 3), mode="RGB")
    reduced = picture.quantize(colors=ICON_COLOURS - 1, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    colours = np.array(reduced.getpalette()[:3 * (ICON_COLOURS - 1)], dtype=np.uint8).reshape(-1, 3)
    result = np.zeros(indexed.shape, dtype=np.uint8)
    result[opaque] = np.array(reduced, dtype=np.uint8).reshape(-1) + 1
    return result, colours


def bmp_4bit(indices, colours, transparent):
    """A 4-bit BMP file (bottom-up rows) with the 16 colours, entry 0 being `transparent`."""
    height, width = indices.shape
    table = [transparent] + [tuple(int(v) for v in c) for c in colours]
    table += [(0, 0, 0)] * (ICON_COLOURS - len(table))
    pixels = _packed_rows(indices)
    header_size = 14 + 40 + 4 * ICON_COLOURS
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(pixels), 2835, 2835, ICON_COLOURS, 0)
    file_header = struct.pack("<2sIHHI", b"BM", header_size + len(pixels), 0, 0, header_size)
    return file_header + info + _rgbquads(table) + pixels


def ico(images):
    """One icon group holding each (indices, colours) image in 16 colours with its AND mask."""
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for indices, colours in images:
        height, width = indices.shape
        table = [(0, 0, 0)] + [tuple(c) for c in colours]
        table += [(0, 0, 0)] * (ICON_COLOURS - len(table))
        xor = _packed_rows(indices)
        mask_rows = []
        for row in (indices == 0)[::-1]:
            bits = np.packbits(row.astype(np.uint8)).tobytes()
            mask_rows.append(bits + b"\0" * (-len(bits) % 4))
        and_mask = b"".join(mask_rows)
        info = struct.pack("<IiiHHIIiiII", 40, width, 2 * height, 1, 4, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
        blob = info + _rgbquads(table) + xor + and_mask
        entries.append(struct.pack("<BBBBHHII", width, height, ICON_COLOURS, 0, 1, 4, len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    return struct.pack("<HHH", 0, 1, len(images)) + b"".join(entries) + b"".join(blobs)


def _packed_rows(indices):
    rows = []
    for row in indices[::-1]:
        packed = bytes((int(row[i]) << 4) | int(row[i + 1]) for i in range(0, len(row), 2))
        rows.append(packed + b"\0" * (-len(packed) % 4))
    return b"".join(rows)


def _rgbquads(table):
    return b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in table)


def main(argv):
    if len(argv) != 3:
        sys.exit("usage: icon.py DATA_DIR ICO_DIR")
    images, icons, ico_dir = os.path.join(argv[1], "images"), os.path.join(argv[1], "icons"), argv[2]
    for folder in (images, icons, ico_dir):
        os.makedirs(folder, exist_ok=True)
    window_icon = Image.fromarray(render_emblem(32), mode="P")
    window_icon.putpalette(voxels.palette())
    window_icon.save(os.path.join(images, "icon.bmp"))
    desktop = []
    for size in (32, 16):
        indices, colours = sixteen_colours(render_emblem(size))
        with open(os.path.join(icons, f"q47-{size}.bmp"), "wb") as out:
            out.write(bmp_4bit(indices, colours, voxels.KEY_COLOUR))
        desktop.append((indices, colours))
    with open(os.path.join(ico_dir, "q47.ico"), "wb") as out:
        out.write(ico(desktop))


if __name__ == "__main__":
    main(sys.argv)
