"""The map at the edges of what the command line accepts, against the NumPy
reference of the program: cell counts past the driver's loop limit, views
wider than the map, pictures one pixel high, phases of any size, config.txt's
values, and the bucket's figures where the centre is unstable."""
import os
import unittest

import numpy as np

from harness import E2ETest, agreement, map_passes, map_reference

DEG = 0.017453292519943295


class EdgesTest(E2ETest):
    def test_cell_counts_past_the_drivers_loop_limit(self):
        """llvmpipe stops a fragment's loops after 65535 passes: the survivors
        must still be black, and --scan must count them."""
        w, h = 64, 40
        pixel_area = 2 * np.pi * 6 / (w * h)
        for cells in (65534, 65535, 100000):
            picture = self.render("many.png", "--phase", "-60", "--d", "0.5", "--cells", str(cells), w=w, h=h)
            passes = map_passes(0.5, np.float32(-60 * DEG), cells, w, h)
            expected = map_reference(0.5, -60, cells, w, h)
            self.assertGreaterEqual(agreement(picture, expected, 0), 0.99, cells)
            black = (passes > cells).sum()
            self.assertGreater(black, w * h // 20, cells)
            r = self.run_tessaline("--scan", "0.5:0.5:1", "--phase", "-60", "--cells", str(cells), "--size",
                                   "%dx%d" % (w, h), "--csv", "scan.csv")
            self.assertEqual(r.returncode, 0, r.stderr)
            with open(os.path.join(self.dir, "scan.csv")) as f:
                row = [l for l in f.read().splitlines() if l and not l.startswith("#")][1].split(",")
            self.assertAlmostEqual(float(row[1]), black * pixel_area, delta=0.01 * black * pixel_area, msg=cells)


if __name__ == "__main__":
    unittest.main()
