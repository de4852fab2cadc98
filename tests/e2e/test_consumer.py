"""The framework as its users take it: installed from the build folder into a
fresh prefix, found by tests/consumer (find_package(Tessaline) and nothing else;
the program docs/framework.md shows), built natively or with the MinGW toolchain,
and run in a real window whose picture is checked against where main.cpp draws."""
import glob
import os
import re
import shutil
import subprocess
import tempfile
import time
import unittest

import numpy as np

from harness import BIN_DIR, ROOT, SCREEN_H, SCREEN_W, SLOW, WINE, E2ETest, close_window, find_window, \
    grab_screen, launch, project_version, xdotool

CONSUMER = os.path.join(ROOT, "tests", "consumer")
TITLE = "Tessaline hello"
# What main.cpp draws, in client pixels: a 640 x 360 window, white text from
# (24, 24), an orange disc of radius 90 about (320, 210), black elsewhere.
CLIENT_W, CLIENT_H = 640, 360
TEXT_X, TEXT_Y = 24, 24
DISC_X, DISC_Y, DISC_R = 320, 210, 90
ORANGE = (255, 128, 0)


def run(args, env=None):
    r = subprocess.run(args, capture_output=True, text=True, timeout=900, env=env)
    if r.returncode != 0:
        raise AssertionError("%s failed:\n%s\n%s" % (" ".join(args), r.stdout[-4000:], r.stderr[-4000:]))
    return r.stdout


class DocsShowTheConsumer(unittest.TestCase):
    def test_listings_are_the_consumer_files(self):
        with open(os.path.join(ROOT, "docs", "framework.md")) as f:
            doc = f.read()
        for lang, name in (("cpp", "main.cpp"), ("cmake", "CMakeLists.txt")):
            listing = re.search(r"```%s\n(.*?)```" % lang, doc, re.S)
            self.assertIsNotNone(listing, "no %s listing" % lang)
            with open(os.path.join(CONSUMER, name)) as f:
                self.assertEqual(listing.group(1), f.read(), name)


