"""End-to-end harness: runs the real programs (natively or under Wine) on the
X display in DISPLAY, drives the real pointer and keyboard with xdotool and
grabs the screen with ImageMagick.

Environment: TESS_BIN_DIR (the build folder), TESS_RUNNER ("native" or "wine").
"""
import os
import queue
import shutil
import subprocess
import tempfile
import threading
import time
import unittest

import numpy as np
from PIL import Image

RUNNER = os.environ.get("TESS_RUNNER", "native")
BIN_DIR = os.path.abspath(os.environ.get("TESS_BIN_DIR", "build-linux"))
WINE = RUNNER == "wine"
# Wine needs far longer to start a process and show a window.
SLOW = 4.0 if WINE else 1.0


def program(name):
    path = os.path.join(BIN_DIR, name + (".exe" if WINE else ""))
    if not os.path.exists(path):
        raise unittest.SkipTest("not built: " + path)
    return path


def command(name, *args):
    path = program(name)
    return (["wine", path] if WINE else [path]) + list(args)


def xdotool(*args, check=True):
    r = subprocess.run(["xdotool"] + [str(a) for a in args], capture_output=True, text=True, timeout=30)
    if check and r.returncode != 0:
        raise AssertionError("xdotool %s failed: %s" % (" ".join(map(str, args)), r.stderr))
    return r.stdout.strip()


def find_window(name, timeout=10.0, visible=True):
    """Id of a (visible) window whose title is exactly name, or None."""
    end = time.time() + timeout * SLOW
    while time.time() < end:
        out = xdotool("search", *(["--onlyvisible"] if visible else []), "--name", "^%s$" % name, check=False)
        if out:
            return out.split()[0]
        time.sleep(0.1)
    return None


def close_window(name, visible=True):
    """Asks the window to close as a window manager's close button does (WM_DELETE_WINDOW)."""
    wid = find_window(name, visible=visible)
    if wid is None:
        raise AssertionError("no window named %r" % name)
    subprocess.run([os.path.join(os.path.dirname(__file__), "xclose.py"), wid], check=True, timeout=30)


def dismiss_message_box(caption="Oh sod it", key="Return", timeout=20.0):
    """Waits for the error box and dismisses it with a real key press. Returns True if one was seen."""
    wid = find_window(caption, timeout)
    if wid is None:
        return False
    time.sleep(0.3 * SLOW)
    xdotool("windowfocus", "--sync", wid, check=False)
    xdotool("key", "--clearmodifiers", key, check=False)
    return True


def grab_screen():
    """The whole screen as an H x W x 3 uint8 array."""
    fd, path = tempfile.mkstemp(suffix=".png")
    os.close(fd)
    try:
        subprocess.run(["import", "-silent", "-window", "root", path], check=True, timeout=60)
        return np.asarray(Image.open(path).convert("RGB"))
    finally:
        os.unlink(path)


def hold_key(key, seconds=0.5):
    xdotool("keydown", key)
    time.sleep(seconds)
    xdotool("keyup", key)


class Workdir:
    """A fresh working folder, removed afterwards."""

    def __enter__(self):
        self.path = tempfile.mkdtemp(prefix="tess-e2e-")
        return self.path

    def __exit__(self, *exc):
        shutil.rmtree(self.path, ignore_errors=True)


class Probe:
    """tests/programs/window_probe: one command per line in, one line out."""

    def __init__(self, cwd, env=None):
        e = dict(os.environ)
        if env:
            e.update(env)
        self.proc = subprocess.Popen(command("window_probe"), stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.PIPE, cwd=cwd, env=e, text=True, bufsize=1)
        self.lines = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()
        self.expect("ready", 30)

    def _read(self):
        for line in self.proc.stdout:
            self.lines.put(line.rstrip("\r\n"))
        self.lines.put(None)

    def expect(self, prefix, timeout=10.0):
        end = time.time() + timeout * SLOW
        while True:
            try:
                line = self.lines.get(timeout=max(0.01, end - time.time()))
            except queue.Empty:
                raise AssertionError("no %r from the probe in time" % prefix)
            if line is None:
                raise AssertionError("probe ended while waiting for %r" % prefix)
            if line.startswith(prefix):
                return line

    def ask(self, cmd, answer=None, timeout=10.0):
        self.proc.stdin.write(cmd + "\n")
        self.proc.stdin.flush()
        return self.expect(answer or cmd.split()[0], timeout)

    def send(self, cmd):
        self.proc.stdin.write(cmd + "\n")
        self.proc.stdin.flush()

    def state(self, cmd="pump"):
        line = self.ask(cmd, "state")
        return {k: int(v) for k, v in (p.split("=") for p in line.split()[1:])}

    def pump_until(self, predicate, timeout=5.0):
        end = time.time() + timeout * SLOW
        s = self.state()
        while not predicate(s) and time.time() < end:
            time.sleep(0.02)
            s = self.state()
        return s

    def wait(self, timeout=10.0):
        try:
            return self.proc.wait(timeout=timeout * SLOW)
        finally:
            self.kill()

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        for s in (self.proc.stdin, self.proc.stdout, self.proc.stderr):
            try:
                s.close()
            except Exception:
                pass
