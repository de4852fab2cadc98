"""End-to-end harness: runs the real programs (natively or under Wine) on the
X display in DISPLAY, drives the real pointer and keyboard with xdotool and
grabs the screen with ImageMagick.

Environment: TESS_BIN_DIR (the build folder), TESS_RUNNER ("native" or "wine").
"""
import contextlib
import ctypes
import os
import queue
import re
import shutil
import struct
import subprocess
import tempfile
import threading
import time
import unittest
import zlib

import numpy as np
from PIL import Image

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
RUNNER = os.environ.get("TESS_RUNNER", "native")
BIN_DIR = os.path.abspath(os.environ.get("TESS_BIN_DIR", "build-linux"))
WINE = RUNNER == "wine"
# Wine needs far longer to start a process and show a window.
SLOW = 4.0 if WINE else 1.0

# The virtual screen every suite runs on, and the arguments after the display
# that tools/with-xvfb.sh starts it with, for suites that start their own.
SCREEN_W, SCREEN_H = 1920, 1080
XVFB_ARGS = ["-screen", "0", "%dx%dx24" % (SCREEN_W, SCREEN_H), "-noreset", "-nolisten", "tcp", "+extension", "GLX",
             "+extension", "RANDR"]
# The size of the pictures the suites ask --render for.
RENDER_W, RENDER_H = 1280, 800
# The overlay's text lines sit in the top rows; maps are compared below them.
OVERLAY_ROWS = 64
# The status line's band along the bottom, once a control has been used.
STATUS_ROWS = 20
DEG = 0.017453292519943295  # degrees to radians, as the viewer converts
MAP_OUTSIDE = (128, 128, 128)  # starting points outside the map's phase range


def project_version():
    with open(os.path.join(ROOT, "CMakeLists.txt")) as f:
        return re.search(r"project\(tessaline VERSION ([0-9.]+)", f.read()).group(1)


def d_for_pointer(x, width=SCREEN_W):
    """The step the viewer takes from the pointer's x."""
    return (1.0 / width) * (x * 5)


def view_to_st(x0, x1, p0, p1):
    """Texture-coordinate ranges of a view window: s = x / 2pi, t = (xp + 3) / 6."""
    two_pi = 2 * np.pi
    return (x0 / two_pi, x1 / two_pi), ((p0 + 3) / 6, (p1 + 3) / 6)



def program(name):
    path = os.path.join(BIN_DIR, name + (".exe" if WINE else ""))
    if not os.path.exists(path):
        raise unittest.SkipTest("not built: " + path)
    return path


def launch(path, *args):
    """The command line that runs the program at path with this runner."""
    return (["wine", path] if WINE else [path]) + list(args)


def command(name, *args):
    return launch(program(name), *args)


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


def wait_until(predicate, timeout, pause=0.1):
    """Calls predicate, pause seconds apart, until it gives a true value or the
    timeout (scaled for Wine) has passed; returns its last value."""
    end = time.time() + timeout * SLOW
    while True:
        value = predicate()
        if value or time.time() > end:
            return value
        time.sleep(pause)


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


class KeyboardGrab:
    """Another client's active keyboard grab, as a screen locker or a window
    manager's switcher holds one, made with Xlib itself; release() ends it."""

    def __init__(self):
        x = ctypes.CDLL("libX11.so.6")
        x.XOpenDisplay.restype = ctypes.c_void_p
        x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x.XDefaultRootWindow.restype = ctypes.c_ulong
        x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x.XGrabKeyboard.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_int,
                                    ctypes.c_ulong]
        x.XUngrabKeyboard.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        x.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.x = x
        self.display = x.XOpenDisplay(None)
        if not self.display:
            raise AssertionError("no X display for the grab")
        # owner_events False, both modes GrabModeAsync (1), CurrentTime (0); GrabSuccess is 0.
        result = x.XGrabKeyboard(self.display, x.XDefaultRootWindow(self.display), 0, 1, 1, 0)
        x.XSync(self.display, 0)
        if result != 0:
            self.release()
            raise AssertionError("the keyboard grab was refused (%d)" % result)

    def release(self):
        if self.display:
            self.x.XUngrabKeyboard(self.display, 0)
            self.x.XCloseDisplay(self.display)
            self.display = None

    stop = release


