"""The real q47 process: start-up failures, the window a user sees, and the ways to end it."""

import subprocess
import time
import unittest

from Xlib import Xutil

from q47harness import Xvfb, RunFolder, start, finish, run_to_end, PATIENCE

# The panel lies at (16, 136), 288 x 88; the text lines start 8 px in, at y 8 and 32 inside it.
PANEL = (16, 136, 304, 224)
TEXT_LINES = [(24, 144, 300, 160), (24, 168, 300, 184)]
MAP_ABOVE_PANEL = (16, 90, 304, 130)


def brightness(pixel):
    return sum(pixel) / 3


def mean_brightness(image, box):
    region = image.crop(box)
    pixels = list(region.getdata())
    return sum(brightness(p) for p in pixels) / len(pixels)


def window_has_icon(window):
    hints = window.get_wm_hints()
    return hints is not None and bool(hints.flags & Xutil.IconPixmapHint) and hints.icon_pixmap != 0


class ShellTest(unittest.TestCase):
    def setUp(self):
        self.xvfb = Xvfb()
        self.folder = RunFolder()

    def tearDown(self):
        self.xvfb.close()
        self.folder.close()

    def start_and_find_window(self):
        process = start(self.folder, self.xvfb.env())
        self.addCleanup(lambda: process.poll() is None and process.kill())
        window = self.xvfb.find_window(process=process)
        if window is None:
            process.kill()
            _, out, err = finish(process)
            self.fail(f"no q47 window; status {process.returncode}, stderr {err!r}")
        return process, window

    def close_and_expect_clean_end(self, process, window):
        self.xvfb.request_close(window)
        status, out, err = finish(process)
        self.assertEqual((status, out, err), (0, b"", b""))

    def test_a_video_driver_that_does_not_exist_fails_sdl_init(self):
        status, out, err = run_to_end(self.folder, self.xvfb.env(SDL_VIDEODRIVER="no-such-driver"))
        self.assertEqual((status, out, err), (1, b"", b"Error: SDL init failed\n"))

    def test_missing_music_ends_start_up_with_failed_bgm(self):
        self.folder.remove("sounds/Vostel_sarabando_mi.ogg")
        status, out, err = run_to_end(self.folder, self.xvfb.env())
        self.assertEqual((status, out, err), (1, b"", b"Error: failed bgm\n"))

    def test_missing_tileset_ends_start_up_with_failed_tile(self):
        self.folder.remove("images/Torvi070930-7.png")
        status, out, err = run_to_end(self.folder, self.xvfb.env())
        self.assertEqual((status, out, err), (1, b"", b"Error: failed tile\n"))

    def test_missing_icon_or_font_still_runs_and_closes_cleanly(self):
        for missing, has_icon in (("images/icon.bmp", False), ("fonts/lumo2_8/lumofont.ttf", True)):
            with self.subTest(missing=missing):
                folder = RunFolder()
                self.addCleanup(folder.close)
                folder.remove(missing)
                self.folder = folder
                process, window = self.start_and_find_window()
                self.assertEqual(window_has_icon(window), has_icon)
                time.sleep(0.5)
                self.assertIsNone(process.poll(), "the program ended by itself")
                self.close_and_expect_clean_end(process, window)

    def test_window_is_320_by_240_titled_q47_with_an_icon(self):
        process, window = self.start_and_find_window()
        geometry = window.get_geometry()
        self.assertEqual((geometry.width, geometry.height), (320, 240))
        self.assertEqual(window.get_wm_name(), "q47")
        self.assertTrue(window_has_icon(window), "WM_HINTS names no icon pixmap")
        self.close_and_expect_clean_end(process, window)

    def test_panel_lies_over_the_map_with_dark_text_in_both_lines(self):
        process, window = self.start_and_find_window()
        time.sleep(1.0)
        image = self.xvfb.screenshot(window)
        panel = mean_brightness(image, PANEL)
        above = mean_brightness(image, MAP_ABOVE_PANEL)
        self.assertGreater(panel, above + 40, f"panel {panel:.0f} is not brighter than the map {above:.0f}")
        # White at alpha 192 over anything leaves the panel's background at least 192 bright.
        corner = image.getpixel((PANEL[0] + 2, PANEL[3] - 3))
        self.assertGreaterEqual(min(corner), 190)
        for line in TEXT_LINES:
            dark = [p for p in image.crop(line).getdata() if brightness(p) < 100]
            self.assertGreater(len(dark), 30, f"no text in {line}")
        self.close_and_expect_clean_end(process, window)

    def test_alt_f4_with_either_alt_ends_the_program(self):
        for alt in ("Alt_L", "Alt_R"):
            with self.subTest(alt=alt):
                process, window = self.start_and_find_window()
                self.xvfb.focus(window)
                self.xvfb.xdotool("keydown", alt, "keydown", "F4")
                try:
                    status, out, err = finish(process)
                finally:
                    self.xvfb.xdotool("keyup", "F4", "keyup", alt)
                self.assertEqual((status, out, err), (0, b"", b""))

    def test_f4_alone_or_alt_alone_leaves_it_running(self):
        process, window = self.start_and_find_window()
        self.xvfb.focus(window)
        for key in ("F4", "Alt_L", "Alt_R"):
            with self.subTest(key=key):
                self.xvfb.xdotool("keydown", key)
                time.sleep(0.5)
                self.xvfb.xdotool("keyup", key)
                self.assertIsNone(process.poll(), f"{key} alone ended the program")
        self.close_and_expect_clean_end(process, window)


if __name__ == "__main__":
    unittest.main()
