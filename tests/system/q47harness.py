"""Runs the real q47 program for the system tests: a private Xvfb at 24 bits, a scratch folder holding a
copy of data/, the real window found and driven through the X server."""

import os
import shutil
import subprocess
import tempfile
import time

from Xlib import X, Xatom, display as xdisplay, protocol

BUILD_DIR = os.environ.get("Q47_BUILD_DIR", os.path.join(os.path.dirname(__file__), "..", "..", "build"))
SOURCE_DIR = os.environ.get("Q47_SOURCE_DIR", os.path.join(os.path.dirname(__file__), "..", ".."))
SANITIZED = os.environ.get("Q47_SANITIZE", "0") in ("1", "ON", "TRUE", "true")
PROGRAM = os.path.join(BUILD_DIR, "src", "q47")
DATA_DIR = os.path.join(SOURCE_DIR, "data")
# Sanitized builds start several times slower.
PATIENCE = 60.0 if SANITIZED else 20.0


class Xvfb:
    """A private X server with a 24-bit screen; the display number comes back through -displayfd."""

    def __init__(self, width=640, height=480):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{width}x{height}x24", "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            number = pipe.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        self.name = ":" + number
        self.x = xdisplay.Display(self.name)

    def close(self):
        self.x.close()
        self.process.terminate()
        self.process.wait(10)

    def env(self, **extra):
        env = dict(os.environ, DISPLAY=self.name, SDL_AUDIODRIVER="dummy")
        env.pop("SDL_VIDEODRIVER", None)
        env.update(extra)
        return env

    def find_window(self, title="q47", timeout=PATIENCE, process=None):
        """The top-level window with this title; with no window manager they are the root's children."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            for window in self.x.screen().root.query_tree().children:
                try:
                    if window.get_wm_name() == title and window.get_attributes().map_state == X.IsViewable:
                        return window
                except Exception:
                    continue
            if process is not None and process.poll() is not None:
                return None
            time.sleep(0.1)
        return None

    def request_close(self, window):
        """What a window manager sends when the user closes the window."""
        protocols = self.x.intern_atom("WM_PROTOCOLS")
        delete = self.x.intern_atom("WM_DELETE_WINDOW")
        event = protocol.event.ClientMessage(window=window, client_type=protocols, data=(32, [delete, X.CurrentTime, 0, 0, 0]))
        window.send_event(event)
        self.x.flush()

    def screenshot(self, window):
        """The window's pixels as a PIL image (RGB)."""
        from PIL import Image
        geometry = window.get_geometry()
        raw = window.get_image(0, 0, geometry.width, geometry.height, X.ZPixmap, 0xFFFFFFFF)
        return Image.frombytes("RGB", (geometry.width, geometry.height), raw.data, "raw", "BGRX")

    def xdotool(self, *args):
        subprocess.run(["xdotool", *args], env=self.env(), check=True)

    def focus(self, window):
        geometry = window.get_geometry()
        self.xdotool("mousemove", str(geometry.x + 10), str(geometry.y + 10))
        window.set_input_focus(X.RevertToParent, X.CurrentTime)
        self.x.sync()


class RunFolder:
    """A scratch working folder with a copy of data/, which a test may damage at will."""

    def __init__(self):
        self.path = tempfile.mkdtemp(prefix="q47-run-")
        shutil.copytree(DATA_DIR, os.path.join(self.path, "data"))

    def file(self, relative):
        return os.path.join(self.path, "data", relative)

    def remove(self, relative):
        os.remove(self.file(relative))

    def write(self, relative, content):
        with open(self.file(relative), "wb") as out:
            out.write(content)

    def close(self):
        shutil.rmtree(self.path, ignore_errors=True)


def program_env(base_env):
    env = dict(base_env)
    # The program owns its surfaces until the process ends by design, so leak reports say nothing here.
    env["ASAN_OPTIONS"] = "detect_leaks=0:halt_on_error=1"
    env["UBSAN_OPTIONS"] = "print_stacktrace=1:halt_on_error=1"
    return env


def start(folder, env):
    return subprocess.Popen([PROGRAM], cwd=folder.path, env=program_env(env), stdin=subprocess.DEVNULL,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE)


def start_built(name, folder, env, prefix=(), asan_options=""):
    """Starts another executable of the build folder (a test-only build of the program, say) as start()
    starts q47; `prefix` runs it under a tool such as valgrind, `asan_options` add to the sanitizer's."""
    env = program_env(env)
    if asan_options:
        env["ASAN_OPTIONS"] += ":" + asan_options
    return subprocess.Popen([*prefix, os.path.join(BUILD_DIR, "src", name)], cwd=folder.path, env=env,
                            stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE)


def run_to_end(folder, env, timeout=PATIENCE):
    """Runs the program to its end; gives (status, stdout, stderr)."""
    result = subprocess.run([PROGRAM], cwd=folder.path, env=program_env(env), stdin=subprocess.DEVNULL,
                            capture_output=True, timeout=timeout)
    return result.returncode, result.stdout, result.stderr


def finish(process, timeout=PATIENCE):
    """Waits for the program to end; gives (status, stdout, stderr)."""
    out, err = process.communicate(timeout=timeout)
    return process.returncode, out, err
