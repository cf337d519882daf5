"""The running program's map view in Xvfb: the scene scrolls toward the lower left as the frames go by,
and the panel stays on top of it, the moving map showing faintly through."""

import time
import unittest

from q47harness import Xvfb, RunFolder, start, finish

SCREEN_W, SCREEN_H = 320, 240
PANEL_TOP = 136
PANEL = (16, 136, 304, 224)
TEXT_BOX = (24, 144, 300, 184)


def shift_that_explains(before, after, max_frames=400):
    """The frame count k for which `after` is `before` moved k px left and k/2 px down (every map cell
    moves one pixel left each frame and one pixel down every second frame), above the panel; None if
    no such k makes the two agree."""
    width, height = SCREEN_W, PANEL_TOP
    a = before.load()
    b = after.load()
    for k in range(1, max_frames):
        for dy in sorted({k // 2, (k + 1) // 2}):
            compared = same = 0
            for y in range(dy, height, 2):
                for x in range(0, width - k, 2):
                    compared += 1
                    if a[x + k, y - dy] == b[x, y]:
                        same += 1
            if compared > 2000 and same >= compared * 0.995:
                return k
    return None


class MapViewTest(unittest.TestCase):
    def setUp(self):
        self.xvfb = Xvfb()
        self.folder = RunFolder()
        self.process = start(self.folder, self.xvfb.env())
        self.window = self.xvfb.find_window(process=self.process)
        if self.window is None:
            self.process.kill()
            self.fail(f"no q47 window: {finish(self.process)}")

    def tearDown(self):
        if self.process.poll() is None:
            self.xvfb.request_close(self.window)
            status, out, err = finish(self.process)
            self.assertEqual((status, out, err), (0, b"", b""))
        self.xvfb.close()
        self.folder.close()

    def two_screenshots(self, apart):
        first = self.xvfb.screenshot(self.window)
        time.sleep(apart)
        return first, self.xvfb.screenshot(self.window)

    def test_the_scene_moves_toward_the_lower_left_by_whole_frames(self):
        before, after = self.two_screenshots(0.3)
        self.assertNotEqual(before.tobytes(), after.tobytes(), "the picture did not change")
        frames = shift_that_explains(before, after)
        self.assertIsNotNone(frames, "the second picture is not the first moved k px left and k/2 px down")
        self.assertGreater(frames, 0)

    def test_the_panel_stays_on_top_while_the_map_moves_beneath_it(self):
        before, after = self.two_screenshots(0.5)
        # Under the panel, at alpha 192, the map gives only a quarter of each pixel: however much the map
        # changes, a panel pixel changes by at most 64 per channel, text and background alike.
        self.assertGreater(largest_change(before, after, (0, 0, SCREEN_W, PANEL_TOP)), 128)
        under_panel = largest_change(before, after, PANEL)
        self.assertGreater(under_panel, 0, "nothing of the moving map shows through the panel")
        self.assertLessEqual(under_panel, 65, "the map is drawn over the panel")
        dark_text = [xy for xy in boxes(TEXT_BOX) if max(after.getpixel(xy)) <= 64]
        self.assertGreater(len(dark_text), 100, "no text on the panel")
        # White at alpha 192 over any map pixel is at least 191 bright in every channel.
        edges = [after.getpixel((x, y)) for x in range(PANEL[0], PANEL[2]) for y in (PANEL[1], PANEL[3] - 1)]
        self.assertGreaterEqual(min(min(p) for p in edges), 190)


def largest_change(before, after, box):
    a = before.crop(box).getdata()
    b = after.crop(box).getdata()
    return max(abs(p - q) for pa, pb in zip(a, b) for p, q in zip(pa, pb))


def boxes(box):
    left, top, right, bottom = box
    return [(x, y) for y in range(top, bottom) for x in range(left, right)]


if __name__ == "__main__":
    unittest.main()
