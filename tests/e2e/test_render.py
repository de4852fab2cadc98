"""The command line end to end: --render with no display at all (Linux) or no
window shown (the Windows build under Wine), its PNG against the NumPy
reference of the map and its text chunks checked byte by byte, --scan's table,
and bad arguments and failed writes."""
import os
import re
import struct
import subprocess
import time
import unittest
import zlib

import numpy as np
from PIL import Image

from harness import DEG, SCREEN_H, SCREEN_W, SLOW, WINE, E2ETest, agreement, command, map_colours, map_passes, view_to_st, xdotool

W, H = 1280, 800
ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
PHASE = np.float32(-30 * DEG)


def project_version():
    with open(os.path.join(ROOT, "CMakeLists.txt")) as f:
        return re.search(r"project\(tessaline VERSION ([0-9.]+)", f.read()).group(1)


def png_chunks(path):
    """(type, data) of every chunk, each CRC checked with zlib's CRC-32."""
    with open(path, "rb") as f:
        data = f.read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "no PNG signature"
    out, at = [], 8
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        (crc,) = struct.unpack(">I", data[at + 8 + length:at + 12 + length])
        assert crc == zlib.crc32(kind + body), "bad CRC in %r" % kind
        out.append((kind.decode("latin-1"), body))
        at += 12 + length
    return out


