"""Physics over the map: the yellow separatrix against the continuum curve
solved here in NumPy, the bucket's edge beside it at small d, and in the live
window the S key, orbits clicked on black and coloured pixels against float
tracking done here, C, the G plot and the P key's picture."""
import os
import subprocess
import time
import unittest

import numpy as np
from PIL import Image

from harness import (DEG, OVERLAY_ROWS, SCREEN_H as H, SCREEN_W as W, SLOW, STATUS_ROWS, WINE, E2ETest, agreement,
                     command, d_for_pointer, grab_screen, map_colours, map_passes, near, separatrix_curve,
                     separatrix_mask, texts_of, wait_until, xdotool)

FULL = (0.0, 2 * np.pi, -3.0, 3.0)
MARK = 5  # pixels around a fixed point's centre that its circle or cross may cover
F = np.float32


def yellow_of(picture):
    return np.all(picture == (255, 255, 0), axis=-1)


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
        yellow = yellow_of(picture)
        self.assertGreater(expected.sum(), 200)
        stray = yellow & ~near(expected) & ~marks
        self.assertEqual(stray.sum(), 0, "yellow off the curve at (row, col) %s" % np.argwhere(stray)[:5].tolist())
        missed = expected & ~yellow & ~marks
        self.assertLessEqual(missed.sum(), 0.01 * expected.sum(), np.argwhere(missed)[:5].tolist())
        return expected, marks

    def test_rendered_separatrix_and_the_small_d_bucket_edge(self):
        e = dict(os.environ)
        if not WINE:
            e.pop("DISPLAY", None)  # no display needed
        for degrees, view in ((-30, FULL), (-60, (1.0, 3.0, -1.5, 0.5))):
            r = subprocess.run(command("tessaline", "--render", "s.png", "--separatrix", "--phase", str(degrees),
                                       "--d", "0.1", "--cells", "1000", "--size", "1280x800", "--view",
                                       ",".join(map(str, view))), cwd=self.dir, env=e, capture_output=True,
                               text=True, timeout=120 * SLOW)
            self.assertEqual((r.returncode, r.stderr), (0, ""))
            picture = np.asarray(Image.open(os.path.join(self.dir, "s.png")).convert("RGB"))
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
        d = d_for_pointer(px)
        phase = float(F(-30 * DEG))
        passes = map_passes(d, phase, 100)
        reference = map_colours(passes, 100)
        self.start(pointer_x=px)
        self.key("space", "s")
        shown = self.screen_when(lambda p: yellow_of(p).sum() > 200)
        self.assert_map_curve(shown, phase)
        self.assertGreaterEqual(agreement(shown, reference, bottom_rows=STATUS_ROWS), 0.99)

        # A click inside the bucket: its points stay on black.
        x, xp, x_s, _ = separatrix_curve(phase)
        inside = pixel_of(x_s, -0.5 * xp.max(), W, H)
        self.assertTrue((passes[inside[0] - 3:inside[0] + 4, inside[1] - 3:inside[1] + 4] > 100).all())
        self.click(inside)
        red = wait_until(lambda: self.colour_pixels(0xFF0000), 10)
        self.assertGreater(len(red), 30)
        black = near(passes > 100)
        self.assertTrue(all(black[r, c] for r, c in red), "an orbit from a black pixel left the bucket")

        # A click on a pixel that says 8 to 30 cells: its points are those tracked here.
        rows, cols = np.nonzero((passes >= 8) & (passes <= 30))
        keep = (rows > OVERLAY_ROWS + 20) & (rows < H - STATUS_ROWS - 20) & (cols > 20) & (cols < W - 20)
        start = (rows[keep][len(rows[keep]) // 2], cols[keep][len(rows[keep]) // 2])
        points = self.tracked_points(start, d, phase, int(passes[start]))
        self.click(start)
        green = wait_until(lambda: self.colour_pixels(0x00FF00), 10)
        expected = np.zeros((H, W), bool)
        for r, c in points:
            expected[r, c] = True
        drawn = np.zeros((H, W), bool)
        drawn[tuple(np.array(green).T)] = True
        self.assertTrue((drawn <= near(expected)).all(), "points where the tracking has none")
        visible = expected.copy()
        visible[:OVERLAY_ROWS], visible[H - STATUS_ROWS:] = False, False
        self.assertTrue((visible <= near(drawn)).all(), "tracked points not drawn")

        self.key("c")
        self.assertTrue(wait_until(lambda: not self.colour_pixels(0xFF0000) and not self.colour_pixels(0x00FF00), 10))

        # G: the plot in the bottom-right corner gains the point measured at
        # this d (orange; below the legend's row, only points are).
        self.key("g")
        points_area = (slice(H - 220, H - STATUS_ROWS), slice(W - 400, W))
        self.assertTrue(wait_until(lambda: self.colour_pixels(0xFF8040, points_area), 20), "no measured point")

        # P: the window as it stands, the plot's corner aside.
        self.key("p")
        path = os.path.join(self.dir, "tessaline-0001.png")
        self.assertTrue(wait_until(lambda: os.path.exists(path), 10), "no picture saved")
        saved = np.asarray(Image.open(path).convert("RGB")).copy()
        self.assertEqual(saved.shape, (H, W, 3))
        plot = (slice(H - 300, H), slice(W - 400, W))
        saved[plot] = reference[plot]
        self.assert_map_curve(saved, phase)
        map_part = np.where(yellow_of(saved)[..., None], reference, saved)
        self.assertGreaterEqual(agreement(map_part, reference, bottom_rows=STATUS_ROWS), 0.99)
        texts = texts_of(path)
        self.assertEqual((texts["phase"], texts["cells"], texts["view"], float(texts["d"])),
                         ("-30", "100", "0,6.283185307179586,-3,3", d))

    def assert_map_curve(self, picture, phase):
        """assert_curve for a full window, the overlay's and the status line's rows left out."""
        rows = slice(OVERLAY_ROWS, H - STATUS_ROWS)
        self.assert_curve(picture[rows], phase, (0, 2 * np.pi, -3 + 6.0 * OVERLAY_ROWS / H, 3 - 6.0 * STATUS_ROWS / H))

    def screen_when(self, predicate, timeout=10.0):
        """The screen once predicate(picture) holds, else the last grab."""
        grabs = []
        wait_until(lambda: predicate(grabs.append(grab_screen()) or grabs[-1]), timeout)
        return grabs[-1]

    def click(self, pixel):
        xdotool("mousemove", pixel[1], pixel[0])
        time.sleep(0.3 * SLOW)
        xdotool("click", 1)

    def colour_pixels(self, colour, region=(slice(None), slice(None))):
        """(row, col) of the screen's pixels in that colour, within region."""
        part = grab_screen()[region]
        rows, cols = np.nonzero(np.all(part == ((colour >> 16) & 255, (colour >> 8) & 255, colour & 255), axis=-1))
        return list(zip(rows + (region[0].start or 0), cols + (region[1].start or 0)))

    def tracked_points(self, pixel, d, phase, passes):
        """Pixels of the points of the start at that pixel's centre, tracked in float32
        as the program does for `passes` cells, those still in the map."""
        pi, d = F(3.14159265358979323846264), F(d)
        x = F(F((pixel[1] + 0.5) / W) * pi * F(2))
        xp = F(F((pixel[0] + 0.5) / H) * F(6) - F(3))
        ssp = np.sin(F(0.5) * pi + F(phase), dtype=F)
        out = [pixel_of(x, xp, W, H)]
        for _ in range(passes):
            xp = F(xp + d * (np.sin(x, dtype=F) - ssp))
            x = F(x + d * xp)
            if 0 <= x <= 2 * pi:
                out.append(pixel_of(x, xp, W, H))
        self.assertFalse(0 <= x <= 2 * pi, "the tracking here did not leave after the colour's cells")
        return [(r, c) for r, c in out if 0 <= r < H and 0 <= c < W]


if __name__ == "__main__":
    unittest.main()
