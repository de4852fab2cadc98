"""The viewer's "config.txt" end to end: the file a first run leaves behind, and
a user's settings changing the picture and surviving the rewrite."""
import os
import time
import unittest

import numpy as np

from harness import (DEG, SLOW, WINE, E2ETest, Viewer, agreement, close_window, d_for_pointer, grab_screen,
                     map_colours, map_passes, xdotool)

EOL = b"\r\n" if WINE else b"\n"
DEFAULT_LINES = [b"Accelerating phase (degrees): -30", b"Max cells to track: 100"]


class ConfigTest(E2ETest):
    def config_bytes(self):
        with open(os.path.join(self.dir, "config.txt"), "rb") as f:
            return f.read()

    def run_viewer(self, config=None, pointer_x=None):
        if pointer_x is not None:
            xdotool("mousemove", pointer_x + 1, 300)
        self.viewer = self.track(Viewer(self.dir, config))
        self.viewer.wait_window()
        if pointer_x is not None:
            xdotool("mousemove", pointer_x, 300)
            time.sleep(1.5 * SLOW)

    def end_viewer(self):
        close_window("Tessaline")
        self.assertEqual(self.viewer.wait(10 * SLOW), 0)
        self.viewer.stop()
        self.tracked.remove(self.viewer)
        self.viewer = None

    def picture_for(self, pointer_x, phase_degrees, maxit, timeout=20.0):
        """Waits until the screen shows the map for these settings; returns the share that agrees."""
        d = d_for_pointer(pointer_x)
        expected = map_colours(map_passes(d, np.float32(phase_degrees * DEG), maxit), maxit)
        end = time.time() + timeout * SLOW
        while True:
            share = agreement(grab_screen(), expected)
            if share >= 0.99 or time.time() > end:
                return share
            time.sleep(0.5)

    def test_first_run_writes_both_defaults(self):
        self.run_viewer()
        self.end_viewer()
        self.assertEqual(self.config_bytes(), EOL.join(DEFAULT_LINES) + EOL)
        # A second run finds its own file and writes it back unchanged.
        self.run_viewer()
        self.end_viewer()
        self.assertEqual(self.config_bytes(), EOL.join(DEFAULT_LINES) + EOL)

    def test_user_settings_change_the_picture_and_survive(self):
        x = 384  # d = 1
        self.run_viewer("Max cells: 3\nAccelerating phase (degrees):45\nno separator here\n", pointer_x=x)
        self.assertGreaterEqual(self.picture_for(x, 45, 3), 0.99)
        # The settings really took: the default map is not what is shown.
        default = map_colours(map_passes(1.0, np.float32(-30 * DEG), 100), 100)
        self.assertLess(agreement(grab_screen(), default), 0.9)
        self.end_viewer()
        self.assertEqual(self.config_bytes(),
                         EOL.join([b"Max cells: 3", b"Accelerating phase (degrees): 45", b"Max cells to track: 100"])
                         + EOL)


if __name__ == "__main__":
    unittest.main()