class XServer:
    """An X server of the suite's own (Xvfb, Xorg), on the first free display from
    TESS_DISPLAY_NUMBER + 5, so that it clashes neither with the display the other
    suites run on nor with other developers' runs. DISPLAY points at it until stop().

    command: the server's argument list with "{display}" where ":N" goes."""

    def __init__(self, command, log_name):
        n = int(os.environ.get("TESS_DISPLAY_NUMBER", "90")) + 5
        self.saved_display = os.environ.get("DISPLAY")
        self.log = tempfile.NamedTemporaryFile(prefix=log_name + "-", suffix=".log", delete=False)
        for n in range(n, n + 20):
            if os.path.exists("/tmp/.X%d-lock" % n) or os.path.exists("/tmp/.X11-unix/X%d" % n):
                continue
            self.display = ":%d" % n
            self.proc = subprocess.Popen([a.replace("{display}", self.display) for a in command],
                                         stdout=self.log, stderr=subprocess.STDOUT)
            if self._answers():
                os.environ["DISPLAY"] = self.display
                return
            self.proc.kill()  # lost a race for this number, or failed: try the next
            self.proc.wait()
        with open(self.log.name) as f:
            raise AssertionError("no X server started: " + f.read()[-2000:])

    def _answers(self):
        end = time.time() + 30
        env = dict(os.environ, DISPLAY=self.display)
        while time.time() < end and self.proc.poll() is None:
            if subprocess.run(["xdpyinfo"], env=env, capture_output=True).returncode == 0:
                return True
            time.sleep(0.05)
        return False

    def stop(self):
        self.proc.terminate()
        try:
            self.proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
        if self.saved_display is None:
            os.environ.pop("DISPLAY", None)
        else:
            os.environ["DISPLAY"] = self.saved_display
        self.log.close()
        os.unlink(self.log.name)


@contextlib.contextmanager
def keys_held(*keys):
    """The keys pressed in order for the body, released in reverse whatever happens in it."""
    for key in keys:
        xdotool("keydown", key)
    try:
        yield
    finally:
        for key in reversed(keys):
            xdotool("keyup", key)


def hold_key(key, seconds=0.5):
    with keys_held(key):
        time.sleep(seconds)


