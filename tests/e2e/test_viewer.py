"""The viewer itself: its picture against a CPU reference of the map, and the
ways it ends, with the real pointer and keyboard."""
import os
import subprocess
import time
import unittest

import numpy as np
from PIL import Image

from harness import (SLOW, WINE, Workdir, close_window, command, dismiss_message_box, find_window, grab_screen,
                     hold_key, xdotool)

W, H = 1920, 1080
# The overlay's text lines sit in the top rows; the map is compared below them.
OVERLAY_ROWS = 64


def map_passes(d, phase, maxit, w=W, h=H):
    """Passes per pixel, computed in 32-bit float as the fragment program does."""
    f = np.float32
    s = (np.arange(w, dtype=f) + f(0.5)) / f(w)
    t = (np.arange(h, dtype=f) + f(0.5)) / f(h)
    pi = f(3.14159265358979323846264)
    x = np.broadcast_to(s * pi * f(2), (h, w)).copy()
    xp = np.broadcast_to((t * f(6) - f(3))[:, None], (h, w)).copy()
    d = f(d)
    ssp = np.sin(f(0.5) * pi + f(phase), dtype=f)
    i = np.zeros((h, w), dtype=f)
    active = np.ones((h, w), dtype=bool)
    two_pi = pi * f(2)
    n = 0
    while True:
        active &= (i <= f(maxit)) & (x >= 0) & (x <= two_pi)
        if not active.any() or n > 100000:
            break
        xp = np.where(active, xp + d * (np.sin(x, dtype=f) - ssp), xp)
        x = np.where(active, x + d * xp, x)
        i = np.where(active, i + f(1), i)
        n += 1
    return i


def map_colours(i, maxit):
    f = np.float32
    r = np.clip(f(0.01) * i, 0, 1)
    g = np.clip(np.minimum(f(1), f(0.1) * i) - f(0.0001) * i, 0, 1)
    b = np.clip(f(0.5) * i, 0, 1)
    rgb = np.rint(np.stack([r, g, b], axis=-1) * 255).astype(np.int16)
    rgb[i > f(maxit)] = 0
    return rgb


def agreement(picture, expected):
    close = np.all(np.abs(picture.astype(np.int16) - expected) <= 2, axis=-1)
    return close[OVERLAY_ROWS:].mean()


def render_text(text):
    """The text as the framework draws it with the embedded font, white on black (16 x 1200)."""
    with Workdir() as folder:
        path = os.path.join(folder, "text.ppm")
        r = subprocess.run(command("text_probe"), input="%s\n%s\n" % (path, text), capture_output=True, text=True,
                           timeout=60 * SLOW, cwd=folder)
        if r.returncode != 0:
            raise AssertionError("text_probe failed: %s" % r.stderr)
        return np.asarray(Image.open(path).convert("L"))


def tune_text(d, phase):
    sp = np.pi / 2 + phase
    with np.errstate(invalid="ignore"):
        tune = np.arccos(1 - d * d * np.cos(sp) * 0.5) * 57.29577951308232
    return "Synchrotron tune per cell = %s degrees" % ("%g" % tune if np.isfinite(tune) else "-nan")


