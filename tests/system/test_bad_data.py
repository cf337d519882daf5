"""Damaged, replaced and half-written data files against the real q47 process: each row of the table below
either ends start-up with its one "Error: " line and status 1, or leaves a running program that ends
with status 0 on a close request. No row may crash, hang, leave a sanitizer report or write a file."""

import io
import os
import random
import re
import struct
import time
import unittest

from PIL import Image

from q47harness import Xvfb, RunFolder, start, finish, run_to_end, PATIENCE, SANITIZED

TILESET = "images/Torvi070930-7.png"
ICON = "images/icon.bmp"
MUSIC = "sounds/Vostel_sarabando_mi.ogg"
FONT = "fonts/lumo2_8/lumofont.ttf"
# A file of another kind under each name: the data file that comes next in this ring.
OTHER_KIND = {TILESET: MUSIC, MUSIC: TILESET, ICON: FONT, FONT: ICON}

RUNS = "runs"  # the program starts, keeps running and ends with status 0 when its window is closed
FAILED_TILE = b"Error: failed tile\n"
FAILED_BGM = b"Error: failed bgm\n"
# libpng reports a corrupt picture on standard error itself, before SDL_image gives up on it.
LIBPNG_ERROR = re.compile(rb"libpng (error|warning): [^\n]*\n")
# How long a running program is watched before the close request: a bad file shows by then.
WATCH_SECONDS = 3.0 if SANITIZED else 1.5
SANITIZER_MARKS = (b"ERROR: AddressSanitizer", b"runtime error", b"ERROR: LeakSanitizer", b"Segmentation fault")


def png_bytes(image):
    out = io.BytesIO()
    image.save(out, "PNG")
    return out.getvalue()


def bmp_bytes(image):
    out = io.BytesIO()
    image.save(out, "BMP")
    return out.getvalue()


def bmp_16bit(width, height):
    """A 16-bit RGB565 BMP (BI_BITFIELDS), which PIL does not write: a gradient, rows bottom-up."""
    row_bytes = (width * 2 + 3) & ~3
    pixels = bytearray()
    for y in range(height):
        row = b"".join(struct.pack("<H", ((x * 8) & 0x1F) << 11 | ((y * 8) & 0x3F) << 5 | 0x0F) for x in range(width))
        pixels += row + bytes(row_bytes - len(row))
    masks = struct.pack("<III", 0xF800, 0x07E0, 0x001F)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 16, 3, len(pixels), 2835, 2835, 0, 0)
    offset = 14 + len(info) + len(masks)
    header = b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset)
    return header + info + masks + bytes(pixels)


# How each damage turns the good file (its bytes, and the folder's other files) into the bad one.
DIRECTORY = "a directory"  # what a damage gives for a folder in the file's place


def missing(good, files):
    return None


def a_directory(good, files):
    return DIRECTORY


def empty(good, files):
    return b""


