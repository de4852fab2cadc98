"""The map at the edges of what the command line accepts, against the NumPy
reference of the program: cell counts past the driver's loop limit, views
wider than the map, pictures one pixel high, phases of any size, config.txt's
values, and the bucket's figures where the centre is unstable."""
import math
import os
import re
import unittest

import numpy as np

from harness import (DEG, MAP_OUTSIDE, WINE, E2ETest, agreement, map_passes, map_reference, project_version,
                     separatrix_curve, texts_of, tune_degrees)


class EdgesTest(E2ETest):
    def scan_rows(self, *args):
        """--scan's table on standard output: the # lines, the header, and the rows as dicts."""
        r = self.run_tessaline("--scan", *args, "--csv", "-")
        self.assertEqual(r.returncode, 0, r.stderr)
        lines = r.stdout.splitlines()
        table = [l.split(",") for l in lines if not l.startswith("#")]
        return [l for l in lines if l.startswith("#")], table[0], [dict(zip(table[0], row)) for row in table[1:]]

    def test_cell_counts_past_the_drivers_loop_limit(self):
        """llvmpipe stops a fragment's loops after 65535 passes: survivors stay black, and are counted."""
        w, h, pixel_area = 64, 40, 2 * np.pi * 6 / (64 * 40)
        for cells in (65534, 65535, 100000):
            picture = self.render("many.png", "--phase", "-60", "--d", "0.5", "--cells", str(cells), w=w, h=h)
            self.assertGreaterEqual(agreement(picture, map_reference(0.5, -60, cells, w, h), 0), 0.99, cells)
            black = (map_passes(0.5, np.float32(-60 * DEG), cells, w, h) > cells).sum()
            self.assertGreater(black, w * h // 20, cells)
            row = self.scan_rows("0.5:0.5:1", "--phase", "-60", "--cells", str(cells), "--size", "%dx%d" % (w, h))[2][0]
            self.assertAlmostEqual(float(row["measured_area"]), black * pixel_area, delta=0.01 * black * pixel_area)

    def test_views_wider_than_the_map_show_starts_outside_it_in_grey(self):
        w, h = 320, 200
        for view in ((-1.0, 7.5, -4.0, 4.0), (-3.0, -1.0, -1.0, 1.0), (6.0, 9.0, -1.0, 1.0), (-0.5, 3.0, -3.0, 3.0)):
            picture = self.render("wide.png", "--d", "1", "--view", ",".join(map(str, view)), w=w, h=h)
            self.assertGreaterEqual(agreement(picture, map_reference(1.0, -30, 100, w, h, view), 0), 0.99, view)
            # Columns whose whole pixel lies outside the map: grey, never black.
            left = (view[0] + (np.arange(w) + 1) * (view[1] - view[0]) / w) < 0
            right = (view[0] + np.arange(w) * (view[1] - view[0]) / w) > 2 * np.pi
            outside = picture[:, left | right]
            self.assertTrue(outside.size > 0 and (outside == MAP_OUTSIDE).all(), view)
        full = self.render("full.png", "--d", "1", w=w, h=h)  # no grey
        self.assertGreaterEqual(agreement(full, map_reference(1.0, -30, 100, w, h), 0), 0.99)

    def test_pictures_one_pixel_high(self):
        for w, h in ((100, 1), (2, 1), (1, 1), (1, 2)):
            self.render("marked.png", "--d", "1.5", "--separatrix", w=w, h=h)
            picture = self.render("thin.png", "--d", "1.5", w=w, h=h)
            self.assertGreaterEqual(agreement(picture, map_reference(1.5, -30, 100, w, h), 0), 0.99, (w, h))
            self.scan_rows("1:2:2", "--size", "%dx%d" % (w, h))

    def test_any_finite_phase_is_its_value_in_one_turn(self):
        def wrapped(degrees):
            r = math.fmod(degrees, 360.0)
            return r - 360 if r > 180 else r + 360 if r <= -180 else r
        w, h = 160, 100
        for typed in (390, 1e6, -1e6, 1e308, -180, 540, -30):
            picture = self.render("phase.png", "--phase", repr(typed), "--d", "1", w=w, h=h)
            self.assertGreaterEqual(agreement(picture, map_reference(1.0, wrapped(typed), 100, w, h), 0), 0.99, typed)
            self.assertEqual(float(texts_of(os.path.join(self.dir, "phase.png"))["phase"]), wrapped(typed))
        # No bucket at 0 and +-180 degrees: no continuum figures, no ratio, no tune.
        for degrees in (0, 180, -180, 540):
            notes, _, (row,) = self.scan_rows("1:1:1", "--phase", str(degrees), "--size", "64x40")
            self.assertEqual((row["continuum_area"], row["ratio"], row["continuum_half_height"]), ("", "", ""), degrees)
            self.assertEqual(float(row["tune_degrees"]), 0, degrees)
            self.assertTrue(any("no bucket" in n for n in notes), degrees)

    def test_islands_past_the_stability_limit_are_measured(self):
        """Past d^2 |sin phase| = 4 the centre is unstable, yet period-2 islands survive."""
        w, h = 256, 256
        pixel_area = 2 * np.pi * 6 / (w * h)
        for degrees, d in ((-90, 2.05), (-90, 2.1), (-80, 1.0)):
            phase = np.float32(degrees * DEG)
            notes, _, (row,) = self.scan_rows("%g:%g:1" % (d, d), "--phase", str(degrees), "--cells", "1000",
                                              "--size", "%dx%d" % (w, h))
            black = (map_passes(d, phase, 1000, w, h) > 1000).sum()
            limit = 2 / math.sqrt(abs(math.sin(degrees * DEG)))
            self.assertGreater(black, 20, (degrees, d))
            self.assertAlmostEqual(float(row["measured_area"]), black * pixel_area, delta=(0.02 * black + 2) * pixel_area)
            self.assertAlmostEqual(float(row["ratio"]), float(row["measured_area"]) / float(row["continuum_area"]))
            unstable = d > limit
            self.assertEqual(row["measured_half_height"] == "", unstable, (degrees, d))
            self.assertEqual(row["tune_degrees"] == "", unstable, (degrees, d))
            if not unstable:
                self.assertAlmostEqual(float(row["tune_degrees"]), tune_degrees(d, float(phase)), places=6)
            self.assertTrue(any("islands" in n and "%.6g" % limit in n for n in notes), notes)

    def test_config_values_are_held_to_the_options_limits(self):
        config = os.path.join(self.dir, "config.txt")
        phase, cells = "Accelerating phase (degrees)", "Max cells to track"
        for key, value in ((cells, "-7"), (cells, "1e9"), ("Max cells", "2000000"), (phase, "banana"), (phase, "nan")):
            option = "--phase" if key == phase else "--cells"
            with open(config, "w") as f:
                f.write("%s: %s\n" % (key, value))
            for args in (["--render", "x.png"], ["--scan", "1:2:2", "--csv", "x.csv"]):
                r = self.run_tessaline(*args, "--size", "32x20")
                self.assertRegex(r.stderr, r"^tessaline: config.txt: %s: [^\n]+\n$" % re.escape(key + ": " + value))
                self.assertEqual(r.returncode, 2, (key, value, args))
                self.assertEqual(os.listdir(self.dir), ["config.txt"])
            # With the option given, the file's value is neither used nor checked.
            self.scan_rows("1:1:1", option, "20" if option == "--cells" else "-45", "--size", "32x20")

    def test_scan_table_says_how_it_was_made_and_writes_through_links(self):
        w, h, degrees = 128, 96, -60
        phase = np.float32(degrees * DEG)
        notes, header, rows = self.scan_rows("0:1.6:3", "--phase", str(degrees), "--size", "%dx%d" % (w, h))
        for part in ("tessaline " + project_version(), "phase -60 degrees", "100 cells", "128x96 pixels",
                     "view 0,6.283185307179586,-3,3"):
            self.assertIn(part, " ".join(notes))
        self.assertEqual(header, ["d", "measured_area", "continuum_area", "ratio", "tune_degrees",
                                  "measured_half_height", "continuum_half_height"])
        self.assertEqual([f["d"] for f in rows], ["0", "0.8", "1.6"])  # d as typed
        x, xp, x_s, _ = separatrix_curve(float(phase))
        for f in rows:
            d = float(f["d"])
            passes = map_passes(d, phase, 100, w, h)
            self.assertAlmostEqual(float(f["measured_area"]), (passes > 100).sum() * 2 * np.pi * 6 / (w * h),
                                   delta=0.01 * 2 * np.pi * 6)
            self.assertAlmostEqual(float(f["continuum_half_height"]), xp.max(), places=4)
            if d == 0:  # nothing moves: no bucket, no ratio, no height through a centre
                self.assertEqual((f["ratio"], f["measured_half_height"]), ("", ""))
                continue
            column = passes[:, int(x_s / (2 * np.pi) * w)] > 100  # the black run through xp = 0
            run = np.diff(np.flatnonzero(np.concatenate(([True], ~column, [True]))))
            self.assertAlmostEqual(float(f["measured_half_height"]), (run.max() - 1) * 3 / h, delta=6 / h)
        # --csv - wrote nothing in the folder; a link is written through and stays a link.
        self.assertEqual(os.listdir(self.dir), [])
        if WINE:
            return
        with open(os.path.join(self.dir, "real.csv"), "w") as f:
            f.write("old")
        os.symlink("real.csv", os.path.join(self.dir, "link.csv"))
        r = self.run_tessaline("--scan", "0:1.6:3", "--phase", str(degrees), "--size", "%dx%d" % (w, h),
                               "--csv", "link.csv")
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertTrue(os.path.islink(os.path.join(self.dir, "link.csv")))
        with open(os.path.join(self.dir, "real.csv")) as f:
            self.assertEqual([l for l in f.read().splitlines() if not l.startswith("#")][1:],
                             [",".join(f[k] for k in header) for f in rows])
        # A scan long enough for the progress bar keeps it off a pipe.
        r = self.run_tessaline("--scan", "0.2:0.5:20", "--phase", "-80", "--cells", "1000", "--size", "640x400",
                               "--csv", "long.csv")
        self.assertEqual((r.returncode, r.stderr), (0, ""))


if __name__ == "__main__":
    unittest.main()