class Viewer:
    """The viewer running in a folder of its own."""

    def __init__(self, folder, config=None, env=None):
        if config is not None:
            with open(os.path.join(folder, "config.txt"), "w") as f:
                f.write(config)
        e = dict(os.environ)
        if env:
            e.update(env)
        self.proc = subprocess.Popen(command("tessaline"), cwd=folder, env=e, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.PIPE)
        self.folder = folder

    def wait_window(self):
        if find_window("Tessaline", 30) is None:
            raise AssertionError("the viewer's window did not appear")
        time.sleep(1.0 * SLOW)

    def wait(self, timeout):
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None

    def stop(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        self.proc.stderr.close()


class ViewerTest(unittest.TestCase):
    def setUp(self):
        self.work = Workdir()
        self.dir = self.work.__enter__()
        self.viewer = None

    def tearDown(self):
        if self.viewer:
            self.viewer.stop()
        for key in ("alt", "Tab", "q", "Escape"):
            xdotool("keyup", key, check=False)
        self.work.__exit__(None, None, None)

    def start(self, pointer_x=None, config=None, env=None):
        if pointer_x is not None:
            # Placed before the window exists, then nudged onto the final spot once
            # it does, so that the window gets a pointer message for that spot.
            xdotool("mousemove", pointer_x + 1, 300)
        self.viewer = Viewer(self.dir, config, env)
        self.viewer.wait_window()
        if pointer_x is not None:
            xdotool("mousemove", pointer_x, 300)
            time.sleep(1.5 * SLOW)
        return self.viewer

    def assert_map(self, pointer_x, phase_degrees=-30, maxit=100, timeout=20.0):
        d = (1.0 / W) * (pointer_x * 5)
        expected = map_colours(map_passes(d, np.float32(phase_degrees * 0.017453292519943295), maxit), maxit)
        # A loaded machine renders slowly: look again until the frame for this d is up.
        end = time.time() + timeout * SLOW
        while True:
            picture = grab_screen()
            self.assertEqual(picture.shape, (H, W, 3))
            share = agreement(picture, expected)
            if share >= 0.99 or time.time() > end:
                break
            time.sleep(0.5)
        self.assertGreaterEqual(share, 0.99, "d = %g" % d)
        return picture

    def test_picture_matches_the_reference(self):
        self.start(pointer_x=384)  # d = 1
        self.assert_map(384)
        xdotool("mousemove", 1536, 300)  # d = 4
        time.sleep(1.5 * SLOW)
        self.assert_map(1536)

    def assert_text_at(self, picture, x, y, text, background):
        """Where the text's glyph is solid the screen is white; where it has no ink the map shows."""
        glyphs = render_text(text)
        h, w = glyphs.shape
        # Up to the next text on the same row (the right-hand ones start in the middle).
        w = min(w, (W // 2 if x < W // 2 else W) - x)
        screen = picture[y:y + h, x:x + w].astype(np.int16)
        ink = glyphs[:, :w] >= 250
        bare = glyphs[:, :w] == 0
        self.assertGreater(ink.sum(), 50, text)
        self.assertTrue((screen[ink] >= 240).all(), "glyph pixels not white for %r" % text)
        diff = np.abs(screen - background[y:y + h, x:x + w]).max(axis=-1)
        self.assertGreaterEqual((diff[bare] <= 2).mean(), 0.99, "map not showing around %r" % text)

    def test_overlay_texts_stand_in_their_places(self):
        x = 700
        self.start(pointer_x=x)
        d = (1.0 / W) * (x * 5)
        phase = float(np.float32(-30 * 0.017453292519943295))
        picture = self.assert_map(x)
        background = map_colours(map_passes(d, phase, 100), 100)
        h = 13
        self.assert_text_at(picture, 0, 2 * h, tune_text(d, phase), background)
        self.assert_text_at(picture, 0, 0, "No information log", background)
        self.assert_text_at(picture, W // 2, 0, "No information log", background)
        fps = picture[2 * h:3 * h, W // 2:W // 2 + 60]
        self.assertTrue((fps >= 240).all(axis=-1).any(), "no frame rate text")

    def test_left_edge_is_black(self):
        self.start(pointer_x=0)
        picture = grab_screen()
        self.assertEqual(int(picture[OVERLAY_ROWS:].max()), 0)
        self.assert_text_at(picture, 0, 26, "Synchrotron tune per cell = 0 degrees", np.zeros_like(picture))

    @unittest.skipIf(WINE, "a window that appears under the pointer may be told of it on Windows")
    def test_black_before_any_pointer_message(self):
        xdotool("mousemove", 1500, 700)
        self.start()
        picture = grab_screen()
        self.assertEqual(int(picture[OVERLAY_ROWS:].max()), 0)

    def assert_ends_quickly(self, start_action, end_action=None):
        # Near the right edge most points leave at once, so frames are short and
        # the pump comes round quickly even on a loaded machine.
        self.start(pointer_x=1900)
        start_action()
        t0 = time.time()
        try:
            code = self.viewer.wait(10 * SLOW)
        finally:
            if end_action:
                end_action()
        self.assertEqual(code, 0)
        self.assertLess(time.time() - t0, 1.0 + (3.0 if WINE else 0.0), "took too long to end")

    def test_escape_held_ends_it(self):
        self.assert_ends_quickly(lambda: xdotool("keydown", "Escape"), lambda: xdotool("keyup", "Escape"))

    def test_q_held_ends_it(self):
        self.assert_ends_quickly(lambda: xdotool("keydown", "q"), lambda: xdotool("keyup", "q"))

    def test_closing_the_window_ends_it(self):
        self.assert_ends_quickly(lambda: close_window("Tessaline"))

    def test_minimised_window_keeps_running(self):
        self.start(pointer_x=500)
        xdotool("keydown", "alt")
        xdotool("keydown", "Tab")
        time.sleep(0.5 * SLOW)
        xdotool("keyup", "Tab")
        xdotool("keyup", "alt")
        time.sleep(1.0 * SLOW)
        self.assertIsNone(self.viewer.proc.poll(), "the viewer ended while minimised")
        self.assertFalse(os.path.exists(os.path.join(self.dir, "graphics_error.log")))
        close_window("Tessaline", visible=False)
        self.assertEqual(self.viewer.wait(10 * SLOW), 0)

    def test_old_driver_is_refused(self):
        self.viewer = Viewer(self.dir, env={"MESA_GL_VERSION_OVERRIDE": "1.5"})
        self.assertTrue(dismiss_message_box(), "no message box")
        self.assertEqual(self.viewer.wait(20 * SLOW), 1)
        with open(os.path.join(self.dir, "graphics_error.log")) as f:
            self.assertIn("OpenGL version 2.0 or higher required for shaders; you have version 1.5", f.read())


if __name__ == "__main__":
    unittest.main()