def truncated_to_half(good, files):
    return good[:len(good) // 2]


def first_bytes(count):
    return lambda good, files: good[:count]


def random_bytes(good, files):
    return random.Random(len(good)).randbytes(len(good))


def other_kind(name):
    return lambda good, files: files[OTHER_KIND[name]]


def tileset_image(transform):
    return lambda good, files: png_bytes(transform(Image.open(io.BytesIO(good))))


def cropped(width, height):
    return tileset_image(lambda image: image.crop((0, 0, width, height)))


def on_large_canvas(image):
    canvas = Image.new("P", (4096, 4096), 0)
    canvas.putpalette(image.getpalette())
    canvas.paste(image, (0, 0))
    return canvas


def icon_1x1(good, files):
    return bmp_bytes(Image.new("RGB", (1, 1), (200, 30, 30)))


def icon_16bit(good, files):
    return bmp_16bit(32, 32)


def wide_tileset(good, files):
    return png_bytes(Image.new("P", (70000, 600), 0))


def wide_icon(good, files):
    return bmp_bytes(Image.new("RGB", (20000, 4), (9, 9, 9)))


def damage_rows(name, outcome):
    return [
        (f"{name} missing", name, missing, outcome),
        (f"{name} empty", name, empty, outcome),
        (f"{name} truncated to half", name, truncated_to_half, outcome),
        (f"{name} random bytes", name, random_bytes, outcome),
        (f"{name} holding {OTHER_KIND[name]}", name, other_kind(name), outcome),
        (f"{name} a directory", name, a_directory, outcome),
    ]


# (row, data file, damage, outcome). A tileset must hold every sprite of the atlas, 256 x 560 pixels or
# more; any picture that size loads and draws, whatever its pixel format.
CASES = (
    damage_rows(TILESET, FAILED_TILE)
    + [
        ("tileset 8 x 8", TILESET, cropped(8, 8), FAILED_TILE),
        ("tileset 1 x 1", TILESET, cropped(1, 1), FAILED_TILE),
        ("tileset 255 x 560", TILESET, cropped(255, 560), FAILED_TILE),
        ("tileset 256 x 559", TILESET, cropped(256, 559), FAILED_TILE),
        ("tileset with an alpha channel", TILESET, tileset_image(lambda image: image.convert("RGBA")), RUNS),
        ("tileset 1-bit", TILESET, tileset_image(lambda image: image.convert("1")), RUNS),
        ("tileset 4096 x 4096", TILESET, tileset_image(on_large_canvas), RUNS),
        # Rows wider than SDL's 16-bit pitch: the surface cannot be made, so the picture does not load.
        ("tileset 70000 x 600", TILESET, wide_tileset, FAILED_TILE),
    ]
    # A music file that opens but ends early still plays; one that does not open fails the music start.
    + [row if row[2] is not truncated_to_half else row[:3] + (RUNS,) for row in damage_rows(MUSIC, FAILED_BGM)]
    + [
        # Cut inside the Vorbis headers the track does not open; cut after them it plays out within the
        # watch and starts again, over and over.
        ("music cut to its first 1000 bytes", MUSIC, first_bytes(1000), FAILED_BGM),
        ("music cut to its first 12 KiB", MUSIC, first_bytes(12 * 1024), RUNS),
    ]
    # The icon is optional and the font only writes the panel's text: without them the program runs on.
    + damage_rows(ICON, RUNS)
    + [
        ("icon 1 x 1", ICON, icon_1x1, RUNS),
        ("icon 16-bit", ICON, icon_16bit, RUNS),
        ("icon 20000 x 4", ICON, wide_icon, RUNS),
    ]
    + damage_rows(FONT, RUNS)
)


def folder_listing(folder):
    listing = []
    for parent, _, names in os.walk(folder.path):
        listing += [os.path.relpath(os.path.join(parent, n), folder.path) for n in names]
    return sorted(listing)


class BadDataTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.xvfb = Xvfb()

    @classmethod
    def tearDownClass(cls):
        cls.xvfb.close()

    def prepare(self, name, damage):
        folder = RunFolder()
        self.addCleanup(folder.close)
        files = {}
        for data_file in OTHER_KIND:
            with open(folder.file(data_file), "rb") as source:
                files[data_file] = source.read()
        content = damage(files[name], files)
        if content is None:
            folder.remove(name)
        elif content is DIRECTORY:
            folder.remove(name)
            os.mkdir(folder.file(name))
        else:
            folder.write(name, content)
        return folder

    def assert_no_sanitizer_report(self, err):
        for mark in SANITIZER_MARKS:
            self.assertNotIn(mark, err)

    def expect_failure(self, folder, line):
        status, out, err = run_to_end(folder, self.xvfb.env())
        self.assert_no_sanitizer_report(err)
        own = LIBPNG_ERROR.sub(b"", err) if line == FAILED_TILE else err
        self.assertEqual((status, out, own), (1, b"", line), f"stderr {err!r}")

    def expect_running(self, folder):
        process = start(folder, self.xvfb.env())
        window = self.xvfb.find_window(process=process)
        if window is None:
            process.kill()
            status, _, err = finish(process)
            self.fail(f"no q47 window; status {status}, stderr {err[-2000:]!r}")
        time.sleep(WATCH_SECONDS)
        if process.poll() is not None:
            status, _, err = finish(process)
            self.fail(f"ended by itself with status {status}, stderr {err[-2000:]!r}")
        self.xvfb.request_close(window)
        try:
            status, out, err = finish(process)
        except Exception:
            process.kill()
            finish(process)
            raise
        self.assert_no_sanitizer_report(err)
        self.assertEqual((status, out, err), (0, b"", b""))

    def test_every_bad_data_file_runs_or_ends_with_its_error_line(self):
        for row, name, damage, outcome in CASES:
            with self.subTest(row):
                folder = self.prepare(name, damage)
                before = folder_listing(folder)
                if outcome == RUNS:
                    self.expect_running(folder)
                else:
                    self.expect_failure(folder, outcome)
                self.assertEqual(folder_listing(folder), before, "the program wrote a file")


if __name__ == "__main__":
    unittest.main()
