"""q47-map as a real process: the golden map of a fixed seed, draws files against the seed, every error case."""

import os
import re
import subprocess
import tempfile
import unittest

BUILD_DIR = os.environ.get("Q47_BUILD_DIR", os.path.join(os.path.dirname(__file__), "..", "..", "build"))
SOURCE_DIR = os.environ.get("Q47_SOURCE_DIR", os.path.join(os.path.dirname(__file__), "..", ".."))
MAP_TOOL = os.path.join(BUILD_DIR, "tools", "q47-map")
GOLDEN_SEED = 12345
GOLDEN_MAP = os.path.join(SOURCE_DIR, "tests", "golden", "q47-map-seed-%d.txt" % GOLDEN_SEED)
GOLDEN_STDERR = os.path.join(SOURCE_DIR, "tests", "golden", "q47-map-seed-%d.stderr.txt" % GOLDEN_SEED)
ROW_PATTERN = re.compile(r"^[0-9a-f]{2}:[0-9a-f]{2}( [0-9a-f]{2}:[0-9a-f]{2}){15}$")
ERROR_STATUS = 2


def run(args, stdin=b""):
    return subprocess.run([MAP_TOOL] + args, input=stdin, capture_output=True, timeout=120)


def mt19937_outputs(seed, count):
    """The first outputs of std::mt19937 seeded with `seed`, from the engine's own definition."""
    n, m = 624, 397
    state = [seed & 0xFFFFFFFF]
    for i in range(1, n):
        state.append((1812433253 * (state[-1] ^ (state[-1] >> 30)) + i) & 0xFFFFFFFF)
    outputs = []
    index = n
    for _ in range(count):
        if index == n:
            for i in range(n):
                y = (state[i] & 0x80000000) | (state[(i + 1) % n] & 0x7FFFFFFF)
                state[i] = state[(i + m) % n] ^ (y >> 1) ^ (0x9908B0DF if y & 1 else 0)
            index = 0
        y = state[index]
        index += 1
        y ^= y >> 11
        y ^= (y << 7) & 0x9D2C5680
        y ^= (y << 15) & 0xEFC60000
        y ^= y >> 18
        outputs.append(y)
    return outputs


def draws_text(draws):
    """Decimal and hex, upper and lower case, mixed separators: every form the tool must read."""
    parts = []
    for i, d in enumerate(draws):
        parts.append(("%d", "0x%x", "0X%08X")[i % 3] % d)
        parts.append(" \n\t  \r\n"[i % 6])
    return "".join(parts).encode()


class GoldenOutput(unittest.TestCase):
    def test_fixed_seed_gives_the_committed_map(self):
        result = run(["--seed", str(GOLDEN_SEED)])
        self.assertEqual(result.returncode, 0, result.stderr)
        with open(GOLDEN_MAP, "rb") as f:
            self.assertEqual(result.stdout, f.read())
        with open(GOLDEN_STDERR, "rb") as f:
            self.assertEqual(result.stderr, f.read())

    def test_output_is_1024_rows_of_16_cells(self):
        for seed in ("0", "4294967295", "0x10"):
            with self.subTest(seed=seed):
                result = run(["--seed", seed])
                self.assertEqual(result.returncode, 0, result.stderr)
                rows = result.stdout.decode().split("\n")
                self.assertEqual(rows[-1], "")
                self.assertEqual(len(rows) - 1, 1024)
                for number, row in enumerate(rows[:-1]):
                    self.assertRegex(row, ROW_PATTERN, "row %d" % number)
                self.assertRegex(result.stderr.decode(), r"^draws: [1-9][0-9]*\n$")

    def test_different_seeds_give_different_maps(self):
        self.assertNotEqual(run(["--seed", "1"]).stdout, run(["--seed", "2"]).stdout)


