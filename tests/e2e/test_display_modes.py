"""Display modes and monitors on an X server that offers several modes: Xorg with
the dummy video driver (xorg-dummy.conf), started by the suite, which needs root
for it. A full-screen program of an explicit size switches the mode, and the
original mode comes back however the program ends. Linux build only: under Wine
the mode changes are Wine's."""
import os
import re
import signal
import subprocess
import tempfile
import unittest

from harness import WINE, E2ETest, Probe, XServer, dismiss_message_box, find_window, xdotool

CONFIG = os.path.join(os.path.dirname(os.path.abspath(__file__)), "xorg-dummy.conf")


def screen_size():
    first = subprocess.run(["xrandr"], capture_output=True, text=True, timeout=30).stdout.split("\n")[0]
    m = re.search(r"current (\d+) x (\d+)", first)
    return (int(m.group(1)), int(m.group(2))) if m else None


@unittest.skipIf(WINE, "the display-mode suite is for the X11 backend")
class DisplayModesTest(E2ETest):
    @classmethod
    def setUpClass(cls):
        if os.geteuid() != 0:
            raise unittest.SkipTest("Xorg with the dummy driver needs root")
        cls.log = tempfile.NamedTemporaryFile(prefix="xorg-dummy-", suffix=".log", delete=False).name
        cls.server = XServer(["Xorg", "{display}", "-config", CONFIG, "-logfile", cls.log, "-noreset", "-nolisten",
                              "tcp", "-novtswitch", "-sharevts", "+extension", "GLX", "+extension", "RANDR"],
                             "xorg-dummy")

    @classmethod
    def tearDownClass(cls):
        cls.server.stop()
        os.unlink(cls.log)

    def test_the_mode_comes_back_however_the_program_ends(self):
        def fatal(probe):
            probe.send("fatal Gone for good")
            self.assertTrue(dismiss_message_box(), "no message box")

        ends = (("normal end", lambda probe: probe.ask("exit", "bye"), 0),
                ("fatal error", fatal, 1),
                ("SIGTERM", lambda probe: probe.proc.send_signal(signal.SIGTERM), -signal.SIGTERM))
        for name, end, code in ends:
            with self.subTest(name):
                self.assertEqual(screen_size(), (1920, 1080))
                probe = self.track(Probe(self.dir))
                self.assertIn("r=1 w=800 h=600", probe.ask("open 0 800 600 modes", "opened", 30))
                self.assertEqual(screen_size(), (800, 600))
                end(probe)
                self.assertEqual(probe.wait(20), code)
                self.assertEqual(screen_size(), (1920, 1080))

    def test_full_screen_is_the_primary_monitor(self):
        # The X screen spans every monitor; full screen is the primary one, where it stands.
        subprocess.run(["xrandr", "--setmonitor", "*side", "640/169x1000/264+1280+40", "none"], check=True)
        try:
            probe = self.track(Probe(self.dir))
            self.assertIn("r=1 w=640 h=1000", probe.ask("open 0 0 0 primary", "opened", 30))
            geometry = xdotool("getwindowgeometry", find_window("primary"))
            self.assertIn("Position: 1280,40", geometry)
            self.assertIn("Geometry: 640x1000", geometry)
        finally:
            subprocess.run(["xrandr", "--delmonitor", "side"])


if __name__ == "__main__":
    unittest.main()
