"""Long runs of the program's own loop: 100,000 passes that end cleanly with a resident size that stops
growing once the loop is under way, and 2,000 passes under Valgrind's memcheck with no error in the
program's own code. Both use the test-only builds that end the loop by themselves and skip the wait.

The normal build runs both; the sanitizer build runs the 100,000 passes only (Valgrind cannot run a
sanitized program). The sanitizer keeps freed memory in a quarantine, which would make the resident size
grow with every small reply buffer the X library frees; the run turns the quarantine off so the figure
shows the live heap, and the allocator's own warming up is let pass before the size is compared."""

import os
import sys
import tempfile
import time
import unittest
import xml.etree.ElementTree as ElementTree

from q47harness import Xvfb, RunFolder, start_built, finish, BUILD_DIR, PATIENCE, SANITIZED

LONG_RUN = "q47-frame-limited"
LONG_RUN_FRAMES = 100_000
VALGRIND_RUN = "q47-frame-limited-2k"
VALGRIND_FRAMES = 2_000
# From this frame on the resident size must stay put: the first frames load fonts, glyphs and buffers.
STEADY_FROM_FRAME = 50_000 if SANITIZED else 1_000
ALLOWED_GROWTH_KB = 256
REPORTED_FRAMES = (1_000, 10_000, 50_000, LONG_RUN_FRAMES)
SAMPLE_SECONDS = 0.05
RUN_TIMEOUT = 900
SANITIZER_MARKS = (b"ERROR: AddressSanitizer", b"runtime error", b"ERROR: LeakSanitizer")
# A loss that comes back in every frame would hold about one block per frame; start-up objects hold one.
MOST_BLOCKS_OF_A_START_UP_LOSS = VALGRIND_FRAMES // 20


def resident_kb(pid):
    try:
        with open(f"/proc/{pid}/status") as status:
            for line in status:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
    except (FileNotFoundError, ProcessLookupError):
        pass
    return None


class Samples:
    """Resident sizes in time; the loop runs at a steady pace without its wait, so the frame of a sample
    is told by its share of the time between the window's appearance and the process's end."""

    def __init__(self):
        self.points = []

    def add(self, when, kb):
        self.points.append((when, kb))

    def close(self, first_frame_at, ended_at, frames):
        span = ended_at - first_frame_at
        self.frames = [(frames * (when - first_frame_at) / span, kb) for when, kb in self.points]

    def at(self, frame):
        return min(self.frames, key=lambda point: abs(point[0] - frame))[1]

    def largest_between(self, first, last):
        return max(kb for frame, kb in self.frames if first <= frame <= last)


def own_frames(error, program):
    return [f for f in error.iter("frame") if f.findtext("obj") == program]


def describe(error):
    text = error.findtext("what") or error.findtext("xwhat/text")
    stack = [f"{f.findtext('fn')} ({f.findtext('file')}:{f.findtext('line')})" for f in error.iter("frame")][:8]
    return f"{error.findtext('kind')}: {text}\n    " + "\n    ".join(stack)


class LongRunTest(unittest.TestCase):
    def setUp(self):
        self.xvfb = Xvfb()
        self.folder = RunFolder()
        self.addCleanup(self.folder.close)
        self.addCleanup(self.xvfb.close)

    def start(self, name, **options):
        process = start_built(name, self.folder, self.xvfb.env(), **options)
        self.addCleanup(lambda: process.poll() is None and process.kill())
        return process

    def test_100000_passes_end_cleanly_and_memory_stops_growing(self):
        process = self.start(LONG_RUN, asan_options="quarantine_size_mb=0")
        window = self.xvfb.find_window(process=process)
        first_frame_at = time.monotonic()
        self.assertIsNotNone(window, f"no window; status {process.poll()}")
        samples = Samples()
        deadline = first_frame_at + RUN_TIMEOUT
        while process.poll() is None and time.monotonic() < deadline:
            kb = resident_kb(process.pid)
            if kb is not None:
                samples.add(time.monotonic(), kb)
            time.sleep(SAMPLE_SECONDS)
        ended_at = time.monotonic()
        status, out, err = finish(process, timeout=PATIENCE)
        for mark in SANITIZER_MARKS:
            self.assertNotIn(mark, err)
        self.assertEqual((status, out, err), (0, b"", b""))

        # The last samples may catch the shutdown; the loop's own figures end just before it.
        samples.close(first_frame_at, ended_at, LONG_RUN_FRAMES)
        figures = {frame: samples.at(frame) for frame in REPORTED_FRAMES}
        print(f"\nVmRSS (kB) at frame: {figures}; run {ended_at - first_frame_at:.1f} s", file=sys.stderr)
        steady = samples.at(STEADY_FROM_FRAME)
        largest = samples.largest_between(STEADY_FROM_FRAME, 0.98 * LONG_RUN_FRAMES)
        self.assertLessEqual(largest - steady, ALLOWED_GROWTH_KB,
                             f"resident size grew from {steady} kB at frame {STEADY_FROM_FRAME} to {largest} kB")

    @unittest.skipIf(SANITIZED, "Valgrind cannot run a sanitized program; the normal build runs this")
    def test_2000_passes_under_memcheck_have_no_error_in_the_program(self):
        program = os.path.realpath(os.path.join(BUILD_DIR, "src", VALGRIND_RUN))
        report = os.path.join(tempfile.mkdtemp(prefix="q47-valgrind-"), "memcheck.xml")
        memcheck = ("valgrind", "--tool=memcheck", "--xml=yes", f"--xml-file={report}", "--leak-check=full",
                    "--show-leak-kinds=definite", "--num-callers=40")
        process = self.start(VALGRIND_RUN, prefix=memcheck)
        status, out, err = finish(process, timeout=RUN_TIMEOUT)
        self.assertEqual((status, out, err), (0, b"", b""))

        errors = ElementTree.parse(report).getroot().findall("error")
        own = [e for e in errors if own_frames(e, program)]
        print(f"\nmemcheck: {len(errors)} records, {len(own)} through the program's code: "
              + ", ".join(sorted(e.findtext("kind") for e in own)), file=sys.stderr)
        faults = [e for e in own if not e.findtext("kind").startswith("Leak_")]
        self.assertEqual([], [describe(e) for e in faults])
        # What the program keeps until the end is lost at exit by design, once; never once per frame.
        for leak in (e for e in own if e.findtext("kind").startswith("Leak_")):
            blocks = int(leak.findtext("xwhat/leakedblocks"))
            self.assertLessEqual(blocks, MOST_BLOCKS_OF_A_START_UP_LOSS, describe(leak))


if __name__ == "__main__":
    unittest.main()
