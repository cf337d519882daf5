"""The Debian package that cpack builds from this build folder: its dependencies, its files, and the
installed launcher started from an unpacked scratch root in Xvfb."""

import configparser
import os
import re
import shutil
import subprocess
import tempfile
import unittest

from PIL import Image

from q47harness import BUILD_DIR, DATA_DIR, PATIENCE, Xvfb, finish, program_env

PREFIX = "usr"
LAUNCHER = f"{PREFIX}/bin/q47"
PROGRAM = f"{PREFIX}/libexec/q47/q47"
DATA = f"{PREFIX}/share/q47/data"
DESKTOP_ENTRY = f"{PREFIX}/share/applications/q47.desktop"
ICON_SIZES = (16, 32)

# The runtime package of each SDL 1.2 library the program links with, by the library's soname prefix.
SDL_RUNTIME_PACKAGES = {
    "libSDL-1.2.so": "libsdl1.2debian",
    "libSDL_image-1.2.so": "libsdl-image1.2",
    "libSDL_ttf-2.0.so": "libsdl-ttf2.0-0",
    "libSDL_mixer-1.2.so": "libsdl-mixer1.2",
    "libSDL_net-1.2.so": "libsdl-net1.2",
}


def run(*command, **options):
    return subprocess.run(command, capture_output=True, text=True, **options)


def package_names(depends_field):
    """'libc6 (>= 2.34), libsdl1.2debian (>= 1.2.11) | x' -> {'libc6', 'libsdl1.2debian', 'x'}"""
    names = set()
    for alternative in re.split(r"[,|]", depends_field):
        name = alternative.strip().split(" ")[0].split(":")[0]
        if name:
            names.add(name)
    return names


def needed_libraries(elf_path):
    dump = run("objdump", "-p", elf_path, check=True).stdout
    return re.findall(r"^\s*NEEDED\s+(\S+)$", dump, re.MULTILINE)


def owning_package(soname):
    """The installed Debian package that ships the library with this soname."""
    cache = run("/sbin/ldconfig", "-p").stdout
    match = re.search(r"^\s*" + re.escape(soname) + r" \([^)]*\) => (\S+)$", cache, re.MULTILINE)
    if match is None:
        return None
    # With merged /usr, dpkg knows each file under only one of /lib and /usr/lib.
    path = os.path.realpath(match.group(1))
    candidates = {match.group(1), path, path.removeprefix("/usr"), "/usr" + path.removeprefix("/usr")}
    for candidate in sorted(candidates):
        owner = run("dpkg", "-S", candidate)
        if owner.returncode == 0:
            return owner.stdout.split(":")[0].strip()
    return None


def files_below(folder):
    found = set()
    for base, _, names in os.walk(folder):
        for name in names:
            found.add(os.path.relpath(os.path.join(base, name), folder))
    return found


@unittest.skipUnless(shutil.which("dpkg-deb"), "Debian packages are built and unpacked only where dpkg is")
class DebianPackageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.mkdtemp(prefix="q47-package-")
        out = os.path.join(cls.scratch, "out")
        result = run("cpack", "-G", "DEB", "--config", os.path.join(BUILD_DIR, "CPackConfig.cmake"), "-B", out,
                     cwd=BUILD_DIR)
        if result.returncode != 0:
            shutil.rmtree(cls.scratch, ignore_errors=True)
            raise AssertionError(f"cpack failed:\n{result.stdout}\n{result.stderr}")
        cls.debs = [os.path.join(out, name) for name in os.listdir(out) if name.endswith(".deb")]
        cls.root = os.path.join(cls.scratch, "root")
        if len(cls.debs) == 1:
            subprocess.run(["dpkg-deb", "-x", cls.debs[0], cls.root], check=True)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.scratch, ignore_errors=True)

    def setUp(self):
        self.assertEqual(len(self.debs), 1, f"cpack made {self.debs}")
        self.deb = self.debs[0]

    def installed(self, relative):
        return os.path.join(self.root, relative)

    def field(self, name):
        return run("dpkg-deb", "-f", self.deb, name, check=True).stdout.strip()

    def test_control_names_q47_and_depends_on_what_the_program_links_with(self):
        self.assertEqual(self.field("Package"), "q47")
        self.assertEqual(self.field("Architecture"), run("dpkg", "--print-architecture").stdout.strip())
        depends = package_names(self.field("Depends"))
        self.assertTrue(set(SDL_RUNTIME_PACKAGES.values()) <= depends,
                        f"missing SDL runtime packages: {set(SDL_RUNTIME_PACKAGES.values()) - depends}")
        self.assertFalse({name for name in depends if name.endswith("-dev")}, "a -dev package in Depends")
        # Every dependency is there because the installed program links a library from it, and back.
        linked = needed_libraries(self.installed(PROGRAM))
        for prefix in SDL_RUNTIME_PACKAGES:
            self.assertTrue(any(library.startswith(prefix) for library in linked), f"the program does not link {prefix}")
        owners = {owning_package(library) for library in linked}
        self.assertNotIn(None, owners, f"a linked library comes from no package: {linked}")
        self.assertEqual(depends, owners)

    def test_files_are_the_launcher_program_data_desktop_entry_and_icons(self):
        for path in (LAUNCHER, PROGRAM):
            with self.subTest(path=path):
                self.assertTrue(os.access(self.installed(path), os.X_OK), f"{path} is not an executable file")
        self.assertEqual(files_below(self.installed(DATA)), files_below(DATA_DIR))
        for size in ICON_SIZES:
            with self.subTest(size=size):
                icon = self.installed(f"{PREFIX}/share/icons/hicolor/{size}x{size}/apps/q47.png")
                with Image.open(icon) as image:
                    self.assertEqual((image.format, image.size), ("PNG", (size, size)))

    def test_desktop_entry_is_valid_and_names_the_installed_launcher_and_icon(self):
        path = self.installed(DESKTOP_ENTRY)
        result = run("desktop-file-validate", path)
        self.assertEqual((result.returncode, result.stdout + result.stderr), (0, ""))
        entry = configparser.ConfigParser(interpolation=None)
        entry.optionxform = str
        entry.read(path, encoding="utf-8")
        section = entry["Desktop Entry"]
        self.assertEqual(section["Exec"].split()[0], os.path.basename(LAUNCHER))
        self.assertEqual(section["Icon"], "q47")
        self.assertEqual(section["Terminal"], "false")

    def test_installed_launcher_starts_the_demo_from_anywhere_and_ends_it_cleanly_on_close(self):
        xvfb = Xvfb()
        self.addCleanup(xvfb.close)
        elsewhere = tempfile.mkdtemp(prefix="q47-cwd-")
        self.addCleanup(shutil.rmtree, elsewhere, True)
        process = subprocess.Popen([self.installed(LAUNCHER)], cwd=elsewhere, env=program_env(xvfb.env()),
                                   stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.addCleanup(lambda: process.poll() is None and process.kill())
        window = xvfb.find_window(process=process)
        if window is None:
            process.kill()
            status, _, err = finish(process)
            self.fail(f"no q47 window from the launcher; status {status}, stderr {err!r}")
        xvfb.request_close(window)
        status, out, err = finish(process, PATIENCE)
        self.assertEqual((status, out, err), (0, b"", b""))


if __name__ == "__main__":
    unittest.main()
