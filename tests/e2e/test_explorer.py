"""The viewer as a tool to explore with: keys, wheel and drag change the picture
as the CPU reference says they should, the keys' settings reach config.txt, and
a huge cell count leaves the window answering."""
import os
import time
import unittest

import numpy as np

from harness import (SCREEN_H as H, SCREEN_W as W, SLOW, STATUS_ROWS, E2ETest, alt_tab, close_window,
                     d_for_pointer, grab_screen, hold_key, xdotool)

TWO_PI = 2 * np.pi
FULL = (0.0, TWO_PI, -3.0, 3.0)
LINE_H = 13  # the embedded font's line height


def zoomed(view, factor, px, py):
    """The view magnified about the phase-space point under the centre of pixel (px, py)."""
    x0, x1, p0, p1 = view
    x = x0 + (x1 - x0) * (px + 0.5) / W
    p = p0 + (p1 - p0) * (py + 0.5) / H
    return (x - (x - x0) / factor, x + (x1 - x) / factor, p - (p - p0) / factor, p + (p1 - p) / factor)


def panned(view, dx, dy):
    """The view after the picture was dragged by (dx, dy) pixels."""
    x0, x1, p0, p1 = view
    ux, uy = dx * (x1 - x0) / W, dy * (p1 - p0) / H
    return (x0 - ux, x1 - ux, p0 - uy, p1 - uy)


class ExplorerTest(E2ETest):
    RELEASE_KEYS = E2ETest.RELEASE_KEYS + ("Right", "Up", "space")

    def config_lines(self):
        with open(os.path.join(self.dir, "config.txt")) as f:
            return f.read().splitlines()

    def end_with(self, action):
        action()
        self.assertEqual(self.viewer.wait(20), 0)

    def test_phase_and_cells_keys_change_the_map_and_are_saved(self):
        self.start(pointer_x=384)  # d = 1
        self.key("shift+Right", "shift+Right")
        self.assert_map(384, phase_degrees=-10, bottom_rows=STATUS_ROWS)
        self.key("Up")
        self.assert_map(384, phase_degrees=-10, maxit=200, bottom_rows=STATUS_ROWS)
        # With the preview on, the pointer's new step still ends in the full map.
        self.key("f")
        xdotool("mousemove", 500, 300)
        self.assert_map(500, phase_degrees=-10, maxit=200, bottom_rows=STATUS_ROWS)
        self.end_with(lambda: hold_key("Escape"))
        self.assertEqual(self.config_lines(), ["Accelerating phase (degrees): -10", "Max cells to track: 200"])
        self.assertFalse(os.path.exists(os.path.join(self.dir, "graphics_error.log")))

    def test_wheel_zooms_drag_pans_home_restores_space_locks(self):
        px, py = 600, 700
        self.start(pointer_x=px)
        xdotool("mousemove", px, py)
        time.sleep(0.5 * SLOW)
        for _ in range(2):
            xdotool("click", 4)  # away from the user: in
            time.sleep(0.3 * SLOW)
        view = zoomed(FULL, 1.25 ** 2, px, py)
        self.assert_map(px, view=view, bottom_rows=STATUS_ROWS)
        self.key("space")  # d stays where the pointer put it
        xdotool("mousedown", 3)
        for x, y in ((650, 675), (700, 650), (800, 600)):
            xdotool("mousemove", x, y)
            time.sleep(0.2 * SLOW)
        xdotool("mouseup", 3)
        view = panned(view, 800 - px, 600 - py)
        self.assert_map(px, view=view, bottom_rows=STATUS_ROWS)
        self.key("Home")
        self.assert_map(px, bottom_rows=STATUS_ROWS)
        # Locked: the pointer far to the right changes nothing.
        xdotool("mousemove", 1700, 300)
        time.sleep(1.0 * SLOW)
        self.assert_map(px, bottom_rows=STATUS_ROWS, timeout=2.0)
        self.key("space")
        xdotool("mousemove", 1500, 300)
        self.assert_map(1500, bottom_rows=STATUS_ROWS)
        self.end_with(lambda: close_window("Tessaline"))
        # Only the view changed: the file is as the start wrote it.
        self.assertEqual(self.config_lines(), ["Accelerating phase (degrees): -30", "Max cells to track: 100"])

    def test_huge_cell_count_warns_and_a_tapped_q_still_ends_it(self):
        px = 100
        self.start(pointer_x=px, config="Max cells to track: 100000000\n")
        time.sleep(2.0 * SLOW)
        status = ("d %.6g   phase -30 deg   cells 100000000   x 0 .. 6.28319   xp -3 .. 3   zoom 1x   "
                  "over 100000 cells: frames will be slow   counted to 16777215 cells at most" % d_for_pointer(px))
        self.assert_text_at(grab_screen(), 6, H - LINE_H - 2, status, right=W)
        t0 = time.time()
        self.end_with(lambda: xdotool("key", "q"))
        self.assertLess(time.time() - t0, 3.0 + (4.0 if SLOW > 1 else 0.0), "took too long to end")
        self.assertEqual(self.config_lines(), ["Max cells to track: 100000000", "Accelerating phase (degrees): -30"])

    def test_keys_while_minimised_do_nothing(self):
        self.start(pointer_x=500)
        alt_tab()
        self.key("Up", "Up", "shift+Left", "Home", "space", "f")
        xdotool("click", 4)
        time.sleep(1.0 * SLOW)
        self.assertIsNone(self.viewer.proc.poll(), "the viewer ended while minimised")
        close_window("Tessaline", visible=False)
        self.assertEqual(self.viewer.wait(10), 0)
        self.assertEqual(self.config_lines(), ["Accelerating phase (degrees): -30", "Max cells to track: 100"])
        self.assertFalse(os.path.exists(os.path.join(self.dir, "graphics_error.log")))


if __name__ == "__main__":
    unittest.main()
