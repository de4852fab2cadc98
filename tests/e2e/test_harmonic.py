"""A second RF harmonic end to end: --render's map against the NumPy map with
the second cavity's term, its PNG chunks and yellow separatrix, --scan's
measured and continuum areas against the bucket solved here from its
definition, and the options' bad values."""
import os
import unittest

import numpy as np

from harness import (DEG, STATUS_ROWS, E2ETest, agreement, coloured, harmonic_theory, map_reference, near,
                     separatrix_mask, texts_of)

W, H = 320, 200
F = np.float32


def harmonic_args(second):
    r, number, psi = second
    return ["--ratio", str(r), "--harmonic", str(number), "--harmonic-phase", str(psi)]


def tracked_tune(d, phase, second, x_s, cells=20000):
    """Degrees per cell of a start 1e-4 beside x_s tracked in double: half the
    sign changes of its offset, per cell."""
    r, number, psi = second
    s, x, xp, changes = np.sin(np.pi / 2 + phase), x_s + 1e-4, 0.0, 0
    for _ in range(cells):
        xp += d * (np.sin(x) + r * np.sin(number * x + psi * DEG) - s)
        after = x + d * xp
        changes += (after > x_s) != (x > x_s)
        x = after
    return 180.0 * changes / cells


class HarmonicTest(E2ETest):
    def test_map_png_and_separatrix_against_numpy(self):
        # A single bucket, a double well under one separatrix, four buckets.
        for degrees, second, d in ((-60, (0.5, 2, 180), 1.0), (-30, (0.5, 2, 180), 0.5), (-20, (1.0, 4, 90), 0.7)):
            args = ["--phase", str(degrees), "--d", str(d)] + harmonic_args(second)
            picture = self.render("h.png", *args, w=W, h=H)
            self.assertGreaterEqual(agreement(picture, map_reference(d, degrees, 100, W, H, second=second), 0), 0.99)
            texts = texts_of(os.path.join(self.dir, "h.png"))
            self.assertEqual((texts["harmonic"], float(texts["ratio"]), float(texts["harmonic phase"])),
                             (str(second[1]), second[0], second[2]))
            drawn = coloured(self.render("s.png", "--separatrix", *args, w=W, h=H), 0xFFFF00)
            x, xp, _ = harmonic_theory(float(F(degrees * DEG)), second)
            inside = xp > 0
            curve = separatrix_mask(0, W, H, curve=(x[inside], xp[inside]))
            # The fixed points' circles and crosses sit on xp = 0.
            marks = np.broadcast_to(np.abs(np.arange(H)[:, None] - H // 2) <= 5, curve.shape)
            self.assertGreater(curve.sum(), 100, degrees)
            self.assertEqual((drawn & ~near(curve) & ~marks).sum(), 0, degrees)
            self.assertLessEqual((curve & ~drawn & ~marks).sum(), 0.01 * curve.sum(), degrees)
        # Ratio 0 is the single-RF program: the very same pixels, and no harmonic chunks.
        plain = self.render("p.png", "--phase", "-60", w=W, h=H)
        self.assertTrue((self.render("z.png", "--phase", "-60", "--ratio", "0", "--harmonic", "3", w=W, h=H) == plain).all())
        self.assertNotIn("harmonic", texts_of(os.path.join(self.dir, "z.png")))

    def test_measured_area_within_a_percent_of_the_continuum(self):
        # d = 0.25, 1000 cells, 1000 x 1000 pixels: the table in the README.
        for degrees, second in ((-60, (0.5, 2, 180)), (-30, (0.5, 2, 180)), (-60, (0.3, 3, 0)),
                                (-90, (0.5, 2, 0)), (-45, (1.0, 4, 90))):
            r = self.run_tessaline("--scan", "0.25:0.25:1", "--cells", "1000", "--size", "1000x1000", "--phase",
                                   str(degrees), "--csv", "a.csv", *harmonic_args(second))
            self.assertEqual(r.returncode, 0, r.stderr)
            with open(os.path.join(self.dir, "a.csv")) as f:
                lines = f.read().splitlines()
            comments = [line for line in lines if line.startswith("#")]
            for line in ("# harmonic %d" % second[1], "# ratio %g" % second[0], "# harmonic phase %g" % second[2]):
                self.assertIn(line, comments)
            row = dict(zip(lines[len(comments)].split(","), lines[len(comments) + 1].split(",")))
            measured, continuum = float(row["measured_area"]), float(row["continuum_area"])
            tune = float(row["tune_degrees"] or "nan")  # empty where there is none
            phase = float(F(degrees * DEG))
            x, xp, expected = harmonic_theory(phase, second)
            self.assertAlmostEqual(continuum / expected, 1, delta=1e-5, msg=degrees)
            self.assertAlmostEqual(measured / expected, 1, delta=0.01, msg=degrees)
            # The small-amplitude tune at the deepest point, but none for a flat bottom.
            flat = second == (0.5, 2, 0) and degrees == -90
            self.assertEqual(np.isnan(tune), flat, degrees)
            if not flat:
                self.assertAlmostEqual(tune, tracked_tune(0.25, phase, second, x[np.argmax(xp)]), delta=0.05)

    def test_viewer_takes_it_from_config_and_keys_and_saves_it(self):
        config = ("Accelerating phase (degrees): -60\nMax cells to track: 100\n"
                  "Second harmonic voltage ratio: 0.5\nSecond harmonic number: 2\n"
                  "Second harmonic phase (degrees): 180\n")
        self.start(pointer_x=192, config=config)
        self.assert_map(192, -60, second=(0.5, 2, 180))
        self.key("n", "shift+j")
        self.assert_map(192, -60, second=(0.5, 3, 170), bottom_rows=STATUS_ROWS)
        self.key("Escape")
        self.assertEqual(self.viewer.wait(10), 0)
        with open(os.path.join(self.dir, "config.txt")) as f:
            self.assertEqual(f.read(), config.replace("number: 2", "number: 3").replace("180", "170"))

    def test_bad_values_exit_2_naming_the_option(self):
        for option, value in (("--harmonic", "2.5"), ("--harmonic", "9"), ("--harmonic", "1"), ("--ratio", "-0.1"),
                              ("--ratio", "nan"), ("--ratio", "2.5"), ("--harmonic-phase", "inf")):
            r = self.run_tessaline("--render", "x.png", option, value)
            self.assertEqual(r.returncode, 2, option)
            self.assertRegex(r.stderr, r"^tessaline: %s %s: [^\n]+\n$" % (option, value))
        self.assertEqual(os.listdir(self.dir), [])


if __name__ == "__main__":
    unittest.main()
