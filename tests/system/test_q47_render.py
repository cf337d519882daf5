"""q47-render as a real process: reference frames, the map sources, numbered runs, and every error case."""

import os
import random
import shutil
import struct
import subprocess
import tempfile
import unittest

from png_reading import png_chunks, unfiltered_rows

BUILD_DIR = os.environ.get("Q47_BUILD_DIR", os.path.join(os.path.dirname(__file__), "..", "..", "build"))
SOURCE_DIR = os.environ.get("Q47_SOURCE_DIR", os.path.join(os.path.dirname(__file__), "..", ".."))
RENDER = os.path.join(BUILD_DIR, "tools", "q47-render")
MAP_TOOL = os.path.join(BUILD_DIR, "tools", "q47-map")
GOLDEN_DIR = os.path.join(SOURCE_DIR, "tests", "golden", "render")
TEST_DATA = os.path.join(GOLDEN_DIR, "data")


def read_bmp(path):
    """(width, height, rows of RGB triples top row first) of an uncompressed 24-bit BMP as SDL writes it."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] != b"BM":
        raise ValueError(path + " is not a BMP")
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height, _, depth = struct.unpack_from("<iiHH", data, 18)
    if depth != 24:
        raise ValueError("%s: %d bits per pixel" % (path, depth))
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(abs(height)):
        source_row = height - 1 - y if height > 0 else y
        start = offset + source_row * stride
        line = data[start:start + width * 3]
        rows.append([(line[3 * x + 2], line[3 * x + 1], line[3 * x]) for x in range(width)])
    return width, abs(height), rows


def read_png_rgb(path):
    """(width, height, rows of RGB triples) of an 8-bit RGB, non-interlaced PNG."""
    chunks = png_chunks(path)
    width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", dict(chunks)[b"IHDR"])
    if (depth, colour, interlace) != (8, 2, 0):
        raise ValueError(path + ": only 8-bit RGB without interlace is read here")
    rows = [[tuple(line[3 * x:3 * x + 3]) for x in range(width)]
            for line in unfiltered_rows(chunks, height, width * 3, 3)]
    return width, height, rows


def golden_cases():
    with open(os.path.join(GOLDEN_DIR, "cases.txt")) as f:
        for line in f:
            if line.strip() and not line.startswith("#"):
                yield line.split()


class RenderToolCase(unittest.TestCase):
    def setUp(self):
        self.scratch = tempfile.mkdtemp(prefix="q47-render-test-")
        self.addCleanup(shutil.rmtree, self.scratch)

    def path(self, name):
        return os.path.join(self.scratch, name)

    def run_tool(self, *args, cwd=None, stdin=None, env=None):
        environment = dict(os.environ if env is None else env)
        return subprocess.run([RENDER, *args], cwd=cwd or self.scratch, input=stdin, env=environment,
                              capture_output=True, timeout=300)

    def render(self, *args, **kw):
        result = self.run_tool(*args, **kw)
        self.assertEqual(result.returncode, 0, result.stderr.decode(errors="replace"))
        self.assertEqual(result.stderr, b"")
        return result

    def read(self, name):
        with open(self.path(name), "rb") as f:
            return f.read()


class ReferenceFrames(RenderToolCase):
    def test_every_golden_case_comes_out_of_the_tool_pixel_for_pixel(self):
        cases = list(golden_cases())
        self.assertGreaterEqual(len(cases), 6)
        for golden, map_name, frame, size in cases:
            with self.subTest(golden=golden, frame=frame, size=size):
                self.render("--map", os.path.join(GOLDEN_DIR, map_name), "--frame", frame, "--size", size,
                            "--data", TEST_DATA, "--out", self.path("frame.bmp"))
                width, height, actual = read_bmp(self.path("frame.bmp"))
                expected_width, expected_height, expected = read_png_rgb(os.path.join(GOLDEN_DIR, golden))
                self.assertEqual((width, height), (expected_width, expected_height))
                self.assertEqual("%dx%d" % (width, height), size)
                for y in range(height):
                    if actual[y] != expected[y]:
                        x = next(x for x in range(width) if actual[y][x] != expected[y][x])
                        self.fail("pixel (%d, %d): expected %02x%02x%02x, got %02x%02x%02x"
                                  % ((x, y) + expected[y][x] + actual[y][x]))


class MapSources(RenderToolCase):
    def map_text(self, *source):
        result = subprocess.run([MAP_TOOL, *source], capture_output=True, timeout=60)
        self.assertEqual(result.returncode, 0, result.stderr.decode(errors="replace"))
        with open(self.path("map.txt"), "wb") as f:
            f.write(result.stdout)
        return self.path("map.txt")

    def test_a_seed_draws_the_map_that_q47_map_prints_for_it(self):
        common = ["--frame", "333", "--data", TEST_DATA]
        self.render("--seed", "4242", *common, "--out", self.path("seed.bmp"))
        self.render("--map", self.map_text("--seed", "4242"), *common, "--out", self.path("map.bmp"))
        self.render("--seed", "4243", *common, "--out", self.path("other.bmp"))
        self.assertEqual(self.read("seed.bmp"), self.read("map.bmp"))
        self.assertNotEqual(self.read("seed.bmp"), self.read("other.bmp"))

    def test_a_draws_file_draws_the_map_that_q47_map_prints_for_it(self):
        draws = random.Random(5).getrandbits
        with open(self.path("draws.txt"), "w") as f:
            f.write("\n".join(str(draws(32)) for _ in range(200000)))
        common = ["--frame", "16000", "--data", TEST_DATA]
        self.render("--draws", self.path("draws.txt"), *common, "--out", self.path("draws.bmp"))
        with open(self.path("draws.txt"), "rb") as f:
            self.render("--draws", "-", *common, "--out", self.path("stdin.bmp"), stdin=f.read())
        self.render("--map", self.map_text("--draws", self.path("draws.txt")), *common, "--out", self.path("map.bmp"))
        self.assertEqual(self.read("draws.bmp"), self.read("map.bmp"))
        self.assertEqual(self.read("stdin.bmp"), self.read("map.bmp"))


class FramesAndSizes(RenderToolCase):
    sprites = os.path.join(GOLDEN_DIR, "sprites.map")

    def test_defaults_are_frame_0_on_320_by_240_with_the_tileset_under_data(self):
        shutil.copytree(TEST_DATA, self.path("data"))
        # no display at all, and a driver that would need one
        env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
        env["SDL_VIDEODRIVER"] = "x11"
        self.render("--map", self.sprites, "--out", "default.bmp", env=env)
        self.render("--map", self.sprites, "--frame", "0", "--size", "320x240", "--data", TEST_DATA,
                    "--out", self.path("explicit.bmp"))
        self.assertEqual(self.read("default.bmp"), self.read("explicit.bmp"))
        self.assertEqual(read_bmp(self.path("default.bmp"))[:2], (320, 240))

    def test_a_counted_run_writes_numbered_consecutive_frames_across_the_counter_wrap(self):
        self.render("--map", self.sprites, "--data", TEST_DATA, "--frame", "2147483646", "--count", "3",
                    "--out", self.path("run.bmp"))
        self.assertEqual(sorted(os.listdir(self.scratch)), ["run-0000.bmp", "run-0001.bmp", "run-0002.bmp"])
        for number, frame in enumerate(["2147483646", "2147483647", "-2147483648"]):
            with self.subTest(frame=frame):
                self.render("--map", self.sprites, "--data", TEST_DATA, "--frame", frame,
                            "--out", self.path("single.bmp"))
                self.assertEqual(self.read("run-%04d.bmp" % number), self.read("single.bmp"))
        # the most negative counter is a multiple of 16384, so it shows what frame 0 shows
        self.render("--map", self.sprites, "--data", TEST_DATA, "--out", self.path("zero.bmp"))
        self.assertEqual(self.read("run-0002.bmp"), self.read("zero.bmp"))
        self.assertNotEqual(self.read("run-0000.bmp"), self.read("run-0001.bmp"))

    def test_the_smallest_and_the_widest_targets(self):
        for size in ["1x1", "4096x2", "3x4096"]:
            with self.subTest(size=size):
                self.render("--map", self.sprites, "--data", TEST_DATA, "--size", size, "--frame", "-7",
                            "--out", self.path("edge.bmp"))
                width, height, _ = read_bmp(self.path("edge.bmp"))
                self.assertEqual("%dx%d" % (width, height), size)


class Errors(RenderToolCase):
    def write(self, name, text):
        with open(self.path(name), "w") as f:
            f.write(text)
        return self.path(name)

    def assert_refused(self, args, says, leaves=()):
        result = self.run_tool(*args)
        stderr = result.stderr.decode(errors="replace")
        self.assertEqual(result.returncode, 2, stderr)
        self.assertTrue(stderr.startswith("q47-render: "), stderr)
        self.assertEqual(stderr.count("\n"), 1, "more than one line: " + stderr)
        self.assertIn(says, stderr)
        self.assertEqual(sorted(set(os.listdir(self.scratch)) - set(leaves)), [], "output left behind")

    def test_bad_options_and_values(self):
        sprites = os.path.join(GOLDEN_DIR, "sprites.map")
        good = ["--map", sprites, "--data", TEST_DATA]
        out = ["--out", self.path("x.bmp")]
        cases = [
            ("unknown option", good + ["--zoom", "2"] + out, "unknown option"),
            ("missing value", good + out + ["--frame"], "missing value"),
            ("no map source", ["--data", TEST_DATA] + out, "one of --seed, --draws and --map"),
            ("two map sources", good + ["--seed", "1"] + out, "only one of"),
            ("no output", good, "--out"),
            ("output not a BMP", good + ["--out", self.path("x.png")], ".bmp"),
            ("frame too large", good + ["--frame", "2147483648"] + out, "frame out of range"),
            ("frame too small", good + ["--frame", "-2147483649"] + out, "frame out of range"),
            ("frame not a number", good + ["--frame", "12a"] + out, "frame"),
            ("seed too large", ["--seed", "4294967296", "--data", TEST_DATA] + out, "seed"),
            ("zero width", good + ["--size", "0x240"] + out, "width"),
            ("too high", good + ["--size", "320x4097"] + out, "height"),
            ("size without height", good + ["--size", "320x"] + out, "height"),
            ("size without cross", good + ["--size", "320"] + out, "WxH"),
            ("negative size", good + ["--size", "-1x5"] + out, "width"),
            ("count zero", good + ["--count", "0"] + out, "count"),
            ("frame twice", good + ["--frame", "1", "--frame", "2"] + out, "twice"),
        ]
        for name, args, says in cases:
            with self.subTest(name):
                self.assert_refused(args, says)

    def test_bad_inputs(self):
        short_map = self.write("short.map", "ff:ff " * 15 + "ff:ff\n")
        bad_cell = self.write("bad.map", ("ff:ff " * 15 + "zz:ff\n") * 1024)
        few_draws = self.write("few.txt", "1 2 3")
        bad_draws = self.write("baddraws.txt", "1 two 3")
        os.mkdir(self.path("empty"))
        os.makedirs(self.path("text/images"))
        self.write("text/images/Torvi070930-7.png", "not a picture")
        inputs = ["short.map", "bad.map", "few.txt", "baddraws.txt", "empty", "text"]
        sprites = os.path.join(GOLDEN_DIR, "sprites.map")
        out = ["--out", self.path("x.bmp")]
        cases = [
            ("missing map file", ["--map", self.path("none.map"), "--data", TEST_DATA] + out, "none.map"),
            ("map file is a folder", ["--map", self.path("empty"), "--data", TEST_DATA] + out, "empty"),
            ("too few rows", ["--map", short_map, "--data", TEST_DATA] + out, "short.map"),
            ("malformed cell", ["--map", bad_cell, "--data", TEST_DATA] + out, "bad.map"),
            ("draws run out", ["--draws", few_draws, "--data", TEST_DATA] + out, "ran out"),
            ("malformed draws", ["--draws", bad_draws, "--data", TEST_DATA] + out, "baddraws.txt"),
            ("no tileset", ["--map", sprites, "--data", self.path("empty")] + out, "tileset"),
            ("tileset not a picture", ["--map", sprites, "--data", self.path("text")] + out, "tileset"),
            ("output folder missing", ["--map", sprites, "--data", TEST_DATA, "--out",
                                       self.path("no/such/dir.bmp")], "cannot write"),
        ]
        for name, args, says in cases:
            with self.subTest(name):
                self.assert_refused(args, says, leaves=inputs)

    def test_a_run_that_fails_half_way_removes_the_frames_it_wrote(self):
        os.mkdir(self.path("run-0002.bmp"))  # a folder where the third frame should go
        sprites = os.path.join(GOLDEN_DIR, "sprites.map")
        self.assert_refused(["--map", sprites, "--data", TEST_DATA, "--count", "4", "--out", self.path("run.bmp")],
                            "run-0002.bmp", leaves=["run-0002.bmp"])

    def test_a_failed_write_removes_an_older_file_of_that_name_too(self):
        self.write("old.bmp", "an older picture")
        sprites = os.path.join(GOLDEN_DIR, "sprites.map")
        self.assert_refused(["--map", sprites, "--data", self.path("missing"), "--out", self.path("old.bmp")],
                            "tileset", leaves=["old.bmp"])
        self.assertEqual(self.read("old.bmp"), b"an older picture", "a run that wrote nothing must not delete")


if __name__ == "__main__":
    unittest.main()
