#!/usr/bin/python3
"""How long the demo takes from process start to its first presented frame, in Xvfb (24-bit screen, dummy
audio): the time until its window is viewable and shows pixels other than black. A figure, not a test.
Usage: startup_time.py [RUNS] [PROGRAM]   (defaults: 7 runs, build-bench/src/q47)"""

import sys
import time

from Xlib import X, display as xdisplay

import xvfb_session

PATIENCE = 20.0  # seconds for one start


def presented_window(x, title="q47"):
    """The demo's top-level window once it is viewable and not all black, else None."""
    for window in x.screen().root.query_tree().children:
        try:
            if window.get_wm_name() != title or window.get_attributes().map_state != X.IsViewable:
                continue
            geometry = window.get_geometry()
            pixels = window.get_image(0, 0, geometry.width, geometry.height, X.ZPixmap, 0x00FFFFFF).data
            if pixels.strip(b"\0"):
                return window
        except Exception:  # the window may come or go between the calls
            continue
    return None


def one_start(server, program):
    x = xdisplay.Display(server.name)
    try:
        began = time.monotonic()
        process = server.start(program)
        try:
            shown = xvfb_session.wait_until(lambda: presented_window(x) is not None or process.poll() is not None,
                                            PATIENCE)
            elapsed = time.monotonic() - began
            if not shown or process.poll() is not None:
                error = process.stderr.read().decode(errors="replace") if process.poll() is not None else ""
                raise RuntimeError(f"no frame within {PATIENCE} s {error.strip()}")
            return elapsed
        finally:
            xvfb_session.stop(process)
    finally:
        x.close()


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 7
    program = xvfb_session.ensure_program(sys.argv[2] if len(sys.argv) > 2 else xvfb_session.DEFAULT_PROGRAM)
    with xvfb_session.Xvfb() as server:
        times = [one_start(server, program) * 1000 for _ in range(runs)]
    print(f"start-up to first frame, {program}, {runs} runs: median {xvfb_session.median(times):.0f} ms, "
          f"min {min(times):.0f} ms, max {max(times):.0f} ms")


if __name__ == "__main__":
    main()
