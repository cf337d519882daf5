"""Bad input to the tools, beyond their own error tests: malformed map lines, numbers out of range, missing
values and names that would break the one-line message. Every case must end with status 2, one line on
standard error that starts with the tool's name, nothing on standard output and no file written."""

import os
import shutil
import subprocess
import tempfile
import unittest

BUILD_DIR = os.environ.get("Q47_BUILD_DIR", os.path.join(os.path.dirname(__file__), "..", "..", "build"))
SOURCE_DIR = os.environ.get("Q47_SOURCE_DIR", os.path.join(os.path.dirname(__file__), "..", ".."))
MAP_TOOL = os.path.join(BUILD_DIR, "tools", "q47-map")
RENDER = os.path.join(BUILD_DIR, "tools", "q47-render")
DATA = os.path.join(SOURCE_DIR, "data")

CELL = "ff:ff"
GOOD_ROW = " ".join([CELL] * 16) + "\n"


def rows_with(line_five):
    """A map text of 1024 good rows but its fifth."""
    return GOOD_ROW * 4 + line_five + GOOD_ROW * 1019


# (case, map file text, what the message names)
MAP_FILES = [
    ("15 cells in a row", rows_with(" ".join([CELL] * 15) + "\n"), "line 5: expected 16 cells"),
    ("17 cells in a row", rows_with(" ".join([CELL] * 17) + "\n"), "line 5: expected 16 cells"),
    ("two spaces between cells", rows_with(GOOD_ROW.replace(" ", "  ", 1)), "line 5: expected 16 cells"),
    ("a trailing space", rows_with(GOOD_ROW.replace("\n", " \n")), "line 5: expected 16 cells"),
    ("an empty line", rows_with("\n"), "line 5"),
    ("bad hex in the object byte", rows_with(GOOD_ROW.replace("ff:ff", "ff:fg", 1)), "line 5, cell 1"),
    ("a sign in a byte", rows_with(GOOD_ROW.replace("ff:ff", "+f:ff", 1)), "line 5, cell 1"),
    ("three hex digits", rows_with(GOOD_ROW.replace("ff:ff", "fff:ff", 1)), "line 5, cell 1"),
    ("a dash for the colon", rows_with(GOOD_ROW.replace("ff:ff", "ff-ff", 1)), "line 5, cell 1"),
    ("carriage return line ends", rows_with(GOOD_ROW.replace("\n", "\r\n")), "line 5, cell 16"),
    ("a NUL byte in a cell", rows_with(GOOD_ROW.replace("ff:ff", "ff:f\0", 1)), "line 5, cell 1"),
    ("empty file", "", "expected 1024 rows"),
    ("1023 rows", GOOD_ROW * 1023, "expected 1024 rows"),
    ("1025 rows", GOOD_ROW * 1025, "line 1025: more than 1024 rows"),
]

# (case, draws file text, what the message names)
DRAWS_FILES = [
    ("hex past 32 bits", "1 0x100000000", "draw 2: '0x100000000' is out of range"),
    ("decimal far past 32 bits", "99999999999999999999999", "is out of range"),
    ("0x without digits", "0x", "draw 1: '0x' is not an unsigned number"),
    ("bad hex digit", "0x1g", "draw 1: '0x1g' is not an unsigned number"),
    ("a sign", "+5", "draw 1: '+5' is not an unsigned number"),
    ("a decimal point", "1.5", "draw 1: '1.5' is not an unsigned number"),
    ("a comma between draws", "1,2", "draw 1: '1,2' is not an unsigned number"),
]