def alt_tab():
    """Alt+Tab held for a moment, as a user would: the full-screen viewer minimises."""
    with keys_held("alt", "Tab"):
        time.sleep(0.5 * SLOW)
    time.sleep(1.0 * SLOW)


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
        try:
            self.expect("ready", 30)
        except AssertionError:
            self.kill()  # not yet tracked by the test: nobody else would
            raise

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
                raise AssertionError("probe ended while waiting for %r: %s" % (prefix, self._how_it_ended()))
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
        return self._fields(self.ask(cmd, "state"))

    def open(self, windowed, w=0, h=0, title="probe window"):
        """Opens the window; the "opened" line's fields (r, w, h)."""
        return self._fields(self.ask("open %d %d %d %s" % (windowed, w, h, title), "opened", 30))

    @staticmethod
    def _fields(line):
        return {k: int(v) for k, v in (p.split("=") for p in line.split()[1:])}

    def key(self, vk):
        """The snapshot's byte for a virtual-key code, as of the last pump."""
        return self._fields(self.ask("key %x" % vk))["now"]

    def pump_until(self, predicate, timeout=5.0):
        end = time.time() + timeout * SLOW
        s = self.state()
        while not predicate(s) and time.time() < end:
            time.sleep(0.02)
            s = self.state()
        return s

    def _how_it_ended(self):
        """Exit status and the tail of standard error, so that a probe lost at
        start-up (under Wine, say) leaves its reason in the failure."""
        try:
            code = self.proc.wait(timeout=5 * SLOW)
        except subprocess.TimeoutExpired:
            code = "still running with its output closed"
        self.kill_only()
        err = self.proc.stderr.read() if self.proc.stderr and not self.proc.stderr.closed else ""
        return "exit %s, stderr %r" % (code, err[-2000:])

    def kill_only(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()

    def wait(self, timeout=10.0):
        try:
            return self.proc.wait(timeout=timeout * SLOW)
        finally:
            self.kill()

    def kill(self):
        self.kill_only()
        for s in (self.proc.stdin, self.proc.stdout, self.proc.stderr):
            try:
                s.close()
            except Exception:
                pass


def map_passes(d, phase, maxit, w=SCREEN_W, h=SCREEN_H, s_range=(0.0, 1.0), t_range=(0.0, 1.0), second=None):
    """Passes per pixel, computed in 32-bit float as the fragment program does, for
    a quad whose texture coordinates run over s_range across and t_range down.
    second: a second RF harmonic (ratio, number, phase in degrees) adding
    ratio sin(number x + phase) to the voltage."""
    f = np.float32
    s0, s1 = (f(v) for v in s_range)
    t0, t1 = (f(v) for v in t_range)
    s = s0 + (s1 - s0) * (np.arange(w, dtype=f) + f(0.5)) / f(w)
    t = t0 + (t1 - t0) * (np.arange(h, dtype=f) + f(0.5)) / f(h)
    pi = f(3.14159265358979323846264)
    x = np.broadcast_to(s * pi * f(2), (h, w)).copy()
    xp = np.broadcast_to((t * f(6) - f(3))[:, None], (h, w)).copy()
    d = f(d)
    ssp = np.sin(f(0.5) * pi + f(phase), dtype=f)
    two_pi = pi * f(2)
    r, number, psi = (f(second[0]), f(second[1]), f(second[2] * DEG)) if second else (f(0), f(0), f(0))
    # Only the points still inside are carried, so long runs cost what their survivors cost.
    x, xp = x.ravel(), xp.ravel()
    i = np.zeros(h * w, dtype=f)
    live = np.arange(h * w)
    lx, lxp, li = x, xp, i.copy()
    while live.size:
        keep = (li <= f(maxit)) & (lx >= 0) & (lx <= two_pi)
        i[live[~keep]] = li[~keep]
        live, lx, lxp, li = live[keep], lx[keep], lxp[keep], li[keep]
        voltage = np.sin(lx, dtype=f) + r * np.sin(number * lx + psi, dtype=f) if second else np.sin(lx, dtype=f)
        lxp = lxp + d * (voltage - ssp)
        lx = lx + d * lxp
        li = li + f(1)
    return i.reshape(h, w)


def map_colours(i, maxit):
    f = np.float32
    r = np.clip(f(0.01) * i, 0, 1)
    g = np.clip(np.minimum(f(1), f(0.1) * i) - f(0.0001) * i, 0, 1)
    b = np.clip(f(0.5) * i, 0, 1)
    rgb = np.rint(np.stack([r, g, b], axis=-1) * 255).astype(np.int16)
    rgb[i > f(maxit)] = 0
    return rgb


def map_reference(d, phase_degrees, maxit, w=SCREEN_W, h=SCREEN_H, view=None, second=None):
    """The colours the viewer shows for step d, the phase in degrees (taken to float
    as the viewer does) and maxit cells, over the view window (x0, x1, xp0, xp1;
    the full map by default), with a second harmonic as map_passes takes it."""
    ranges = view_to_st(*view) if view else ((0.0, 1.0), (0.0, 1.0))
    rgb = map_colours(map_passes(d, np.float32(phase_degrees * DEG), maxit, w, h, *ranges, second=second), maxit)
    # Starting points outside 0 <= x <= 2 pi have left before their first cell: mid grey.
    f = np.float32
    s0, s1 = (f(v) for v in ranges[0])
    x = (s0 + (s1 - s0) * (np.arange(w, dtype=f) + f(0.5)) / f(w)) * f(np.pi) * f(2)
    rgb[:, (x < 0) | (x > f(np.pi) * f(2))] = MAP_OUTSIDE
    return rgb


def agreement(picture, expected, skip_rows=OVERLAY_ROWS, bottom_rows=0):
    """Share of pixels within 2 levels of the reference, below the overlay's rows
    and above the bottom_rows."""
    close = np.all(np.abs(picture.astype(np.int16) - expected) <= 2, axis=-1)
    return close[skip_rows:close.shape[0] - bottom_rows].mean()


def separatrix_curve(phase, samples=400000):
    """The continuum separatrix around the bucket, solved here from the energy
    H = xp^2/2 + cos x + x sin sp: the corner x_u (sin x = sin sp, cos x > 0), the
    far turning point by bisection, and the upper branch xp(x) >= 0 from the
    turning point to the corner, denser near the turning point where it stands
    vertical. Returns x, xp, the stable point and the corner."""
    s = np.sin(np.pi / 2 + phase)
    x_u = np.arcsin(s) % (2 * np.pi)
    x_s = np.pi - np.arcsin(s)
    depth = lambda x: np.cos(x_u) + x_u * s - np.cos(x) - x * s
    inside, outside = x_s, x_u + (2 * np.pi if s >= 0 else -2 * np.pi)  # the next hump is no higher
    for _ in range(200):
        mid = 0.5 * (inside + outside)
        inside, outside = (mid, outside) if depth(mid) > 0 else (inside, mid)
    v = np.linspace(0, 1, samples)
    x = inside + (x_u - inside) * v * v
    return x, np.sqrt(2 * np.maximum(depth(x), 0)), x_s, x_u


def harmonic_theory(phase, second, samples=2000001):
    """The continuum bucket with a second harmonic (ratio, number, phase in degrees),
    straight from its definition on a dense grid: U = cos x + (r/h) cos(h x + psi)
    + x sin sp, m(x) the lower of the highest U to either side of x, a start staying
    in 0..2pi for ever when H < m(x). Returns x, the boundary's |xp| = sqrt(2 (m - U))
    (0 outside), and the area inside |xp| <= 3 by the trapezoid rule."""
    r, number, psi = second
    x = np.linspace(0, 2 * np.pi, samples)
    u = np.cos(x) + r / number * np.cos(number * x + psi * DEG) + x * np.sin(np.pi / 2 + phase)
    m = np.minimum(np.maximum.accumulate(u), np.maximum.accumulate(u[::-1])[::-1])
    xp = np.sqrt(2 * np.maximum(m - u, 0))
    band = 2 * np.minimum(xp, 3)
    return x, xp, float(np.sum((band[1:] + band[:-1]) / 2 * np.diff(x)))


def separatrix_mask(phase, w, h, view=(0.0, 2 * np.pi, -3.0, 3.0), curve=None):
    """Pixels of a w x h picture of the view that the continuum separatrix (or the
    curve given as x and xp samples) crosses."""
    x0, x1, p0, p1 = view
    x, xp = curve if curve is not None else separatrix_curve(phase)[:2]
    mask = np.zeros((h, w), bool)
    col = np.floor((x - x0) / (x1 - x0) * w).astype(int)
    for sign in (1, -1):
        row = np.floor((sign * xp - p0) / (p1 - p0) * h).astype(int)
        seen = (col >= 0) & (col < w) & (row >= 0) & (row < h)
        mask[row[seen], col[seen]] = True
    return mask


def near(mask, k=1):
    """The mask grown by k pixels each way (a (2k+1)-square around every pixel)."""
    out = np.zeros_like(mask)
    padded = np.pad(mask, k)
    h, w = mask.shape
    for dy in range(2 * k + 1):
        for dx in range(2 * k + 1):
            out |= padded[dy:dy + h, dx:dx + w]
    return out


def texts_of(path):
    """A PNG's tEXt chunks as a dict, every chunk's CRC checked with zlib's CRC-32."""
    with open(path, "rb") as f:
        data = f.read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n" and data[12:16] == b"IHDR"
    texts, at = {}, 8
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        assert struct.unpack(">I", data[at + 8 + length:at + 12 + length])[0] == zlib.crc32(kind + body), kind
        if kind == b"tEXt":
            key, text = body.split(b"\0", 1)
            texts[key.decode("latin-1")] = text.decode("latin-1")
        at += 12 + length
    return texts


def render_text(text):
    """The text as the framework draws it with the embedded font, white on black (16 x 1200)."""
    with Workdir() as folder:
        path = os.path.join(folder, "text.ppm")
        r = subprocess.run(command("text_probe"), input="%s\n%s\n" % (path, text), capture_output=True, text=True,
                           timeout=60 * SLOW, cwd=folder)
        if r.returncode != 0:
            raise AssertionError("text_probe failed: %s" % r.stderr)
        return np.asarray(Image.open(path).convert("L"))


def coloured(picture, colour):
    """Where the picture has exactly that 0xRRGGBB colour."""
    return np.all(picture == ((colour >> 16) & 255, (colour >> 8) & 255, colour & 255), axis=-1)


def tune_degrees(d, phase):
    """The synchrotron tune per cell in degrees for step d and the phase in radians;
    nan where d is past the stable range."""
    with np.errstate(invalid="ignore"):
        return np.arccos(1 - d * d * np.abs(np.cos(np.pi / 2 + phase)) * 0.5) * 57.29577951308232


def tune_text(d, phase):
    tune = tune_degrees(d, phase)
    return "Synchrotron tune per cell = %s degrees" % ("%g" % tune if np.isfinite(tune) else "-nan")


class Viewer:
    """The viewer running in a folder of its own."""

    def __init__(self, folder, config=None, env=None):
        if config is not None:
            with open(os.path.join(folder, "config.txt"), "w") as f:
                f.write(config)
        e = dict(os.environ)
        if env:
            e.update(env)
        self.proc = subprocess.Popen(command("tessaline"), cwd=folder, env=e, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.PIPE)
        self.folder = folder

    def wait_window(self):
        if find_window("Tessaline", 30) is None:
            raise AssertionError("the viewer's window did not appear")
        time.sleep(1.0 * SLOW)

    def wait(self, timeout):
        """The exit code, or None if it has not ended within the timeout (scaled for Wine)."""
        try:
            return self.proc.wait(timeout=timeout * SLOW)
        except subprocess.TimeoutExpired:
            return None

    def stop(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        self.proc.stderr.close()


class E2ETest(unittest.TestCase):
    """A test in a fresh working folder; processes it registers with track() are
    ended afterwards, and keys and buttons a failed test may have left held are
    released."""

    RELEASE_KEYS = ("alt", "Tab", "shift", "q", "Escape")

    def setUp(self):
        self.work = Workdir()
        self.dir = self.work.__enter__()
        self.tracked = []

    def start(self, pointer_x=None, config=None, env=None):
        """The viewer in this test's folder; with pointer_x, the pointer on that column."""
        if pointer_x is not None:
            # Placed before the window exists, then nudged onto the final spot once
            # it does, so that the window gets a pointer message for that spot.
            xdotool("mousemove", pointer_x + 1, 300)
        self.viewer = self.track(Viewer(self.dir, config, env))
        self.viewer.wait_window()
        if pointer_x is not None:
            xdotool("mousemove", pointer_x, 300)
            time.sleep(1.5 * SLOW)
        return self.viewer

    def key(self, *keys):
        """Taps each key in turn, as a user would."""
        for k in keys:
            xdotool("key", "--clearmodifiers", k)
            time.sleep(0.2 * SLOW)

    def assert_map(self, pointer_x, phase_degrees=-30, maxit=100, view=None, bottom_rows=0, timeout=20.0,
                   second=None, d=None):
        """Waits until the screen shows the map for d from pointer_x (or d itself) and the
        view window (x0, x1, xp0, xp1; the full map by default), with a second harmonic
        as map_passes takes it; returns the picture."""
        d = d_for_pointer(pointer_x) if d is None else d
        expected = map_reference(d, phase_degrees, maxit, view=view, second=second)
        last = {}

        def shown():  # a loaded machine renders slowly: grab until 99% agrees or time is up
            last["picture"] = grab_screen()
            last["share"] = agreement(last["picture"], expected, bottom_rows=bottom_rows)
            return last["share"] >= 0.99

        wait_until(shown, timeout, pause=0.5)
        share, picture = last["share"], last["picture"]
        self.assertEqual(picture.shape, (SCREEN_H, SCREEN_W, 3))
        self.assertGreaterEqual(share, 0.99, "d = %g, phase %g, cells %d, view %s" % (d, phase_degrees, maxit, view))
        return picture

    def run_tessaline(self, *args, env=None, display=False):
        """Runs the viewer's command line in the test's folder; on Linux with no DISPLAY unless asked."""
        e = dict(os.environ, **(env or {}))
        if not WINE and not display:
            e.pop("DISPLAY", None)
        return subprocess.run(command("tessaline", *args), cwd=self.dir, env=e, capture_output=True, text=True,
                              timeout=120 * SLOW)

    def render(self, name, *args, w=RENDER_W, h=RENDER_H, **kw):
        """The picture --render writes to name at w x h with the other arguments; the
        test fails unless the run succeeds and says nothing."""
        r = self.run_tessaline("--render", name, "--size", "%dx%d" % (w, h), *args, **kw)
        self.assertEqual((r.returncode, r.stderr), (0, ""))
        return np.asarray(Image.open(os.path.join(self.dir, name)).convert("RGB"))

    def assert_text_at(self, picture, x, y, text, background=None, right=None):
        """Where the text's glyph is solid the screen is white; where it has no ink the
        background shows (when given). The text is looked at up to column right (the
        overlay's own default: the next text on the same row, or the window's edge)."""
        glyphs = render_text(text)
        h, w = glyphs.shape
        h = min(h, picture.shape[0] - y)
        glyphs = glyphs[:h]
        if right is None:
            right = SCREEN_W // 2 if x < SCREEN_W // 2 else SCREEN_W
        w = min(w, right - x)
        screen = picture[y:y + h, x:x + w].astype(np.int16)
        ink = glyphs[:, :w] >= 250
        self.assertGreater(ink.sum(), 50, text)
        self.assertTrue((screen[ink] >= 240).all(), "glyph pixels not white for %r" % text)
        if background is not None:
            bare = glyphs[:, :w] == 0
            diff = np.abs(screen - background[y:y + h, x:x + w]).max(axis=-1)
            self.assertGreaterEqual((diff[bare] <= 2).mean(), 0.99, "map not showing around %r" % text)

    def track(self, thing):
        """thing has stop() or kill() (a Viewer, a Probe, a Popen); returns it."""
        self.tracked.append(thing)
        return thing

    def tearDown(self):
        for thing in reversed(self.tracked):
            (getattr(thing, "stop", None) or thing.kill)()
            if isinstance(thing, subprocess.Popen):
                thing.wait()
        for key in self.RELEASE_KEYS:
            xdotool("keyup", key, check=False)
        for button in (1, 3):
            xdotool("mouseup", button, check=False)
        self.work.__exit__(None, None, None)
