"""Checks the committed data files: the tileset's format, key and layout, how its sprites fit the
cells they are drawn from, the icons, the music's format and loop seam, and that the generators still
make exactly the committed tileset and icons."""
import math
import os
import struct
import subprocess
import tempfile
import unittest
import wave
from array import array

from png_reading import png_chunks, unfiltered_rows

SOURCE_DIR = os.environ.get("Q47_SOURCE_DIR", os.path.join(os.path.dirname(__file__), "..", ".."))
DATA_DIR = os.path.join(SOURCE_DIR, "data")
TILESET = os.path.join(DATA_DIR, "images", "Torvi070930-7.png")
ICON = os.path.join(DATA_DIR, "images", "icon.bmp")
MUSIC = os.path.join(DATA_DIR, "sounds", "Vostel_sarabando_mi.ogg")
FONT_LICENCE = os.path.join(DATA_DIR, "fonts", "lumo2_8", "LICENCE")
WINDOWS_ICON = os.path.join(SOURCE_DIR, "packaging", "icons", "q47.ico")
MAKE_ALL = os.path.join(SOURCE_DIR, "tools", "assets", "make_all.sh")

# Sprite kinds: the sprite's size and its corner's offset from the cell point it is drawn from.
GROUND = ((32, 16), [(32, 0), (64, 0), (96, 0), (128, 0), (160, 0), (0, 16), (32, 16), (64, 16),
                     (96, 16), (128, 16), (160, 16), (192, 64)])
