"""The desktop icon: the Windows .ico (one group of a 32 x 32 and a 16 x 16 image in 16 colours), the
hicolor PNGs made from the same 16-colour images, and the resource script that embeds the .ico."""

import os
import shutil
import struct
import subprocess
import tempfile
import unittest

import numpy as np
from PIL import Image

from q47harness import SOURCE_DIR

ICO = os.path.join(SOURCE_DIR, "packaging", "icons", "q47.ico")
RESOURCE_SCRIPT = os.path.join(SOURCE_DIR, "packaging", "q47.rc")
SIZES = (32, 16)
COLOURS = 16
BITS = 4
WINDRES = "x86_64-w64-mingw32-windres"
RT_ICON, RT_GROUP_ICON = 3, 14


def source_image(size):
    return os.path.join(SOURCE_DIR, "data", "icons", f"q47-{size}.bmp")


def hicolor_png(size):
    return os.path.join(SOURCE_DIR, "packaging", "icons", f"q47-{size}.png")


def row_bytes(width, bits):
    return (width * bits + 31) // 32 * 4


def parse_ico(blob):
    reserved, kind, count = struct.unpack_from("<HHH", blob, 0)
    entries = []
    for n in range(count):
        width, height, colours, zero, planes, bits, size, offset = struct.unpack_from("<BBBBHHII", blob, 6 + 16 * n)
        entries.append(dict(width=width or 256, height=height or 256, colours=colours, reserved=zero,
                            planes=planes, bits=bits, size=size, offset=offset))
    return (reserved, kind), entries


