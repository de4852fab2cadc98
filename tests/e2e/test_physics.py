"""Physics over the map: the yellow separatrix against the continuum curve
solved here in NumPy, the bucket's edge beside it at small d, and in the live
window the S key, orbits clicked on black and coloured pixels against float
tracking done here, C, the G plot and the P key's picture."""
import os
import time
import unittest

import numpy as np
from PIL import Image

from harness import (DEG, OVERLAY_ROWS, SCREEN_H as H, SCREEN_W as W, SLOW, STATUS_ROWS, E2ETest, agreement,
                     coloured, d_for_pointer, grab_screen, map_colours, map_passes, near, separatrix_curve, separatrix_mask,
                     texts_of, wait_until, xdotool)

FULL = (0.0, 2 * np.pi, -3.0, 3.0)
MARK = 5  # pixels around a fixed point's centre that its circle or cross may cover
F = np.float32


def pixel_of(x, xp, w, h, view=FULL):
    x0, x1, p0, p1 = view
    return int(np.floor((xp - p0) / (p1 - p0) * h)), int(np.floor((x - x0) / (x1 - x0) * w))


class PhysicsTest(E2ETest):
    def assert_curve(self, picture, phase, view=FULL):
        """Yellow exactly on the pixels the curve crosses, save the fixed points' marks."""
        h, w = picture.shape[:2]
        expected = separatrix_mask(phase, w, h, view)
        _, _, x_s, x_u = separatrix_curve(phase)
        marks = np.zeros_like(expected)
        for x in (x_s, x_u):
            r, c = pixel_of(x, 0, w, h, view)
            marks[max(r - MARK, 0):max(r + MARK + 1, 0), max(c - MARK, 0):max(c + MARK + 1, 0)] = True
        yellow = coloured(picture, 0xFFFF00)
        self.assertGreater(expected.sum(), 200)
        stray = yellow & ~near(expected) & ~marks
        self.assertEqual(stray.sum(), 0, "yellow off the curve at (row, col) %s" % np.argwhere(stray)[:5].tolist())
        missed = expected & ~yellow & ~marks
        self.assertLessEqual(missed.sum(), 0.01 * expected.sum(), np.argwhere(missed)[:5].tolist())
        return expected, marks

    def test_rendered_separatrix_and_the_small_d_bucket_edge(self):
        for degrees, view in ((-30, FULL), (-60, (1.0, 3.0, -1.5, 0.5))):
            picture = self.render("s.png", "--separatrix", "--phase", str(degrees), "--d", "0.1", "--cells", "1000",
                                  "--view", ",".join(map(str, view)))
            curve, marks = self.assert_curve(picture, float(F(degrees * DEG)), view)
            if view == FULL:
                # The edge of the black region, the curve drawn over it or not,
                # lies within a few pixels of the curve all round.
                black = np.all(picture == 0, axis=-1)
                edge = np.argwhere(black & near(~black) & ~near(marks))
                on_curve = np.argwhere(curve & ~marks)
                gaps = np.sqrt(((edge[:, None, :] - on_curve[None, :, :]) ** 2).sum(-1))
                self.assertLessEqual(gaps.min(axis=1).max(), 3.0)
                self.assertLessEqual(gaps.min(axis=0).max(), 3.0)

    def test_keys_and_clicks_in_the_window(self):
        px = 192  # d = 0.5
        d, phase = d_for_pointer(px), float(F(-30 * DEG))
        passes = map_passes(d, phase, 100)
        reference = map_colours(passes, 100)
        self.start(pointer_x=px)
        self.key("space", "s")
        shown = self.screen_until(lambda p: coloured(p, 0xFFFF00).sum() > 200, "no separatrix")
        rows = slice(OVERLAY_ROWS, H - STATUS_ROWS)
        self.assert_curve(shown[rows], phase, (0, 2 * np.pi, -3 + 6.0 * OVERLAY_ROWS / H, 3 - 6.0 * STATUS_ROWS / H))
        self.assertGreaterEqual(agreement(shown, reference, bottom_rows=STATUS_ROWS), 0.99)

        # A click inside the bucket: its points stay on black.
        _, xp, x_s, _ = separatrix_curve(phase)
        self.click(pixel_of(x_s, -0.5 * xp.max(), W, H))
        first = coloured(self.screen_until(lambda p: coloured(p, 0xE0E0E0).sum() > 30, "no orbit"), 0xE0E0E0)
        self.assertFalse((first & ~near(passes > 100)).any(), "an orbit from a black pixel left the bucket")

        # One on a pixel that says 8 to 30 cells: its points are those tracked here.
        ys, xs = np.nonzero((passes >= 8) & (passes <= 30))
        keep = (ys > OVERLAY_ROWS + 20) & (ys < H - STATUS_ROWS - 20) & (xs > 20) & (xs < W - 20)
        start = (ys[keep][keep.sum() // 2], xs[keep][keep.sum() // 2])
        expected = self.tracked_points(start, d, phase, int(passes[start]))
        self.click(start)
        green = coloured(self.screen_until(lambda p: coloured(p, 0x00FF00).any(), "no orbit"), 0x00FF00)
        self.assertFalse((green & ~near(expected)).any(), "points where the tracking has none")
        expected[:OVERLAY_ROWS], expected[H - STATUS_ROWS:] = False, False
        self.assertFalse((expected & ~near(green)).any(), "tracked points not drawn")

        self.key("c")
        self.screen_until(lambda p: not (coloured(p, 0xE0E0E0) | coloured(p, 0x00FF00)).any(), "orbits not cleared")
        # G: the plot in the bottom-right corner gains the point measured at
        # this d (orange; below the legend's row, only points are).
        self.key("g")
        self.screen_until(lambda p: coloured(p[H - 220:H - STATUS_ROWS, W - 400:], 0xFF8040).any(), "no point", 20)

        # P: the window as it stands; the map where no overlay is.
        self.key("p")
        path = os.path.join(self.dir, "tessaline-0001.png")
        self.assertTrue(wait_until(lambda: os.path.exists(path), 10), "no picture saved")
        saved = np.asarray(Image.open(path).convert("RGB")).copy()
        self.assertEqual(saved.shape, (H, W, 3))
        plot = (slice(H - 300, H), slice(W - 400, W))
        saved[plot] = reference[plot]
        self.assertTrue((coloured(saved, 0xFFFF00) == coloured(shown, 0xFFFF00))[rows].all())
        map_part = np.where(coloured(saved, 0xFFFF00)[..., None], reference, saved)
        self.assertGreaterEqual(agreement(map_part, reference, bottom_rows=STATUS_ROWS), 0.99)
        texts = texts_of(path)
        self.assertEqual((texts["phase"], texts["cells"], texts["view"], float(texts["d"])),
                         ("-30", "100", "0,6.283185307179586,-3,3", d))

    def screen_until(self, predicate, message, timeout=10.0):
        """The screen once predicate(picture) holds; a failure with message if it never does."""
        grabs = []
        self.assertTrue(wait_until(lambda: predicate(grabs.append(grab_screen()) or grabs[-1]), timeout), message)
        return grabs[-1]

    def click(self, pixel):
        xdotool("mousemove", pixel[1], pixel[0])
        time.sleep(0.3 * SLOW)
        xdotool("click", 1)

    def tracked_points(self, pixel, d, phase, passes):
        """Where the points of the start at that pixel's centre fall, tracked in float32
        as the program does for `passes` cells, while in the map."""
        pi, d = F(3.14159265358979323846264), F(d)
        x = F(F((pixel[1] + 0.5) / W) * pi * F(2))
        xp = F(F((pixel[0] + 0.5) / H) * F(6) - F(3))
        ssp = np.sin(F(0.5) * pi + F(phase), dtype=F)
        out = np.zeros((H, W), bool)
        out[pixel] = True
        for _ in range(passes):
            xp = F(xp + d * (np.sin(x, dtype=F) - ssp))
            x = F(x + d * xp)
            r, c = pixel_of(x, xp, W, H)
            if 0 <= x <= 2 * pi and 0 <= r < H:
                out[r, c] = True
        self.assertFalse(0 <= x <= 2 * pi, "the tracking here did not leave after the colour's cells")
        return out


if __name__ == "__main__":
    unittest.main()