class RenderTest(E2ETest):
    def run_tessaline(self, *args, env=None, display=False, timeout=120):
        """Runs the program in the test's folder; on Linux with no DISPLAY unless asked."""
        e = dict(os.environ)
        if not WINE and not display:
            e.pop("DISPLAY", None)
        e.update(env or {})
        return subprocess.run(command("tessaline", *args), cwd=self.dir, env=e, capture_output=True, text=True,
                              timeout=timeout * SLOW)

    def render(self, name, *args, w=W, h=H, **kw):
        r = self.run_tessaline("--render", name, "--size", "%dx%d" % (w, h), *args, **kw)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(r.stderr, "")
        return np.asarray(Image.open(os.path.join(self.dir, name)).convert("RGB"))

    def assert_one_line(self, r, code):
        self.assertEqual(r.returncode, code, r.stderr)
        lines = r.stderr.splitlines()
        self.assertEqual(len(lines), 1, r.stderr)
        self.assertTrue(lines[0].startswith("tessaline: "), r.stderr)
        return lines[0]

    def test_maps_match_the_reference_without_a_display(self):
        for d in (0.1, 1.0, 4.0):
            picture = self.render("map.png", "--d", str(d))
            self.assertEqual(picture.shape, (H, W, 3))
            expected = map_colours(map_passes(d, PHASE, 100, W, H), 100)
            self.assertGreaterEqual(agreement(picture, expected, skip_rows=0), 0.99, "d = %g" % d)

    def test_view_renders_the_zoomed_window(self):
        view = (1.0, 3.0, -1.5, 0.5)
        picture = self.render("zoom.png", "--d", "1", "--view", ",".join(map(str, view)))
        s, t = view_to_st(*view)
        expected = map_colours(map_passes(1.0, PHASE, 100, W, H, s, t), 100)
        self.assertGreaterEqual(agreement(picture, expected, skip_rows=0), 0.99)
        # Not the full map squeezed: that would look quite different.
        full = map_colours(map_passes(1.0, PHASE, 100, W, H), 100)
        self.assertLess(agreement(picture, full, skip_rows=0), 0.8)

    def test_png_says_how_it_was_made_and_config_stays_as_it_was(self):
        config = b"Max cells: 3\nAccelerating phase (degrees):45\n"
        with open(os.path.join(self.dir, "config.txt"), "wb") as f:
            f.write(config)
        picture = self.render("made.png", "--d", "1.25", w=320, h=200)
        expected = map_colours(map_passes(1.25, np.float32(45 * DEG), 3, 320, 200), 3)
        self.assertGreaterEqual(agreement(picture, expected, skip_rows=0), 0.99)
        with open(os.path.join(self.dir, "config.txt"), "rb") as f:
            self.assertEqual(f.read(), config)
        chunks = png_chunks(os.path.join(self.dir, "made.png"))
        self.assertEqual(chunks[0][0], "IHDR")
        self.assertEqual(struct.unpack(">II", chunks[0][1][:8]), (320, 200))
        texts = dict(body.split(b"\0", 1) for kind, body in chunks if kind == "tEXt")
        self.assertEqual(texts, {b"phase": b"45", b"d": b"1.25", b"cells": b"3", b"view": b"0,6.283185307179586,-3,3",
                                 b"Software": ("tessaline " + project_version()).encode()})
        self.assertEqual(sorted(os.listdir(self.dir)), ["config.txt", "made.png"])
        # Options win over the file; with no file none is made.
        os.unlink(os.path.join(self.dir, "config.txt"))
        self.render("made.png", "--phase", "-30", "--cells", "100", w=64, h=40)
        self.assertEqual(os.listdir(self.dir), ["made.png"])

    def test_bad_arguments_exit_2_with_one_line(self):
        for args, named in ((["--frobnicate"], "--frobnicate"), (["--render", "x.png", "--size", "0x10"], "--size"),
                            (["--render", "x.png", "--size", "99999x99999"], "--size"),
                            (["--render", "x.png", "--d", "nan"], "--d"),
                            (["--render", "x.png", "--view", "1,1,0,0"], "--view"),
                            (["--scan", "1:0:0", "--csv", "x.csv"], "--scan")):
            r = self.run_tessaline(*args)
            self.assertIn(named, self.assert_one_line(r, 2), args)
            self.assertEqual(r.stdout, "")
        self.assertEqual(os.listdir(self.dir), [])

    def test_failed_renders_exit_1_and_leave_no_file(self):
        os.mkdir(os.path.join(self.dir, "taken.png"))
        for args in (["--render", os.path.join("no", "such", "folder.png")], ["--render", "taken.png"],
                     ["--render", "huge.png", "--size", "65535x16"], ["--render", "sep.png", "--separatrix"],
                     ["--scan", "1:2:2", "--csv", os.path.join("no", "such.csv")]):
            r = self.run_tessaline(*(args + ([] if "--size" in args else ["--size", "64x40"])))
            self.assert_one_line(r, 1)
        self.assertEqual(os.listdir(self.dir), ["taken.png"])
        self.assertEqual(os.listdir(os.path.join(self.dir, "taken.png")), [])

    @unittest.skipIf(WINE, "EGL and GLX are the Linux paths")
    def test_glx_on_the_display_only_when_egl_is_missing(self):
        no_egl = {"__EGL_VENDOR_LIBRARY_FILENAMES": os.path.join(self.dir, "no-such-vendor.json")}
        picture = self.render("glx.png", "--d", "2", w=320, h=200, env=no_egl, display=True)
        expected = map_colours(map_passes(2.0, PHASE, 100, 320, 200), 100)
        self.assertGreaterEqual(agreement(picture, expected, skip_rows=0), 0.99)
        r = self.run_tessaline("--render", "none.png", "--size", "64x40", env=no_egl)
        line = self.assert_one_line(r, 1)
        self.assertIn("EGL", line)
        self.assertIn("GLX: DISPLAY is not set", line)
        self.assertEqual(os.listdir(self.dir), ["glx.png"])

    @unittest.skipUnless(WINE, "only Windows needs a window for its context")
    def test_no_window_is_shown(self):
        def visible():
            """Mapped windows with a part on the screen. Wine maps a 1 x 1 helper at
            (-1, -1), wholly off the screen, to draw GL for windows it does not show."""
            out = set()
            for wid in xdotool("search", "--onlyvisible", "--name", "", check=False).split():
                geometry = xdotool("getwindowgeometry", "--shell", wid, check=False)
                g = dict(line.split("=", 1) for line in geometry.splitlines() if "=" in line)
                if {"X", "Y", "WIDTH", "HEIGHT"} <= g.keys():
                    x, y, w, h = (int(g[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))
                    if x + w > 0 and y + h > 0 and x < SCREEN_W and y < SCREEN_H:
                        out.add(wid)
            return out
        before = visible()
        e = dict(os.environ)
        proc = subprocess.Popen(command("tessaline", "--render", "w.png", "--size", "%dx%d" % (W, H), "--d", "0.1"),
                                cwd=self.dir, env=e, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        self.track(proc)
        seen = set()
        while proc.poll() is None:
            seen |= visible() - before
            time.sleep(0.05)
        self.assertEqual(proc.wait(), 0, proc.stderr.read())
        proc.stderr.close()
        self.assertEqual(seen, set(), "a window appeared on the screen")
        self.assertTrue(os.path.exists(os.path.join(self.dir, "w.png")))

    def test_scan_rows_agree_with_the_reference(self):
        w, h = 320, 200
        r = self.run_tessaline("--scan", "0.5:2.5:5", "--size", "%dx%d" % (w, h), "--csv", "scan.csv")
        self.assertEqual(r.returncode, 0, r.stderr)
        with open(os.path.join(self.dir, "scan.csv")) as f:
            lines = f.read().splitlines()
        self.assertEqual(lines[0], "d,measured_area,continuum_area,ratio,tune_degrees")
        self.assertEqual(len(lines), 6)
        pixel_area = 2 * np.pi * 6 / (w * h)
        for line, d in zip(lines[1:], (0.5, 1.0, 1.5, 2.0, 2.5)):
            fields = line.split(",")
            self.assertEqual(float(fields[0]), d)
            black = (map_passes(d, PHASE, 100, w, h) > 100).sum()
            self.assertAlmostEqual(float(fields[1]), black * pixel_area, delta=0.005 * w * h * pixel_area)
            self.assertEqual(fields[2:4], ["nan", "nan"])  # the continuum area is not computed yet
            tune = np.arccos(1 - d * d * np.cos(np.pi / 2 + float(PHASE)) * 0.5) * 57.29577951308232
            self.assertAlmostEqual(float(fields[4]), tune, places=9)

    def test_help_and_version(self):
        r = self.run_tessaline("--version")
        self.assertEqual((r.returncode, r.stdout, r.stderr), (0, "tessaline %s\n" % project_version(), ""))
        r = self.run_tessaline("--help")
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertIn("--render OUT.png", r.stdout)
        self.assertIn("Exit codes: 0", r.stdout)
        # The README lists the viewer's keys as --help does.
        keys = r.stdout.split("Keys of the viewer:\n", 1)[1].split("\n\n", 1)[0].splitlines()
        self.assertGreaterEqual(len(keys), 2)
        with open(os.path.join(ROOT, "README.md")) as f:
            readme = f.read()
        for line in keys:
            key, action = line.strip().split("  ", 1)
            self.assertIn("| %s | %s |" % (key, action.strip()), readme)


if __name__ == "__main__":
    unittest.main()