def decode_image(data, width, height):
    """A 4-bit icon image: (palette index per pixel, transparent per pixel), top row first."""
    stride, mask_stride = row_bytes(width, BITS), row_bytes(width, 1)
    pixels = 40 + 4 * COLOURS
    indices = np.zeros((height, width), dtype=np.uint8)
    transparent = np.zeros((height, width), dtype=bool)
    for y in range(height):
        row = data[pixels + (height - 1 - y) * stride:][:stride]
        mask = data[pixels + height * stride + (height - 1 - y) * mask_stride:][:mask_stride]
        for x in range(width):
            indices[y, x] = (row[x // 2] >> (4 if x % 2 == 0 else 0)) & 0xF
            transparent[y, x] = bool(mask[x // 8] & (0x80 >> (x % 8)))
    return indices, transparent


def parse_res(blob):
    """The resources of a .res file as {(type, name): data}; names and types given by number only."""
    resources, at = {}, 0
    while at < len(blob):
        data_size, header_size = struct.unpack_from("<II", blob, at)
        fields = blob[at + 8:at + header_size]
        if fields[:2] == b"\xff\xff" and fields[4:6] == b"\xff\xff":
            kind = struct.unpack_from("<H", fields, 2)[0]
            name = struct.unpack_from("<H", fields, 6)[0]
            if data_size:
                resources[(kind, name)] = blob[at + header_size:at + header_size + data_size]
        at += header_size + data_size
        at += -at % 4
    return resources


class IcoFileTest(unittest.TestCase):
    def setUp(self):
        with open(ICO, "rb") as file:
            self.blob = file.read()
        self.header, self.entries = parse_ico(self.blob)

    def test_one_icon_group_of_32_and_16_pixels_in_16_colours(self):
        self.assertEqual(self.header, (0, 1), "not an icon file (reserved 0, type 1)")
        self.assertEqual([(e["width"], e["height"]) for e in self.entries], [(s, s) for s in SIZES])
        for entry in self.entries:
            with self.subTest(size=entry["width"]):
                self.assertEqual((entry["colours"], entry["reserved"], entry["planes"], entry["bits"]),
                                 (COLOURS, 0, 1, BITS))

    def test_each_image_is_a_whole_4_bit_bitmap_with_its_mask_inside_the_file(self):
        end = 6 + 16 * len(self.entries)
        for entry in sorted(self.entries, key=lambda e: e["offset"]):
            size = entry["width"]
            with self.subTest(size=size):
                self.assertGreaterEqual(entry["offset"], end, "images overlap the directory or each other")
                expected = 40 + 4 * COLOURS + size * (row_bytes(size, BITS) + row_bytes(size, 1))
                self.assertEqual(entry["size"], expected)
                header = struct.unpack_from("<IiiHH", self.blob, entry["offset"])
                self.assertEqual(header, (40, size, 2 * size, 1, BITS))
                end = entry["offset"] + entry["size"]
        self.assertEqual(end, len(self.blob), "bytes past the last image")

    def test_images_are_the_16_colour_pictures_with_index_0_transparent(self):
        for entry in self.entries:
            size = entry["width"]
            with self.subTest(size=size), Image.open(source_image(size)) as picture:
                data = self.blob[entry["offset"]:entry["offset"] + entry["size"]]
                indices, transparent = decode_image(data, size, size)
                source = np.array(picture)
                np.testing.assert_array_equal(transparent, source == 0)
                # Opaque pixels show the same colour in both, whatever the order of the two palettes.
                table = [struct.unpack_from("BBB", data, 40 + 4 * i)[::-1] for i in range(COLOURS)]
                palette = picture.getpalette()
                for y, x in zip(*np.nonzero(~transparent)):
                    self.assertEqual(table[indices[y, x]], tuple(palette[3 * source[y, x]:3 * source[y, x] + 3]))


class HicolorIconTest(unittest.TestCase):
    def test_menu_icons_are_the_16_colour_pictures_with_index_0_transparent(self):
        for size in SIZES:
            with self.subTest(size=size), Image.open(source_image(size)) as picture, \
                    Image.open(hicolor_png(size)) as png:
                self.assertEqual((png.format, png.size), ("PNG", (size, size)))
                expected = np.array(picture.convert("RGBA"))
                expected[np.array(picture) == 0] = 0
                actual = np.array(png.convert("RGBA"))
                actual[actual[:, :, 3] == 0] = 0
                np.testing.assert_array_equal(actual, expected)


@unittest.skipUnless(shutil.which(WINDRES), "Debian's mingw-w64 binutils are not installed")
class ResourceScriptTest(unittest.TestCase):
    def windres(self, output_format, out):
        # Only binutils may be here, not the cross compiler: the host's cpp preprocesses as well.
        command = [WINDRES, "--preprocessor=cpp", "--preprocessor-arg=-DRC_INVOKED", "-i", RESOURCE_SCRIPT,
                   "-O", output_format, "-o", out]
        scratch = os.path.dirname(out)
        result = subprocess.run(command, cwd=scratch, capture_output=True, text=True)
        self.assertEqual(result.returncode, 0, result.stderr)

    def test_the_script_compiles_and_embeds_the_ico_as_one_icon_group(self):
        scratch = tempfile.mkdtemp(prefix="q47-rc-")
        self.addCleanup(shutil.rmtree, scratch, True)
        self.windres("coff", os.path.join(scratch, "q47.o"))
        self.assertGreater(os.path.getsize(os.path.join(scratch, "q47.o")), 0)
        res = os.path.join(scratch, "q47.res")
        self.windres("res", res)
        with open(res, "rb") as file:
            resources = parse_res(file.read())
        groups = {name: data for (kind, name), data in resources.items() if kind == RT_GROUP_ICON}
        self.assertEqual(len(groups), 1, f"icon groups: {sorted(groups)}")
        group = next(iter(groups.values()))
        reserved, kind, count = struct.unpack_from("<HHH", group, 0)
        self.assertEqual((reserved, kind, count), (0, 1, len(SIZES)))
        with open(ICO, "rb") as file:
            ico = file.read()
        _, entries = parse_ico(ico)
        for n, entry in enumerate(entries):
            width, height, colours, _, planes, bits, size, icon_id = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * n)
            with self.subTest(size=width):
                self.assertEqual((width, height, colours, planes, bits), (entry["width"], entry["height"], COLOURS, 1, BITS))
                self.assertEqual(resources.get((RT_ICON, icon_id)), ico[entry["offset"]:entry["offset"] + entry["size"]])
                self.assertEqual(size, entry["size"])


if __name__ == "__main__":
    unittest.main()
