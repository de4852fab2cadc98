"""On a desktop with a window manager (Debian's openbox with its stock settings, on
a private Xvfb): Alt+Tab, activation, keyboard focus and the pointer as a Linux
user meets them. Linux build only: under Wine the manager would meet Wine's
windows, not the X11 backend's."""
import math
import os
import shutil
import subprocess
import tempfile
import unittest

from harness import (STATUS_ROWS, WINE, XVFB_ARGS, E2ETest, KeyboardGrab, Viewer, XServer, agreement, command, d_for_pointer,
                     find_window, keys_held, map_reference, wait_until, xdotool)


def xprop(*args):
    return subprocess.run(["xprop"] + list(args), capture_output=True, text=True, timeout=30).stdout


def wm_state(window):
    """The ICCCM state the window manager gives the window: "Normal", "Iconic" or None."""
    for state in ("Normal", "Iconic"):
        if "window state: " + state in xprop("-id", window, "WM_STATE"):
            return state
    return None


def root_windows(prop):
    """Window ids (as ints) in a root window property such as _NET_CLIENT_LIST."""
    out = xprop("-root", prop)
    return [int(w, 16) for w in out.split("#")[1].replace(" ", "").split(",")] if "#" in out else []


@unittest.skipIf(WINE, "the window manager suite is for the X11 backend")
class DesktopTest(E2ETest):
    @classmethod
    def setUpClass(cls):
        cls.server = XServer(["Xvfb", "{display}"] + XVFB_ARGS, "xvfb-desktop")
        cls.config = tempfile.mkdtemp(prefix="tess-openbox-")  # no user settings: the stock rc.xml
        cls.wm = subprocess.Popen(["openbox"], env=dict(os.environ, HOME=cls.config, XDG_CONFIG_HOME=cls.config),
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if not wait_until(lambda: "window id" in xprop("-root", "_NET_SUPPORTING_WM_CHECK"), 20):
            cls.tearDownClass()
            raise AssertionError("openbox did not start")

    @classmethod
    def tearDownClass(cls):
        cls.wm.terminate()
        cls.wm.wait()
        cls.server.stop()
        shutil.rmtree(cls.config, ignore_errors=True)

    def other_window(self, name):
        """A window of another program, which the manager focuses as it appears."""
        proc = self.track(subprocess.Popen(["xmessage", "-name", name, "-title", name, name],
                                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        window = find_window(name)
        self.assertIsNotNone(window, "no window " + name)
        self.assertTrue(wait_until(lambda: xdotool("getactivewindow", check=False) == window, 10))
        return proc

    def example_text(self):
        """The text example (examples/text) running, and its window once it has appeared."""
        program = self.track(subprocess.Popen(command("example_text"), cwd=self.dir, stdout=subprocess.DEVNULL,
                                              stderr=subprocess.DEVNULL))
        window = find_window("Tessaline text", 30)
        self.assertIsNotNone(window, "the example's window did not appear")
        return program, window

    def test_alt_tab_hides_the_viewer_and_activation_brings_it_back(self):
        self.other_window("other")
        xdotool("mousemove", 700, 300)  # and never moved: the first frame must know it anyway
        viewer = self.track(Viewer(self.dir))
        viewer.wait_window()
        window = find_window("Tessaline")
        self.assert_map(700)

        with keys_held("alt", "Tab"):
            self.assertTrue(wait_until(lambda: wm_state(window) == "Iconic", 10), "not iconic")
        # Listed by the manager, still iconic once Alt+Tab has moved on, and still running.
        self.assertIn(int(window), root_windows("_NET_CLIENT_LIST"))
        self.assertFalse(wait_until(lambda: wm_state(window) != "Iconic", 1.5), "the window came back by itself")
        self.assertIsNone(viewer.proc.poll())

        xdotool("windowactivate", window)
        self.assertTrue(wait_until(lambda: wm_state(window) == "Normal", 10), "not restored")
        geometry = xdotool("getwindowgeometry", window)
        self.assertIn("Position: 0,0", geometry)
        self.assertIn("Geometry: 1920x1080", geometry)
        self.assertTrue(wait_until(lambda: root_windows("_NET_CLIENT_LIST_STACKING")[-1:] == [int(window)], 5),
                        "not on top")
        self.assert_map(700)

        with keys_held("Escape"):
            self.assertEqual(viewer.wait(10), 0)

    def test_a_window_opened_later_is_seen_and_the_viewer_comes_back_with_its_keys(self):
        xdotool("mousemove", 700, 300)
        viewer = self.track(Viewer(self.dir, config="Accelerating phase (degrees): -30\nMax cells to track: 97\n"))
        viewer.wait_window()
        window = find_window("Tessaline")
        # Names that task bars and window rules go by.
        self.assertIn('"tessaline", "Tessaline"', xprop("-id", window, "WM_CLASS"))
        self.assertIn('_NET_WM_NAME(UTF8_STRING) = "Tessaline"', xprop("-id", window, "_NET_WM_NAME"))

        # A window opened later takes the keyboard: the viewer steps aside, so it is seen.
        self.other_window("later")
        self.assertTrue(wait_until(lambda: wm_state(window) == "Iconic", 10), "the viewer still covers it")
        self.assertFalse(wait_until(lambda: wm_state(window) != "Iconic", 1.5), "the viewer came back by itself")

        xdotool("windowactivate", window)
        self.assertTrue(wait_until(lambda: wm_state(window) == "Normal", 10), "not restored")
        self.assertTrue(wait_until(lambda: xdotool("getactivewindow", check=False) == window, 5), "no keyboard")
        geometry = xdotool("getwindowgeometry", window)
        self.assertIn("Position: 0,0", geometry)
        self.assertIn("Geometry: 1920x1080", geometry)
        self.assertTrue(wait_until(lambda: root_windows("_NET_CLIENT_LIST_STACKING")[-1:] == [int(window)], 5),
                        "not on top")

        # Its keys work again. Fine d: locked where the pointer put it, ten steps of 0.01
        # down, onto the grid of those steps (the status line takes the bottom rows).
        locked = d_for_pointer(700)
        stepped = math.ceil(locked * 100 - 10) / 100
        self.assertLess(agreement(map_reference(locked, -30, 100), map_reference(stepped, -30, 100)), 0.95)
        self.key("space", *["shift+bracketleft"] * 10)
        xdotool("mousemove", 300, 300)  # locked: the pointer no longer sets d
        self.assert_map(700, d=stepped, bottom_rows=STATUS_ROWS)
        self.key("bracketright", "bracketright")
        self.assert_map(700, d=stepped + 0.002, bottom_rows=STATUS_ROWS)
        # Cells from the file between steps, then 1, 2, 5 x 10^n both ways: 97 -> 100 -> 200
        # -> 500 -> 200 -> 100 -> 50 -> 20.
        self.key("Up", "Up", "Up", "Down", "Down", "Down", "Down")
        with keys_held("Escape"):
            self.assertEqual(viewer.wait(10), 0)
        with open(os.path.join(self.dir, "config.txt")) as f:
            self.assertIn("Max cells to track: 20\n", f.read())

    def test_escape_in_another_window_does_not_end_a_windowed_program(self):
        xdotool("mousemove", 960, 540)
        program, window = self.example_text()
        self.other_window("elsewhere")
        with keys_held("Escape"):
            self.assertFalse(wait_until(lambda: program.poll() is not None, 2), "Escape elsewhere ended it")
        # With the focus back, its own Escape ends it.
        xdotool("windowactivate", "--sync", window)
        with keys_held("Escape"):
            self.assertEqual(program.wait(10), 0)

    def test_keys_typed_under_another_clients_grab_are_not_the_programs(self):
        # A screen locker grabs the keyboard while the program keeps the focus:
        # what the user types then (Escape here) goes to the locker.
        program, window = self.example_text()
        xdotool("windowactivate", "--sync", window)
        grab = self.track(KeyboardGrab())
        with keys_held("Escape"):
            self.assertFalse(wait_until(lambda: program.poll() is not None, 2), "Escape typed into the grab ended it")
        grab.release()
        with keys_held("Escape"):
            self.assertEqual(program.wait(10), 0)


if __name__ == "__main__":
    unittest.main()
