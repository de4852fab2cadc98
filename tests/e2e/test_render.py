"""The command line end to end: --render with no display at all (Linux) or no
window shown (the Windows build under Wine), its PNG against the NumPy
reference of the map and its text chunks checked byte by byte, --scan's table,
and bad arguments and failed writes."""
import os
import re
import subprocess
import time
import unittest

import numpy as np

from harness import (DEG, RENDER_H as H, RENDER_W as W, ROOT, SCREEN_H, SCREEN_W, WINE, E2ETest, agreement,
                     command, map_passes, map_reference, project_version, separatrix_curve, texts_of, tune_degrees,
                     xdotool)

PHASE = np.float32(-30 * DEG)


def reference(d, w=W, h=H, phase_degrees=-30, maxit=100, view=None):
    return map_reference(d, phase_degrees, maxit, w, h, view)


class RenderTest(E2ETest):
    def assert_one_line(self, r, code):
        self.assertEqual(r.returncode, code, r.stderr)
        self.assertRegex(r.stderr, r"^tessaline: [^\n]+\n$")
        return r.stderr

    def test_maps_match_the_reference_without_a_display(self):
        for d in (0.1, 1.0, 4.0):
            self.assertGreaterEqual(agreement(self.render("map.png", "--d", str(d)), reference(d), 0), 0.99, d)
        view = (1.0, 3.0, -1.5, 0.5)
        zoomed = self.render("zoom.png", "--d", "1", "--view", ",".join(map(str, view)))
        self.assertGreaterEqual(agreement(zoomed, reference(1.0, view=view), 0), 0.99)
        self.assertLess(agreement(zoomed, reference(1.0), 0), 0.8)  # not the full map

    def test_png_says_how_it_was_made_and_config_stays_as_it_was(self):
        config = b"Max cells: 3\nAccelerating phase (degrees):45\n"
        with open(os.path.join(self.dir, "config.txt"), "wb") as f:
            f.write(config)
        picture = self.render("made.png", "--d", "1.25", w=320, h=200)
        expected = reference(1.25, 320, 200, 45, 3)
        self.assertGreaterEqual(agreement(picture, expected, 0), 0.99)
        version = project_version()
        self.assertEqual(texts_of(os.path.join(self.dir, "made.png")),
                         {"phase": "45", "d": "1.25", "cells": "3", "view": "0,6.283185307179586,-3,3",
                          "Software": "tessaline " + version})
        with open(os.path.join(self.dir, "config.txt"), "rb") as f:
            self.assertEqual(f.read(), config)
        # With no config.txt none is made.
        os.unlink(os.path.join(self.dir, "config.txt"))
        self.render("made.png", w=64, h=40)
        self.assertEqual(os.listdir(self.dir), ["made.png"])
        r = self.run_tessaline("--version")
        self.assertEqual((r.returncode, r.stdout),
                         (0, "tessaline %s\nCopyright (c) 2026 Tessaline developers. Licence: Zlib\n" % version))

    def test_bad_arguments_exit_2_and_failures_1_leaving_no_file(self):
        for args, named in ((["--frobnicate"], "--frobnicate"), (["--render", "x.png", "--size", "0x10"], "--size"),
                            (["--render", "x.png", "--size", "99999x99999"], "--size"),
                            (["--render", "x.png", "--d", "nan"], "--d"),
                            (["--render", "x.png", "--view", "1,1,0,0"], "--view"),
                            (["--scan", "1:0:0", "--csv", "x.csv"], "--scan")):
            self.assertIn(named, self.assert_one_line(self.run_tessaline(*args), 2), args)
        os.mkdir(os.path.join(self.dir, "taken.png"))
        for args in (["--render", os.path.join("no", "such", "folder.png")], ["--render", "taken.png"],
                     ["--scan", "1:2:2", "--csv", "taken.png"]):
            self.assert_one_line(self.run_tessaline(*args, "--size", "64x40"), 1)
        line = self.assert_one_line(self.run_tessaline("--render", "x.png", "--size", "65535x16"), 1)
        largest = re.search(r"largest picture, (\d+)x\d+", line)  # the driver's own limit
        self.assertTrue(largest and 0 < int(largest.group(1)) < 65535, line)
        self.assertEqual(os.listdir(self.dir), ["taken.png"])
        self.assertEqual(os.listdir(os.path.join(self.dir, "taken.png")), [])

    @unittest.skipIf(WINE, "EGL and GLX are the Linux paths")
    def test_glx_on_the_display_only_when_egl_is_missing(self):
        no_egl = {"__EGL_VENDOR_LIBRARY_FILENAMES": os.path.join(self.dir, "no-such-vendor.json")}
        picture = self.render("glx.png", "--d", "2", w=320, h=200, env=no_egl, display=True)
        self.assertGreaterEqual(agreement(picture, reference(2.0, 320, 200), 0), 0.99)
        line = self.assert_one_line(self.run_tessaline("--render", "none.png", env=no_egl), 1)
        self.assertIn("GLX: DISPLAY is not set", line)
        self.assertEqual(os.listdir(self.dir), ["glx.png"])

    @unittest.skipUnless(WINE, "only Windows needs a window for its context")
    def test_no_window_is_shown(self):
        def on_screen():
            """Mapped windows with a part on the screen. Wine maps a 1 x 1 helper at
            (-1, -1), wholly off the screen, to draw GL for windows it does not show."""
            out = set()
            for wid in xdotool("search", "--onlyvisible", "--name", "", check=False).split():
                g = dict(l.split("=", 1) for l in xdotool("getwindowgeometry", "--shell", wid, check=False).split())
                x, y, w, h = (int(g.get(k, 0)) for k in ("X", "Y", "WIDTH", "HEIGHT"))
                if x + w > 0 and y + h > 0 and x < SCREEN_W and y < SCREEN_H:
                    out.add(wid)
            return out
        before = on_screen()
        proc = self.track(subprocess.Popen(command("tessaline", "--render", "w.png", "--size", "%dx%d" % (W, H)),
                                           cwd=self.dir, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        seen = set()
        while proc.poll() is None:
            seen |= on_screen() - before
            time.sleep(0.05)
        self.assertEqual((proc.returncode, seen), (0, set()), "a window appeared on the screen")
        self.assertTrue(os.path.exists(os.path.join(self.dir, "w.png")))

    def test_scan_rows_agree_with_the_reference(self):
        w, h = 320, 200
        r = self.run_tessaline("--scan", "0.5:2.5:5", "--size", "%dx%d" % (w, h), "--csv", "scan.csv")
        self.assertEqual(r.returncode, 0, r.stderr)
        with open(os.path.join(self.dir, "scan.csv")) as f:
            lines = [l for l in f.read().splitlines() if not l.startswith("#")]
        self.assertEqual(lines[0], "d,measured_area,continuum_area,ratio,tune_degrees,measured_half_height,"
                                   "continuum_half_height")
        self.assertEqual(len(lines), 6)
        pixel_area = 2 * np.pi * 6 / (w * h)
        x, xp, _, _ = separatrix_curve(float(PHASE))
        continuum = 2 * abs(np.sum((xp[1:] + xp[:-1]) / 2 * np.diff(x)))  # both branches, trapezoids
        for line, d in zip(lines[1:], (0.5, 1.0, 1.5, 2.0, 2.5)):
            fields = line.split(",")
            self.assertEqual(float(fields[0]), d)
            black = (map_passes(d, PHASE, 100, w, h) > 100).sum()
            self.assertAlmostEqual(float(fields[1]), black * pixel_area, delta=0.005 * w * h * pixel_area)
            self.assertAlmostEqual(float(fields[2]), continuum, delta=1e-6)
            self.assertAlmostEqual(float(fields[3]), float(fields[1]) / float(fields[2]), places=12)
            self.assertAlmostEqual(float(fields[4]), tune_degrees(d, float(PHASE)), places=9)

    def test_help_lists_the_keys_as_the_readme_does(self):
        r = self.run_tessaline("--help")
        self.assertEqual(r.returncode, 0, r.stderr)
        keys = r.stdout.split("Keys of the viewer:\n", 1)[1].split("\n\n", 1)[0].splitlines()
        self.assertGreaterEqual(len(keys), 2)
        with open(os.path.join(ROOT, "README.md")) as f:
            readme = f.read()
        for line in keys:
            key, action = line.strip().split("  ", 1)
            self.assertIn("| %s | %s |" % (key, action.strip()), readme)


if __name__ == "__main__":
    unittest.main()
