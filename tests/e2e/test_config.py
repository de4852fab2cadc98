"""The viewer's "config.txt" end to end: the file a first run leaves behind, and
a user's settings changing the picture and surviving the rewrite."""
import os
import unittest

from harness import WINE, E2ETest, agreement, close_window, grab_screen, map_reference

EOL = b"\r\n" if WINE else b"\n"
DEFAULT_LINES = [b"Accelerating phase (degrees): -30", b"Max cells to track: 100"]


class ConfigTest(E2ETest):
    def config_bytes(self):
        with open(os.path.join(self.dir, "config.txt"), "rb") as f:
            return f.read()

    def end_viewer(self):
        close_window("Tessaline")
        self.assertEqual(self.viewer.wait(10), 0)
        self.viewer.stop()
        self.tracked.remove(self.viewer)
        self.viewer = None

    def test_first_run_writes_both_defaults(self):
        self.start()
        self.end_viewer()
        self.assertEqual(self.config_bytes(), EOL.join(DEFAULT_LINES) + EOL)
        # A second run finds its own file and writes it back unchanged.
        self.start()
        self.end_viewer()
        self.assertEqual(self.config_bytes(), EOL.join(DEFAULT_LINES) + EOL)

    def test_user_settings_change_the_picture_and_survive(self):
        x = 384  # d = 1
        self.start(x, "Max cells: 3\nAccelerating phase (degrees):45\nno separator here\n")
        self.assert_map(x, 45, 3)
        # The settings really took: the default map is not what is shown.
        default = map_reference(1.0, -30, 100)
        self.assertLess(agreement(grab_screen(), default), 0.9)
        self.end_viewer()
        self.assertEqual(self.config_bytes(),
                         EOL.join([b"Max cells: 3", b"Accelerating phase (degrees): 45", b"Max cells to track: 100"])
                         + EOL)


if __name__ == "__main__":
    unittest.main()
