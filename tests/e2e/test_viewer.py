"""The viewer itself: its picture against a CPU reference of the map, and the
ways it ends, with the real pointer and keyboard."""
import os
import time
import unittest

import numpy as np

from harness import (DEG, OVERLAY_ROWS, SCREEN_W as W, SLOW, WINE, E2ETest, Viewer, alt_tab, close_window,
                     d_for_pointer, dismiss_message_box, grab_screen, map_reference, tune_text, wait_until, xdotool)


class ViewerTest(E2ETest):
    def test_picture_matches_the_reference(self):
        # The pointer's d on the real screen; the map over a range of d is
        # checked without a display through --render (test_render).
        self.start(pointer_x=384)  # d = 1
        self.assert_map(384)

    def test_overlay_texts_stand_in_their_places(self):
        x = 700
        self.start(pointer_x=x)
        d = d_for_pointer(x)
        phase = float(np.float32(-30 * DEG))
        picture = self.assert_map(x)
        background = map_reference(d, -30, 100)
        h = 13
        self.assert_text_at(picture, 0, 2 * h, tune_text(d, phase), background)
        self.assert_text_at(picture, 0, 0, "No information log", background)
        self.assert_text_at(picture, W // 2, 0, "No information log", background)
        fps = picture[2 * h:3 * h, W // 2:W // 2 + 60]
        self.assertTrue((fps >= 240).all(axis=-1).any(), "no frame rate text")

    def test_left_edge_is_black(self):
        self.start(pointer_x=0)
        # The first frames are for the pointer's first spot, one pixel in.
        self.assertTrue(wait_until(lambda: grab_screen()[OVERLAY_ROWS:].max() == 0, 20), "the map did not turn black")
        time.sleep(0.5 * SLOW)  # that grab may have met a swap half done: the text rows in the next one
        picture = grab_screen()
        self.assert_text_at(picture, 0, 26, "Synchrotron tune per cell = 0 degrees", np.zeros_like(picture))

    def test_first_frame_uses_the_pointer_under_the_new_window(self):
        # No pointer motion at all: the window is told where the pointer is as it appears.
        xdotool("mousemove", 1500, 700)
        self.start()
        self.assert_map(1500)

    def assert_ends_quickly(self, start_action, end_action=None):
        # Near the right edge most points leave at once, so frames are short and
        # the pump comes round quickly even on a loaded machine.
        self.start(pointer_x=1900)
        start_action()
        t0 = time.time()
        try:
            code = self.viewer.wait(10)
        finally:
            if end_action:
                end_action()
        self.assertEqual(code, 0)
        self.assertLess(time.time() - t0, 1.0 + (3.0 if WINE else 0.0), "took too long to end")

    def test_escape_held_ends_it(self):
        self.assert_ends_quickly(lambda: xdotool("keydown", "Escape"), lambda: xdotool("keyup", "Escape"))

    def test_q_held_ends_it(self):
        self.assert_ends_quickly(lambda: xdotool("keydown", "q"), lambda: xdotool("keyup", "q"))

    def test_closing_the_window_ends_it(self):
        self.assert_ends_quickly(lambda: close_window("Tessaline"))

    def test_minimised_window_keeps_running(self):
        self.start(pointer_x=500)
        alt_tab()
        self.assertIsNone(self.viewer.proc.poll(), "the viewer ended while minimised")
        self.assertFalse(os.path.exists(os.path.join(self.dir, "graphics_error.log")))
        close_window("Tessaline", visible=False)
        self.assertEqual(self.viewer.wait(10), 0)

    def test_old_driver_is_refused(self):
        self.viewer = self.track(Viewer(self.dir, env={"MESA_GL_VERSION_OVERRIDE": "1.5"}))
        self.assertTrue(dismiss_message_box(), "no message box")
        self.assertEqual(self.viewer.wait(20), 1)
        with open(os.path.join(self.dir, "graphics_error.log")) as f:
            self.assertIn("OpenGL version 2.0 or higher required for shaders; you have version 1.5", f.read())


if __name__ == "__main__":
    unittest.main()
