"""A private Xvfb with a 24-bit screen and the demo started in it from the repository root, for the
measuring scripts (start-up time, CPU use)."""

import os
import subprocess
import time

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))
DEFAULT_PROGRAM = os.path.join(ROOT, "build-bench", "src", "q47")


def ensure_program(program):
    """The program to measure; the default one is built in the Release folder when it is missing."""
    if program != DEFAULT_PROGRAM or os.path.exists(program):
        return program
    folder = os.path.dirname(os.path.dirname(program))
    if not os.path.exists(os.path.join(folder, "CMakeCache.txt")):
        subprocess.run(["cmake", "-S", ROOT, "-B", folder, "-DCMAKE_BUILD_TYPE=Release"], check=True,
                       stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", folder, "-j2", "--target", "q47"], check=True, stdout=subprocess.DEVNULL)
    return program


class Xvfb:
    """An X server of its own; the display number comes back through -displayfd."""

    def __init__(self, width=640, height=480, depth=24):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            # -noreset: by default the server resets when its last client leaves, and refuses the next
            # client that comes during the reset.
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{width}x{height}x{depth}", "-nolisten", "tcp",
             "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            number = pipe.readline().strip()
        if not number:
            self.process.kill()
            raise RuntimeError("Xvfb did not start")
        self.name = ":" + number
        if not wait_until(self._accepts_clients, 10, step=0.05):
            self.process.kill()
            raise RuntimeError(f"Xvfb {self.name} does not accept clients")

    def _accepts_clients(self):
        from Xlib import display as xdisplay
        try:
            xdisplay.Display(self.name).close()
            return True
        except Exception:
            return False

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.process.terminate()
        self.process.wait(10)

    def start(self, program):
        """The demo, run as a user would: its data below the working directory, sound to the dummy driver."""
        env = dict(os.environ, DISPLAY=self.name, SDL_AUDIODRIVER="dummy")
        env.pop("SDL_VIDEODRIVER", None)
        return subprocess.Popen([program], cwd=ROOT, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)


def stop(process):
    """Ends the demo as a closed window would (SDL turns SIGTERM into a quit event)."""
    if process.poll() is None:
        process.terminate()
        try:
            process.wait(10)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


def median(values):
    ordered = sorted(values)
    middle = len(ordered) // 2
    return ordered[middle] if len(ordered) % 2 else (ordered[middle - 1] + ordered[middle]) / 2


def wait_until(condition, timeout, step=0.001):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if condition():
            return True
        time.sleep(step)
    return False