class InstalledFramework(E2ETest):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp(prefix="tess-install-")
        cls.prefix = os.path.join(cls.tmp, "prefix")
        run(["cmake", "--install", BIN_DIR, "--prefix", cls.prefix])

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.tmp, ignore_errors=True)

    def installed(self, pattern):
        found = glob.glob(os.path.join(self.prefix, pattern), recursive=True)
        self.assertTrue(found, "nothing installed matches " + pattern)
        return found

    def show_and_close(self, exe):
        """Runs the program, grabs the screen once it has drawn, closes its window."""
        xdotool("mousemove", SCREEN_W // 2, SCREEN_H // 2)  # a framed window opens centred on the pointer
        proc = self.track(subprocess.Popen(launch(exe), cwd=self.dir, stdout=subprocess.DEVNULL,
                                           stderr=subprocess.DEVNULL))
        self.assertIsNotNone(find_window(TITLE, 30), "the program's window did not appear")
        xdotool("mousemove", 0, 0)  # out of the picture
        time.sleep(1.0 * SLOW)
        picture = grab_screen()
        close_window(TITLE)
        self.assertEqual(proc.wait(timeout=30 * SLOW), 0)
        return picture

    def check_picture(self, picture):
        orange = np.all(picture == ORANGE, axis=-1)
        ys, xs = np.nonzero(orange)
        self.assertGreater(len(xs), 1000, "no orange disc on the screen")
        # The disc tells where the client area is, wherever the window was put.
        left = int(round(xs.mean() + 0.5 - DISC_X))
        top = int(round(ys.mean() + 0.5 - DISC_Y))
        client = picture[top:top + CLIENT_H, left:left + CLIENT_W].astype(int)
        self.assertEqual(client.shape[:2], (CLIENT_H, CLIENT_W), "window not wholly on the screen")
        disc = np.all(client == ORANGE, axis=-1)
        self.assertEqual(disc.sum(), orange.sum(), "orange outside the window")
        yy, xx = np.mgrid[0:CLIENT_H, 0:CLIENT_W] + 0.5
        dist = np.hypot(xx - DISC_X, yy - DISC_Y)
        self.assertTrue(disc[dist < DISC_R - 1.5].all(), "holes in the disc")
        self.assertFalse(disc[dist > DISC_R + 0.5].any(), "the disc spills over its radius")

        # Everything else is black but the text: grey to white ink from its corner on one line.
        ink = (client.max(axis=-1) > 0) & ~disc
        ys, xs = np.nonzero(ink)
        self.assertGreater(len(xs), 150, "no text")
        self.assertTrue(TEXT_X - 1 <= xs.min() <= TEXT_X + 4 and TEXT_Y - 1 <= ys.min() <= TEXT_Y + 8,
                        "text starts at (%d, %d)" % (xs.min(), ys.min()))
        width, height = xs.max() - xs.min() + 1, ys.max() - ys.min() + 1
        self.assertTrue(100 <= width <= 400 and 7 <= height <= 24, "text box %d x %d" % (width, height))
        pixels = client[ink]
        self.assertLessEqual(np.ptp(pixels, axis=-1).max(), 2, "coloured text where white was drawn")
        self.assertGreater((pixels.min(axis=-1) >= 250).sum(), 40, "no white in the text")

    def test_find_package_builds_a_program_that_draws(self):
        build = os.path.join(self.dir, "build")
        args = ["cmake", "-S", CONSUMER, "-B", build, "-DCMAKE_PREFIX_PATH=" + self.prefix]
        if WINE:
            args.append("-DCMAKE_TOOLCHAIN_FILE=" + os.path.join(ROOT, "cmake", "mingw-w64.cmake"))
        run(args)
        run(["cmake", "--build", build])
        # It used this install, not one elsewhere on the machine.
        with open(os.path.join(build, "CMakeCache.txt")) as f:
            found = re.search(r"^Tessaline_DIR:PATH=(.*)$", f.read(), re.M).group(1)
        self.assertEqual(os.path.dirname(self.installed("**/TessalineConfig.cmake")[0]), found)
        self.check_picture(self.show_and_close(os.path.join(build, "hello" + (".exe" if WINE else ""))))

    def test_pkg_config_builds_the_same_program(self):
        if WINE:
            self.skipTest("pkg-config is for Linux")
        env = dict(os.environ, PKG_CONFIG_PATH=os.path.dirname(self.installed("**/pkgconfig/tessaline.pc")[0]))
        self.assertEqual(run(["pkg-config", "--modversion", "tessaline"], env).strip(), project_version())
        flags = run(["pkg-config", "--cflags", "--libs", "tessaline"], env).split()
        exe = os.path.join(self.dir, "hello")
        run(["g++", "-std=c++17", os.path.join(CONSUMER, "main.cpp"), "-o", exe] + flags)
        self.check_picture(self.show_and_close(exe))

    def test_every_installed_header_compiles_alone(self):
        include = os.path.join(self.prefix, "include")
        headers = sorted(glob.glob(os.path.join(include, "framework", "**", "*.h"), recursive=True))
        self.assertGreater(len(headers), 25)
        sources = []
        for i, h in enumerate(headers):
            sources.append(os.path.join(self.dir, "h%d.cpp" % i))
            with open(sources[-1], "w") as f:
                f.write('#include "%s"\n' % os.path.relpath(h, include))
        compiler = "x86_64-w64-mingw32-g++-posix" if WINE else "g++"
        run([compiler, "-std=c++17", "-fsyntax-only", "-Wall", "-Wextra", "-Werror", "-I", include] + sources)

    def test_installed_package_names_nothing_outside_it(self):
        files = self.installed("**/cmake/Tessaline/*.cmake") + glob.glob(self.prefix + "/**/*.pc", recursive=True)
        for path in files:
            with open(path) as f:
                self.assertNotIn(ROOT, f.read(), path)
        # Include folders: the install's own alone; third-party ones used inside stay inside.
        with open(self.installed("**/cmake/Tessaline/TessalineTargets.cmake")[0]) as f:
            folders = re.findall(r'INTERFACE_INCLUDE_DIRECTORIES "([^"]*)"', f.read())
        self.assertTrue(folders)
        for value in folders:
            self.assertEqual(value.split(";"), ["${_IMPORT_PREFIX}/include"])


if __name__ == "__main__":
    unittest.main()
