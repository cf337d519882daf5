#!/usr/bin/env python3
"""Writes the fixtures of the render golden tests: a test tileset and small fixed maps.

The tileset keeps the atlas layout with plain shapes of its own (one colour per sprite, a row of dots
telling the index, key-coloured corners and holes), so the reference pictures do not change when the
shipped art does. Run from anywhere; it writes beside itself. Output is the same on every run.
"""
import colorsys
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
WIDTH, HEIGHT = 256, 560
KEY = 0
OUTLINE = 1
KEY_RGB = (255, 0, 255)
OUTLINE_RGB = (24, 24, 64)

# (kind, index, x, y, w, h), as the atlas places them.
GROUND = [(32, 0), (64, 0), (96, 0), (128, 0), (160, 0), (0, 16), (32, 16), (64, 16), (96, 16),
          (128, 16), (160, 16), (192, 64)]
STANDING = [(224, 0), (96, 32), (128, 32), (160, 32), (96, 96), (128, 96), (160, 96)]
TALL = [(96, 160), (160, 160)]
LARGE = [(64 * (n % 4), 240 + 80 * (n // 4)) for n in range(16)]
SPRITES = ([("ground", i, x, y, 32, 16) for i, (x, y) in enumerate(GROUND)] +
           [("standing", i, x, y, 32, 64) for i, (x, y) in enumerate(STANDING)] +
           [("tall", i, x, y, 64, 80) for i, (x, y) in enumerate(TALL)] +
           [("large", i, x, y, 64, 80) for i, (x, y) in enumerate(LARGE)])


def palette():
    colours = [KEY_RGB, OUTLINE_RGB]
    for n in range(len(SPRITES)):
        hue = (n * 0.618034) % 1.0
        for value in (0.70, 0.95):  # side, then the lighter top
            r, g, b = colorsys.hsv_to_rgb(hue, 0.55, value)
            colours.append((int(r * 255), int(g * 255), int(b * 255)))
    return colours


def inside_diamond(x, y, w, h):
    """Whether (x, y) lies in the rhombus that fills a w x h box (a quarter-view floor tile)."""
    cx, cy = (w - 1) / 2.0, (h - 1) / 2.0
    return abs(x - cx) / (w / 2.0) + abs(y - cy) / (h / 2.0) <= 1.0


def sprite_pixel(kind, x, y, w, h):
    """Palette role of one sprite pixel: None (key), 'side', 'top' or 'outline'."""
    if kind == "ground":
        if not inside_diamond(x, y, w, h):
            return None
        return "outline" if not inside_diamond(x, y, w - 4, h - 2) else "top"
    top_h = w // 2  # a floor diamond of the sprite's own width, on top and at the foot of a prism
    foot_y = h - top_h - (8 if kind == "large" else 0)
    in_top = inside_diamond(x, y, w, top_h)
    in_foot = foot_y <= y < foot_y + top_h and inside_diamond(x, y - foot_y, w, top_h)
    in_body = top_h // 2 <= y < foot_y + top_h // 2
    if not (in_top or in_foot or in_body):
        return None
    if x in (0, w - 1) or (in_top and not inside_diamond(x, y, w - 4, top_h - 2)):
        return "outline"
    return "top" if in_top else "side"


def draw_tileset():
    pixels = [[KEY] * WIDTH for _ in range(HEIGHT)]
    for n, (kind, index, sx, sy, w, h) in enumerate(SPRITES):
        side, top = 2 + 2 * n, 3 + 2 * n
        for y in range(h):
            for x in range(w):
                role = sprite_pixel(kind, x, y, w, h)
                if role is not None:
                    pixels[sy + y][sx + x] = {"side": side, "top": top, "outline": OUTLINE}[role]
        # index + 1 dots across the middle, and one key-coloured hole that must stay transparent
        dot_y = sy + h // 2 if kind != "ground" else sy + 7
        for d in range(index + 1):
            dx = sx + 4 + 3 * d if kind != "ground" else sx + 10 + 2 * (d % 6)
            if dx < sx + w - 2:
                pixels[dot_y][dx] = OUTLINE
        if kind != "ground":
            pixels[dot_y + 3][sx + w // 2] = KEY
    return pixels


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)


def write_indexed_png(path, pixels, colours):
    raw = b"".join(b"\x00" + bytes(row) for row in pixels)
    png = (b"\x89PNG\r\n\x1a\n" +
           png_chunk(b"IHDR", struct.pack(">IIBBBBB", WIDTH, HEIGHT, 8, 3, 0, 0, 0)) +
           png_chunk(b"PLTE", b"".join(bytes(c) for c in colours)) +
           png_chunk(b"IDAT", zlib.compress(raw, 9)) +
           png_chunk(b"IEND", b""))
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as out:
        out.write(png)


def write_map(path, cells):
    """cells: {(row, column): (ground, object)}; every other cell is ff:ff."""
    with open(path, "w") as out:
        for row in range(1024):
            out.write(" ".join("%02x:%02x" % cells.get((row, col), (0xFF, 0xFF)) for col in range(16)) + "\n")


def sprites_map():
    """A floor of every ground tile with every valid sprite on it, covered cells and holes in the floor."""
    cells = {}
    for row in range(4, 31):
        for col in range(1, 15):
            cells[(row, col)] = ((row * 5 + col) % 12, 0xFF)

    def put(row, col, obj, ground=None):
        cells[(row, col)] = (cells[(row, col)][0] if ground is None else ground, obj)

    for n in range(16):
        put(12 + 3 * (n // 4), 2 + 3 * (n % 4), 0x41 + n)  # large 0 to 15
    put(13, 3, 0x40)                          # covered by a large block: nothing drawn
    for i in range(7):
        put(24, 6 + i, i)                     # standing 0 to 6
    put(28, 9, 0x21)
    put(28, 12, 0x22)                         # the two tall sprites
    put(26, 9, 0x20)
    put(27, 9, 0x20)                          # covered by the tall sprite: nothing drawn
    put(22, 13, 0x03, ground=0xFF)            # no ground under a standing object
    put(25, 14, 0x01, ground=0xFF)
    return cells


def invalid_map():
    """Codes without a sprite of their own, each drawing the whole tileset, on a little floor."""
    cells = {}
    for row in range(14, 20):
        for col in range(4, 12):
            cells[(row, col)] = (row % 12, 0xFF)
    cells[(16, 6)] = (0x0C, 0xFF)    # one past the last ground tile
    cells[(17, 9)] = (0x80, 0xFF)    # a negative ground index
    cells[(18, 5)] = (0x03, 0x60)    # both family bits: tall, index 63
    cells[(15, 10)] = (0xFF, 0x07)   # one past the last standing sprite
    cells[(19, 10)] = (0x01, 0x51)   # one past the last large sprite
    return cells


def main():
    write_indexed_png(os.path.join(HERE, "data", "images", "Torvi070930-7.png"), draw_tileset(), palette())
    write_map(os.path.join(HERE, "sprites.map"), sprites_map())
    write_map(os.path.join(HERE, "invalid.map"), invalid_map())


if __name__ == "__main__":
    main()