STANDING = ((32, 64), [(224, 0), (96, 32), (128, 32), (160, 32), (96, 96), (128, 96), (160, 96)])
TALL = ((64, 80), [(96, 160), (160, 160)])
LARGE = ((64, 80), [(64 * (n % 4), 240 + 80 * (n // 4)) for n in range(16)])
LARGE_SHIFTED = (1, 3, 6)
WALL_BODY = 30  # a wall's brickwork rises at least this far above its footprint's lower edge


# ---------------------------------------------------------------- minimal image readers

class Indexed:
    """An indexed picture: width, height, palette as (r, g, b) tuples, rows of palette indices."""

    def __init__(self, width, height, palette, rows):
        self.width, self.height, self.palette, self.rows = width, height, palette, rows

    def at(self, x, y):
        return self.rows[y][x]


def read_png(path):
    chunks = png_chunks(path)
    header = dict(chunks)[b"IHDR"]
    width, height, depth, colour_type, _, _, interlace = struct.unpack(">IIBBBBB", header)
    kinds = [kind for kind, _ in chunks]
    plte = dict(chunks)[b"PLTE"]
    palette = [tuple(plte[i:i + 3]) for i in range(0, len(plte), 3)]
    per_byte = 8 // depth
    rows = [bytes((line[x // per_byte] >> (8 - depth * (x % per_byte + 1))) & ((1 << depth) - 1)
                  for x in range(width))
            for line in unfiltered_rows(chunks, height, (width * depth + 7) // 8, 1)]
    info = dict(depth=depth, colour_type=colour_type, interlace=interlace, chunks=kinds)
    return Indexed(width, height, palette, rows), info


def read_bmp(path):
    with open(path, "rb") as source:
        data = source.read()
    if data[:2] != b"BM":
        raise AssertionError(f"{path} is not a BMP file")
    offset = struct.unpack("<I", data[10:14])[0]
    header_size, width, height, _, bits, compression = struct.unpack("<IiiHHI", data[14:34])
    used = struct.unpack("<I", data[46:50])[0] or (1 << bits)
    table = data[14 + header_size:14 + header_size + 4 * used]
    palette = [(table[i + 2], table[i + 1], table[i]) for i in range(0, len(table), 4)]
    return _unpack_rows(data[offset:], width, abs(height), bits, height > 0, palette), dict(bits=bits, compression=compression)


def _unpack_rows(pixels, width, height, bits, bottom_up, palette):
    stride = ((width * bits + 31) // 32) * 4
    rows = []
    for y in range(height):
        line = pixels[y * stride:(y + 1) * stride]
        if bits == 8:
            rows.append(bytes(line[:width]))
        elif bits == 4:
            rows.append(bytes((line[x // 2] >> (4 if x % 2 == 0 else 0)) & 15 for x in range(width)))
        else:
            raise AssertionError(f"unexpected {bits} bits per pixel")
    if bottom_up:
        rows.reverse()
    return Indexed(width, height, palette, rows)


# ---------------------------------------------------------------- the tileset

def sprite_mask(sheet, kind, index, key):
    (width, height), places = kind
    x0, y0 = places[index]
    return [[sheet.at(x0 + x, y0 + y) != key for x in range(width)] for y in range(height)]


def cell_point(row, column):
    """Where the game puts a cell's ground tile, for a view whose cell (0, 0) lies at (0, 0)."""
    return 16 * column - 16 * row, 8 * row + 8 * column


class Canvas:
    """Opaque / transparent coverage of sprites pasted with the game's offsets, in painter's order."""

    def __init__(self, sheet, key):
        self.sheet, self.key, self.cover = sheet, key, {}

    def paste(self, kind, index, row, column, dx, dy):
        mask = sprite_mask(self.sheet, kind, index, self.key)
        x0, y0 = cell_point(row, column)
        for y, line in enumerate(mask):
            for x, opaque in enumerate(line):
                if opaque:
                    self.cover[(x0 + dx + x, y0 + dy + y)] = True

    def standing(self, index, row, column):
        self.paste(STANDING, index, row, column, 0, -48)

    def tall(self, index, row, column):
        self.paste(TALL, index, row, column, 0, -64)

    def large(self, index, row, column):
        self.paste(LARGE, index, row, column, -16 + (8 if index in LARGE_SHIFTED else 0), -72)


def in_diamond(x, y):
    """Whether pixel (x, y) of a 32 x 16 ground tile belongs to its cell: the pixel's centre, taken back
    to the floor, lies inside the cell's square (16 floor units a side, a cell step being 16 across and
    8 down for each unit square)."""
    across, down = x + 0.5 - 16, y + 0.5
    a, b = (across + 2 * down) / 2, (2 * down - across) / 2
    return 0 <= a < 16 and 0 <= b < 16


DIAMOND = [[in_diamond(x, y) for x in range(32)] for y in range(16)]


def footprint_bottom(cells):
    """Lowest pixel row covered by the ground diamonds of the given cells, per pixel column."""
    bottom = {}
    for row, column in cells:
        x0, y0 = cell_point(row, column)
        for x in range(32):
            # The diamond's lower edges, at this pixel column's centre; the last row whose centre is above.
            edge = 16 - abs(x + 0.5 - 16) / 2
            lowest = y0 + math.ceil(edge - 0.5) - 1
            bottom[x0 + x] = max(bottom.get(x0 + x, lowest), lowest)
    return bottom


class TilesetTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.sheet, cls.info = read_png(TILESET)
        cls.key = cls.sheet.at(0, 0)

    def test_is_a_256_by_560_palette_png_without_alpha(self):
        self.assertEqual((self.sheet.width, self.sheet.height), (256, 560))
        self.assertEqual((self.info["depth"], self.info["colour_type"], self.info["interlace"]), (8, 3, 0))
        self.assertNotIn(b"tRNS", self.info["chunks"])

    def test_no_visible_pixel_has_the_key_colour(self):
        key_colour = self.sheet.palette[self.key]
        clashes = {(x, y) for y, row in enumerate(self.sheet.rows) for x, index in enumerate(row)
                   if index != self.key and self.sheet.palette[index] == key_colour}
        self.assertEqual(clashes, set())

    def test_everything_outside_the_sprites_is_the_key(self):
        inside = set()
        for (width, height), places in (GROUND, STANDING, TALL, LARGE):
            for x0, y0 in places:
                inside.update((x, y) for y in range(y0, y0 + height) for x in range(x0, x0 + width))
        stray = [(x, y) for y in range(560) for x in range(256)
                 if (x, y) not in inside and self.sheet.at(x, y) != self.key]
        self.assertEqual(stray[:10], [])

    def test_every_sprite_has_a_picture(self):
        for name, kind in (("ground", GROUND), ("standing", STANDING), ("tall", TALL), ("large", LARGE)):
            for index in range(len(kind[1])):
                with self.subTest(sprite=f"{name} {index}"):
                    opaque = sum(map(sum, sprite_mask(self.sheet, kind, index, self.key)))
                    self.assertGreater(opaque, 100)

    def test_ground_tiles_are_one_diamond_that_tiles_the_floor(self):
        masks = [sprite_mask(self.sheet, GROUND, index, self.key) for index in range(12)]
        for index, mask in enumerate(masks):
            with self.subTest(tile=index):
                self.assertEqual(mask, DIAMOND)
        self.assertEqual(sum(map(sum, DIAMOND)), 256)
        coverage = {}
        for row in range(-4, 8):
            for column in range(-4, 8):
                x0, y0 = cell_point(row, column)
                for y in range(16):
                    for x in range(32):
                        if masks[0][y][x]:
                            coverage[(x0 + x, y0 + y)] = coverage.get((x0 + x, y0 + y), 0) + 1
        window = [(x, y) for x in range(-32, 32) for y in range(16, 48)]
        self.assertEqual({point: coverage.get(point, 0) for point in window if coverage.get(point, 0) != 1}, {})

    def test_the_two_wall_pieces_have_one_outline(self):
        self.assertEqual(sprite_mask(self.sheet, STANDING, 1, self.key), sprite_mask(self.sheet, STANDING, 2, self.key))

    def test_objects_stand_on_their_cells(self):
        """Nothing hangs below the lower edges of the cells an object covers."""
        cases = [("standing", STANDING, i, 0, -48, [(0, 0)]) for i in range(7)]
        cases += [("tall", TALL, i, 0, -64, [(0, 0), (-1, 0), (-2, 0)]) for i in range(2)]
        block = [(r, c) for r in (0, -1, -2) for c in (0, -1, -2)]
        cases += [("large", LARGE, i, -16 + (8 if i in LARGE_SHIFTED else 0), -72, block) for i in range(16)]
        for name, kind, index, dx, dy, cells in cases:
            with self.subTest(sprite=f"{name} {index}"):
                bottom = footprint_bottom(cells)
                mask = sprite_mask(self.sheet, kind, index, self.key)
                below = [(x, y) for y, line in enumerate(mask) for x, opaque in enumerate(line)
                         if opaque and y + dy > bottom.get(x + dx, -999)]
                self.assertEqual(below, [])

    def test_wall_lines_run_unbroken_through_towers_gatehouses_and_bays(self):
        """Walls composed as the game places them leave no gap in the brickwork along their line."""
        left = Canvas(self.sheet, self.key)
        for row in range(0, 3):
            left.standing(1 + row % 2, row, 1)
        left.large(4, 5, 2)                 # corner tower at the first row (4) of a bay on rows 5 to 8
        left.standing(1, 9, 0)
        left.standing(5, 9, 1)              # the wall's end at the bay's last row
        for row in range(10, 14):
            left.standing(1 + row % 2, row, 1)
        left.tall(0, 16, 1)                 # gatehouse over rows 14 to 16
        for row in range(17, 19):
            left.standing(2 - row % 2, row, 1)
        left.large(13, 21, 2)               # wall tower over rows 19 to 21
        for row in range(22, 27):
            left.standing(1 + row % 3 // 2, row, 1)
        left.standing(2, 26, 0)             # the first row (26) of a bay on rows 27 to 30
        left.large(7, 32, 2)                # corner tower at its last row (31)
        for row in range(33, 35):
            left.standing(1, row, 1)
        right = Canvas(self.sheet, self.key)
        for row in range(0, 2):
            right.standing(1 + row % 2, row, 14)
        right.large(6, 4, 15)               # corner tower at the first row (3) of a bay on rows 4 to 7
        right.large(5, 9, 15)               # corner tower at its last row (8)
        for row in range(10, 12):
            right.standing(1, row, 14)
        right.large(13, 14, 15)             # wall tower over rows 12 to 14
        for row in range(15, 20):
            right.standing(2 - row % 2, row, 14)
        right.standing(4, 20, 14)           # the wall's end at the first row (20) of a bay on rows 21 to 24
        right.standing(1, 20, 15)
        for row in range(25, 28):
            right.standing(1 + row % 2, row, 14)
        right.standing(2, 25, 15)
        lines = (("left", left, list(range(0, 5)) + list(range(9, 27)) + list(range(31, 35)), 1),
                 ("right", right, list(range(0, 4)) + list(range(8, 21)) + list(range(25, 28)), 14))
        for name, canvas, rows, column in lines:
            for first, last in _runs(rows):
                with self.subTest(side=name, rows=(first, last)):
                    bottom = footprint_bottom([(row, column) for row in range(first, last + 1)])
                    holes = [(x, y) for x, lowest in bottom.items() for y in range(lowest - WALL_BODY, lowest + 1)
                             if (x, y) not in canvas.cover]
                    self.assertEqual(holes[:10], [])


def _runs(rows):
    runs, start = [], rows[0]
    for previous, current in zip(rows, rows[1:] + [None]):
        if current != previous + 1:
            runs.append((start, previous))
            start = current
    return runs


# ---------------------------------------------------------------- icons

class IconTest(unittest.TestCase):
    def test_window_icon_is_a_32_pixel_palette_bmp_keyed_at_its_corner(self):
        icon, info = read_bmp(ICON)
        self.assertEqual((icon.width, icon.height, info["bits"], info["compression"]), (32, 32, 8, 0))
        key = icon.at(0, 0)
        visible = [(x, y) for y in range(32) for x in range(32) if icon.at(x, y) != key]
        self.assertGreater(len(visible), 300)
        self.assertFalse([p for p in visible if icon.palette[icon.at(*p)] == icon.palette[key]])
        self.assertGreater(len({icon.palette[icon.at(*p)] for p in visible}), 8)

    def test_desktop_icon_group_holds_16_colour_images_of_32_and_16_pixels(self):
        with open(WINDOWS_ICON, "rb") as source:
            data = source.read()
        reserved, kind, count = struct.unpack("<HHH", data[:6])
        self.assertEqual((reserved, kind, count), (0, 1, 2))
        sizes = []
        for entry in range(count):
            width, height, colours, _, planes, bits, length, offset = struct.unpack(
                "<BBBBHHII", data[6 + 16 * entry:22 + 16 * entry])
            sizes.append(width)
            with self.subTest(size=width):
                self.assertEqual((width, colours, planes, bits), (height, 16, 1, 4))
                blob = data[offset:offset + length]
                _, w, double_h, _, blob_bits = struct.unpack("<IiiHH", blob[:16])
                self.assertEqual((w, double_h, blob_bits), (width, 2 * width, 4))
                xor = _unpack_rows(blob[40 + 64:], width, width, 4, True, [])
                mask_stride = ((width + 31) // 32) * 4
                mask = blob[40 + 64 + width * ((width * 4 + 31) // 32) * 4:]
                for y in range(width):
                    line = mask[(width - 1 - y) * mask_stride:(width - y) * mask_stride]
                    for x in range(width):
                        transparent = (line[x // 8] >> (7 - x % 8)) & 1
                        self.assertEqual(transparent == 1, xor.at(x, y) == 0, (x, y))
                self.assertGreater(sum(1 for row in xor.rows for i in row if i), width * width // 3)
        self.assertEqual(sorted(sizes), [16, 32])

    def test_desktop_icon_bmps_are_16_colour(self):
        for size in (16, 32):
            with self.subTest(size=size):
                image, info = read_bmp(os.path.join(DATA_DIR, "icons", f"q47-{size}.bmp"))
                self.assertEqual((image.width, image.height, info["bits"]), (size, size, 4))
                self.assertEqual(image.at(0, 0), 0)


# ---------------------------------------------------------------- the generators

class RegenerationTest(unittest.TestCase):
    """The committed pictures and font are exactly what the generators make."""

    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.TemporaryDirectory()
        cls.data = os.path.join(cls.scratch.name, "data")
        cls.icons = os.path.join(cls.scratch.name, "icons")
        subprocess.run([MAKE_ALL, "--data", cls.data, "--icons", cls.icons, "tileset", "icon", "font"], check=True)

    @classmethod
    def tearDownClass(cls):
        cls.scratch.cleanup()

    def assertSamePicture(self, made, committed):
        self.assertEqual((made.width, made.height), (committed.width, committed.height))
        self.assertEqual(made.palette, committed.palette)
        for y, (a, b) in enumerate(zip(made.rows, committed.rows)):
            self.assertEqual(a, b, f"row {y} differs")

    def test_tileset(self):
        self.assertSamePicture(read_png(os.path.join(self.data, "images", "Torvi070930-7.png"))[0], read_png(TILESET)[0])

    def test_window_icon(self):
        self.assertSamePicture(read_bmp(os.path.join(self.data, "images", "icon.bmp"))[0], read_bmp(ICON)[0])

    def test_menu_icons(self):
        for size in (16, 32):
            with self.subTest(size=size):
                made, info = read_png(os.path.join(self.icons, f"q47-{size}.png"))
                committed, _ = read_png(os.path.join(SOURCE_DIR, "packaging", "icons", f"q47-{size}.png"))
                self.assertSamePicture(made, committed)

    def test_desktop_icons_and_font(self):
        for name, made, committed in (
                ("q47-16.bmp", os.path.join(self.data, "icons", "q47-16.bmp"), os.path.join(DATA_DIR, "icons", "q47-16.bmp")),
                ("q47-32.bmp", os.path.join(self.data, "icons", "q47-32.bmp"), os.path.join(DATA_DIR, "icons", "q47-32.bmp")),
                ("q47.ico", os.path.join(self.icons, "q47.ico"), WINDOWS_ICON),
                ("lumofont.ttf", os.path.join(self.data, "fonts", "lumo2_8", "lumofont.ttf"),
                 os.path.join(DATA_DIR, "fonts", "lumo2_8", "lumofont.ttf"))):
            with self.subTest(file=name), open(made, "rb") as a, open(committed, "rb") as b:
                self.assertEqual(a.read(), b.read())


# ---------------------------------------------------------------- music and font

class MusicTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.TemporaryDirectory()
        decoded = os.path.join(cls.scratch.name, "music.wav")
        subprocess.run(["oggdec", "--quiet", "-o", decoded, MUSIC], check=True)
        with wave.open(decoded, "rb") as music:
            cls.channels, cls.width, cls.rate = music.getnchannels(), music.getsampwidth(), music.getframerate()
            cls.frames = music.getnframes()
            cls.samples = array("h", music.readframes(cls.frames))

    @classmethod
    def tearDownClass(cls):
        cls.scratch.cleanup()

    def channel(self, number):
        return self.samples[number::self.channels]

    def test_is_a_stereo_ogg_vorbis_track_of_half_a_minute_to_a_minute_and_a_half(self):
        with open(MUSIC, "rb") as source:
            head = source.read(64)
        self.assertEqual(head[:4], b"OggS")
        self.assertIn(b"\x01vorbis", head)
        self.assertLessEqual(os.path.getsize(MUSIC), 600 * 1024)
        self.assertEqual((self.channels, self.width), (2, 2))
        self.assertIn(self.rate, (22050, 44100))
        self.assertTrue(30 <= self.frames / self.rate <= 90, self.frames / self.rate)

    def test_loop_point_joins_without_a_click(self):
        for number in range(self.channels):
            with self.subTest(channel=number):
                samples = self.channel(number)
                steps = sorted(abs(b - a) for a, b in zip(samples, samples[1:]))
                seam = abs(samples[0] - samples[-1])
                self.assertLessEqual(seam, steps[int(len(steps) * 0.99)])

    def test_loop_point_has_no_gap(self):
        span = self.rate // 20
        for number in range(self.channels):
            with self.subTest(channel=number):
                samples = self.channel(number)
                whole = _rms(samples)
                tail, head = _rms(samples[-span:]), _rms(samples[:span])
                self.assertGreater(min(tail, head), whole / 8)
                self.assertLess(max(tail, head) / min(tail, head), 2.0)


def _rms(samples):
    return (sum(s * s for s in samples) / len(samples)) ** 0.5


class FontLicenceTest(unittest.TestCase):
    def test_licence_sits_beside_the_font(self):
        with open(FONT_LICENCE, encoding="utf-8") as source:
            text = source.read()
        self.assertIn("Num Kadoma", text)
        self.assertIn("Unlimited permission is granted to use, copy, and distribute it", text)
        self.assertTrue(os.path.getsize(os.path.join(DATA_DIR, "fonts", "lumo2_8", "lumofont.ttf")) > 1000)


if __name__ == "__main__":
    unittest.main()