class ToolInputTest(unittest.TestCase):
    def setUp(self):
        self.scratch = tempfile.mkdtemp(prefix="q47-tool-input-")
        self.addCleanup(shutil.rmtree, self.scratch)

    def path(self, name):
        return os.path.join(self.scratch, name)

    def write(self, name, text):
        with open(self.path(name), "wb") as out:
            out.write(text.encode("latin-1"))
        return self.path(name)

    def assert_refused(self, tool, args, says):
        before = sorted(os.listdir(self.scratch))
        result = subprocess.run([tool, *args], cwd=self.scratch, capture_output=True, timeout=120,
                                env=dict(os.environ, SDL_VIDEODRIVER="dummy", SDL_AUDIODRIVER="dummy"))
        stderr = result.stderr.decode("latin-1")
        name = os.path.basename(tool)
        self.assertEqual(result.returncode, 2, stderr)
        self.assertEqual(result.stdout, b"")
        self.assertTrue(stderr.startswith(name + ": "), stderr)
        self.assertEqual(stderr.count("\n"), 1, "not one line: " + repr(stderr))
        self.assertTrue(stderr.endswith("\n"), repr(stderr))
        self.assertNotIn("\r", stderr)
        self.assertIn(says, stderr)
        self.assertEqual(sorted(os.listdir(self.scratch)), before, "a file was written")

    def test_malformed_map_files_are_refused_by_q47_render(self):
        for case, text, says in MAP_FILES:
            with self.subTest(case):
                source = self.write("bad.map", text)
                self.assert_refused(RENDER, ["--map", source, "--data", DATA, "--out", self.path("x.bmp")],
                                    says)

    def test_malformed_draws_are_refused_by_both_tools(self):
        for case, text, says in DRAWS_FILES:
            source = self.write("draws.txt", text)
            with self.subTest(case, tool="q47-map"):
                self.assert_refused(MAP_TOOL, ["--draws", source], says)
            with self.subTest(case, tool="q47-render"):
                self.assert_refused(RENDER, ["--draws", source, "--data", DATA, "--out", self.path("x.bmp")], says)

    def test_options_out_of_range_or_without_their_value(self):
        out = ["--out", self.path("x.bmp")]
        seeded = ["--seed", "1", "--data", DATA]
        cases = [
            (RENDER, "count past its largest", seeded + ["--count", "10001"] + out, "count out of range"),
            (RENDER, "width past its largest", seeded + ["--size", "4097x240"] + out, "width out of range"),
            (RENDER, "width far past a long", seeded + ["--size", "99999999999999999999x1"] + out, "width"),
            (RENDER, "size without width", seeded + ["--size", "x240"] + out, "width"),
            (RENDER, "size with a third part", seeded + ["--size", "320x240x2"] + out, "height"),
            (RENDER, "hex seed past 32 bits", ["--seed", "0x100000000", "--data", DATA] + out, "seed"),
            (RENDER, "frame without its value", seeded + out + ["--frame"], "missing value"),
            (RENDER, "size without its value", seeded + out + ["--size"], "missing value"),
            (RENDER, "count without its value", seeded + out + ["--count"], "missing value"),
            (RENDER, "data without its value", ["--seed", "1"] + out + ["--data"], "missing value"),
            (RENDER, "out without its value", seeded + ["--out"], "missing value"),
            (RENDER, "map without its value", ["--data", DATA] + out + ["--map"], "missing value"),
            (RENDER, "draws without its value", ["--data", DATA] + out + ["--draws"], "missing value"),
            (MAP_TOOL, "hex seed past 32 bits", ["--seed", "0x100000000"], "seed: '0x100000000' is out of range"),
            (MAP_TOOL, "seed 0x without digits", ["--seed", "0x"], "seed: '0x' is not an unsigned number"),
        ]
        for tool, case, args, says in cases:
            with self.subTest(case, tool=os.path.basename(tool)):
                self.assert_refused(tool, args, says)

    def test_a_line_break_in_a_file_name_stays_inside_the_one_line(self):
        broken = self.path("two\nlines.map")
        cases = [
            (MAP_TOOL, ["--draws", broken], "two"),
            (RENDER, ["--map", broken, "--data", DATA, "--out", self.path("x.bmp")], "two"),
            (RENDER, ["--seed", "1", "--data", self.path("no\ndata"), "--out", self.path("x.bmp")], "no"),
        ]
        for tool, args, says in cases:
            with self.subTest(os.path.basename(tool), args=args):
                self.assert_refused(tool, args, says)


if __name__ == "__main__":
    unittest.main()
