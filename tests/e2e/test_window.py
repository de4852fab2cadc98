"""Real windows, real input and real fatal errors, through tests/programs/window_probe."""
import os
import re
import subprocess
import time
import unittest
import xml.etree.ElementTree as ElementTree

import pefile

from harness import SLOW, WINE, E2ETest, Probe, close_window, dismiss_message_box, keys_held, program, xdotool

STAMP = re.compile(r"^\d{4}-[A-Z][a-z]{2}-\d{2} \d{2}:\d{2}:\d{2} ")


class WindowTest(E2ETest):
    def open(self, windowed, w=0, h=0, title="probe window", env=None):
        self.probe = self.track(Probe(self.dir, env))
        return self.probe.open(windowed, w, h, title)

    def test_full_screen_covers_the_screen(self):
        r = self.open(0)
        self.assertEqual((r["r"], r["w"], r["h"]), (1, 1920, 1080))

    def test_windowed_default_is_four_thirds_of_sixty_percent(self):
        xdotool("mousemove", 960, 540)
        r = self.open(1)
        self.assertEqual(r["r"], 1)
        s = self.probe.pump_until(lambda s: (s["w"], s["h"]) == (864, 648))
        self.assertEqual((s["w"], s["h"]), (864, 648))

    def test_explicit_full_screen_size_keeps_an_unavailable_mode(self):
        r = self.open(0, 800, 600)
        self.assertEqual((r["r"], r["w"], r["h"]), (1, 800, 600))
        s = self.probe.state()
        self.assertEqual((s["w"], s["h"]), (800, 600))
        # This display offers no 800 x 600 mode: the screen is left as it is.
        out = subprocess.run(["xdpyinfo"], capture_output=True, text=True).stdout
        self.assertIn("dimensions:    1920x1080 pixels", out)

    def test_zero_and_negative_sizes_create_nothing(self):
        self.probe = self.track(Probe(self.dir))
        for args in ("0 5 0", "0 -7 -3", "1 100 0"):
            line = self.probe.ask("open %s t" % args, "opened")
            self.assertIn("r=0", line, args)

    def test_title_of_any_length(self):
        title = "T" * 3000
        r = self.open(1, 320, 200, title)
        self.assertEqual(r["r"], 1)
        self.assertIsNotNone(self.probe.state())

    def test_unwritable_log_still_shows_the_box_and_exits(self):
        os.mkdir(os.path.join(self.dir, "graphics_error.log"))  # cannot be opened as a file
        self.probe = self.track(Probe(self.dir))
        self.probe.send("fatal No log for this one")
        self.assertTrue(dismiss_message_box(), "no message box")
        self.assertEqual(self.probe.wait(20), 1)
        self.assertTrue(os.path.isdir(os.path.join(self.dir, "graphics_error.log")))

    def test_pointer_position_reaches_the_snapshot(self):
        xdotool("mousemove", 10, 10)
        self.open(0)
        time.sleep(0.3 * SLOW)
        xdotool("mousemove", 300, 200)
        s = self.probe.pump_until(lambda s: s["mx"] == 300 and s["my"] == 200)
        self.assertEqual((s["mx"], s["my"]), (300, 200))
        xdotool("mousemove", 1234, 777)
        s = self.probe.pump_until(lambda s: s["mx"] == 1234)
        self.assertEqual((s["mx"], s["my"]), (1234, 777))

    def test_held_key_shows_until_released(self):
        self.open(0)
        time.sleep(0.3 * SLOW)
        with keys_held("a"):
            self.probe.pump_until(lambda s: False, 0.3)
            self.assertTrue(self.probe.key(0x41) & 0x80)
        time.sleep(0.2 * SLOW)
        self.probe.state()
        self.assertFalse(self.probe.key(0x41) & 0x80)

    @unittest.skipIf(WINE, "Wine only knows of buttons pressed over its own windows")
    def test_button_held_at_open_is_not_reported_until_released(self):
        xdotool("mousemove", 500, 500)
        xdotool("mousedown", 1)
        self.open(0)
        time.sleep(0.3 * SLOW)
        xdotool("mousemove", 520, 510)
        s = self.probe.pump_until(lambda s: s["mx"] == 520)
        self.assertEqual(s["mx"], 520)
        self.assertEqual(s["buttons"], 0)
        self.assertEqual(s["latch"], 1)
        xdotool("mouseup", 1)
        s = self.probe.pump_until(lambda s: s["latch"] == 0)
        self.assertEqual((s["latch"], s["buttons"]), (0, 0))
        xdotool("mousedown", 1)
        s = self.probe.pump_until(lambda s: s["buttons"] == 1)
        self.assertEqual(s["buttons"], 1)
        xdotool("mouseup", 1)

    def test_typed_queue_holds_499_characters(self):
        self.open(0)
        time.sleep(0.5 * SLOW)
        xdotool("type", "--delay", 2, "x" * 510)
        s = self.probe.pump_until(lambda s: s["typed"] >= 499, 20)
        time.sleep(0.5 * SLOW)
        s = self.probe.state()
        self.assertEqual(s["typed"], 499)
        self.assertEqual(self.probe.ask("next"), "next %d" % ord("x"))

    def test_alt_tab_minimises_and_the_snapshot_waits(self):
        self.open(0)
        time.sleep(0.3 * SLOW)
        with keys_held("alt", "Tab"):
            s = self.probe.pump_until(lambda s: s["minp"] == 1, 5)
            self.assertEqual(s["minp"], 1)
        # Once minimised the pump clears the request and stops taking snapshots.
        s = self.probe.pump_until(lambda s: s["minp"] == 0, 10)
        self.assertEqual(s["minp"], 0)
        with keys_held("b"):
            self.probe.pump_until(lambda s: False, 0.3)
            self.assertFalse(self.probe.key(0x42) & 0x80, "the snapshot was refreshed while minimised")

    @unittest.skipIf(WINE, "the X11 backend's key translation; Wine has its own")
    def test_lock_keys_give_their_state_and_the_keypad_follows_num_lock(self):
        def lock(name, on):
            state = re.search(name + r":\s+(on|off)", subprocess.run(["xset", "q"], capture_output=True,
                                                                     text=True).stdout).group(1)
            if (state == "on") != on:
                xdotool("key", name.replace(" ", "_"))

        lock("Caps Lock", True)  # before the window exists
        try:
            self.open(0)
            time.sleep(0.3 * SLOW)
            self.probe.state()
            self.assertEqual(self.probe.key(0x14) & 1, 1, "Caps Lock on before the window opened")
            for num_lock, held, other in ((True, 0x67, 0x24), (False, 0x24, 0x67)):  # VK_NUMPAD7, VK_HOME
                lock("Num Lock", num_lock)
                with keys_held("KP_7" if num_lock else "KP_Home"):
                    self.probe.pump_until(lambda s: False, 0.3)
                    self.assertTrue(self.probe.key(held) & 0x80, "Num Lock %s" % num_lock)
                    self.assertFalse(self.probe.key(other) & 0x80, "Num Lock %s" % num_lock)
                    self.assertEqual(self.probe.key(0x90) & 1, int(num_lock))
            lock("Caps Lock", False)
            self.probe.pump_until(lambda s: False, 0.3)
            self.assertEqual(self.probe.key(0x14) & 1, 0)
        finally:
            lock("Caps Lock", False)
            lock("Num Lock", False)

    @unittest.skipIf(WINE, "the X11 backend's key translation; Wine has its own")
    def test_keys_follow_a_changed_keyboard_mapping(self):
        self.open(0)
        time.sleep(0.3 * SLOW)
        # Escape moves to the key that was F12; xdotool presses the key that now gives it.
        subprocess.run(["xmodmap", "-e", "keycode 9 = NoSymbol", "-e", "keycode 96 = Escape"], check=True)
        try:
            self.probe.pump_until(lambda s: False, 0.3)
            with keys_held("Escape"):
                self.probe.pump_until(lambda s: False, 0.3)
                self.assertTrue(self.probe.key(0x1B) & 0x80)
                self.assertFalse(self.probe.key(0x7B) & 0x80)
        finally:
            subprocess.run(["xmodmap", "-e", "keycode 9 = Escape", "-e", "keycode 96 = F12"], check=True)

    @unittest.skipUnless(WINE, "the manifest belongs to the Windows build")
    def test_programs_carry_a_dpi_aware_manifest(self):
        # Without it a scaled desktop hands a program a shrunken screen for full screen.
        settings = "{http://schemas.microsoft.com/SMI/%s/WindowsSettings}%s"
        for name in ("tessaline", "window_probe"):
            pe = pefile.PE(program(name))
            manifests = [entry for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries if kind.id == 24  # RT_MANIFEST
                         for entry in kind.directory.entries if entry.id == 1]
            self.assertEqual(len(manifests), 1, name)
            data = manifests[0].directory.entries[0].data.struct
            root = ElementTree.fromstring(pe.get_data(data.OffsetToData, data.Size))
            self.assertEqual(root.find(".//" + settings % ("2005", "dpiAware")).text, "true/pm", name)
            self.assertIn("PerMonitorV2", root.find(".//" + settings % ("2016", "dpiAwareness")).text, name)

    def test_closing_the_window_sets_quit(self):
        self.open(1, 400, 300, "closing probe")
        time.sleep(0.5 * SLOW)
        close_window("closing probe")
        s = self.probe.pump_until(lambda s: s["quit"] == 1)
        self.assertEqual((s["r"], s["quit"]), (1, 1))

    def test_quit_message_ends_the_pump(self):
        self.open(0)
        self.probe.ask("postquit", "posted")
        s = self.probe.state()
        self.assertEqual((s["r"], s["quit"]), (1, 1))

    def test_log_error_appends_lines(self):
        self.probe = self.track(Probe(self.dir))
        path = os.path.join(self.dir, "graphics_error.log")
        with open(path, "w") as f:
            f.write("earlier line\n")
        self.probe.ask("log first problem", "logged")
        self.probe.ask("log second problem", "logged")
        self.probe.ask("exit", "bye")
        with open(path, "rb") as f:
            data = f.read()
        lines = data.decode().splitlines()
        self.assertEqual(lines[0], "earlier line")
        self.assertEqual(len(lines), 3)
        self.assertRegex(lines[1], STAMP.pattern + "first problem$")
        self.assertRegex(lines[2], STAMP.pattern + "second problem$")
        if WINE:  # text mode writes CR LF on Windows
            self.assertIn(b"first problem\r\n", data)

    def fatal(self, open_first):
        self.probe = self.track(Probe(self.dir))
        if open_first:
            self.probe.open(0, 0, 0, "fatal probe")
        self.probe.send("fatal It all went wrong")
        self.assertTrue(dismiss_message_box(), "no message box")
        self.assertEqual(self.probe.wait(20), 1)
        with open(os.path.join(self.dir, "graphics_error.log")) as f:
            lines = f.read().splitlines()
        self.assertEqual(len(lines), 1)
        self.assertRegex(lines[0], STAMP.pattern + "It all went wrong$")

    def test_fatal_error_before_the_window(self):
        self.fatal(False)

    def test_fatal_error_after_the_window(self):
        self.fatal(True)

    def test_old_driver_is_refused_with_its_version(self):
        self.probe = self.track(Probe(self.dir, {"MESA_GL_VERSION_OVERRIDE": "1.5"}))
        self.probe.open(1, 320, 240, "old driver")
        self.assertEqual(self.probe.ask("shaders"), "shaders 0")
        self.probe.send("loadgl2")
        self.assertTrue(dismiss_message_box())
        self.assertEqual(self.probe.wait(20), 1)
        with open(os.path.join(self.dir, "graphics_error.log")) as f:
            text = f.read()
        self.assertIn("OpenGL version 2.0 or higher required for shaders; you have version 1.5", text)


if __name__ == "__main__":
    unittest.main()