class DrawsFiles(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        with open(GOLDEN_STDERR) as f:
            cls.needed = int(f.read().split()[1])
        cls.draws = mt19937_outputs(GOLDEN_SEED, cls.needed)
        with open(GOLDEN_MAP, "rb") as f:
            cls.golden = f.read()

    def test_the_seeds_engine_outputs_as_a_file_give_the_same_map(self):
        with tempfile.NamedTemporaryFile(suffix=".draws") as f:
            f.write(draws_text(self.draws + [7, 7, 7]))
            f.flush()
            result = run(["--draws", f.name])
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stdout, self.golden)
        self.assertEqual(result.stderr.decode(), "draws: %d\n" % self.needed)

    def test_draws_from_standard_input(self):
        result = run(["--draws", "-"], stdin=draws_text(self.draws))
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stdout, self.golden)

    def test_one_draw_short_fails_with_nothing_on_standard_output(self):
        result = run(["--draws", "-"], stdin=draws_text(self.draws[:-1]))
        self.assertEqual(result.returncode, ERROR_STATUS)
        self.assertEqual(result.stdout, b"")
        self.assertEqual(result.stderr.decode(),
                         "q47-map: the draws ran out after %d draws, before the map was finished\n"
                         % (self.needed - 1))


class Errors(unittest.TestCase):
    def test_each_error_gives_one_line_its_message_and_status_2(self):
        with tempfile.TemporaryDirectory() as folder:
            malformed = os.path.join(folder, "malformed")
            with open(malformed, "w") as f:
                f.write("1 2\n0x3 banana 5\n")
            out_of_range = os.path.join(folder, "big")
            with open(out_of_range, "w") as f:
                f.write("4294967296")
            empty = os.path.join(folder, "empty")
            open(empty, "w").close()
            missing = os.path.join(folder, "missing")
            cases = [
                ("no arguments", [], b"", "give exactly one of --seed and --draws"),
                ("unknown option", ["--size", "3"], b"", "unknown option '--size'"),
                ("bare value", ["12"], b"", "unknown option '12'"),
                ("seed without value", ["--seed"], b"", "--seed needs a value"),
                ("draws without value", ["--draws"], b"", "--draws needs a value"),
                ("seed too large", ["--seed", "4294967296"], b"", "seed: '4294967296' is out of range"),
                ("negative seed", ["--seed", "-1"], b"", "seed: '-1' is not an unsigned number"),
                ("seed not a number", ["--seed", "abc"], b"", "seed: 'abc' is not an unsigned number"),
                ("empty seed", ["--seed", ""], b"", "seed: '' is not an unsigned number"),
                ("both sources", ["--seed", "1", "--draws", "-"], b"1", "give exactly one of"),
                ("seed twice", ["--seed", "1", "--seed", "2"], b"", "give exactly one of"),
                ("missing file", ["--draws", missing], b"", "cannot open draws file '%s'" % missing),
                ("a directory", ["--draws", folder], b"", "cannot read draws file '%s'" % folder),
                ("malformed draw", ["--draws", malformed], b"",
                 "%s: draw 4: 'banana' is not an unsigned number" % malformed),
                ("draw out of range", ["--draws", out_of_range], b"", "draw 1: '4294967296' is out of range"),
                ("empty file", ["--draws", empty], b"", "the draws ran out after 0 draws"),
                ("bad byte on standard input", ["--draws", "-"], b"1\x00", "standard input: draw 1: '1\\x00'"),
            ]
            for name, args, stdin, message in cases:
                with self.subTest(name):
                    result = run(args, stdin)
                    self.assertEqual(result.returncode, ERROR_STATUS, result.stderr)
                    self.assertEqual(result.stdout, b"")
                    text = result.stderr.decode()
                    self.assertTrue(text.startswith("q47-map: "), text)
                    self.assertTrue(text.endswith("\n") and text.count("\n") == 1, text)
                    self.assertIn(message, text)

    def test_a_failed_write_is_an_error(self):
        if not os.path.exists("/dev/full"):
            self.skipTest("no /dev/full")
        with open("/dev/full", "wb") as full:
            result = subprocess.run([MAP_TOOL, "--seed", "1"], stdout=full, stderr=subprocess.PIPE, timeout=120)
        self.assertEqual(result.returncode, ERROR_STATUS)
        self.assertEqual(result.stderr.decode(), "q47-map: cannot write the map to standard output\n")


if __name__ == "__main__":
    unittest.main()
