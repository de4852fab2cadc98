#!/usr/bin/env python3
"""Start-up time of the viewer: from starting the process to its first frame
on the screen (the overlay's first text showing at the top-left corner),
polled with XGetImage every millisecond. Run under an X display:

  tools/with-xvfb.sh /usr/bin/python3 bench/startup.py build-linux/tessaline [runs]
  tools/with-xvfb.sh /usr/bin/python3 bench/startup.py build-windows/tessaline.exe [runs]   (under Wine)
"""
import ctypes
import ctypes.util
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

x = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11"))
x.XOpenDisplay.restype = ctypes.c_void_p
x.XOpenDisplay.argtypes = [ctypes.c_char_p]
x.XDefaultRootWindow.restype = ctypes.c_ulong
x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x.XGetImage.restype = ctypes.c_void_p
x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint, ctypes.c_uint,
                        ctypes.c_ulong, ctypes.c_int]
x.XGetPixel.restype = ctypes.c_ulong
x.XGetPixel.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int]
x.XDestroyImage.argtypes = [ctypes.c_void_p]
x.XDestroyImage.restype = ctypes.c_int
ZPIXMAP = 2
ALL_PLANES = 0xFFFFFFFF


def corner_has_text(display, root, w=120, h=13):
    img = x.XGetImage(display, root, 0, 0, w, h, ALL_PLANES, ZPIXMAP)
    if not img:
        return False
    try:
        for py in range(0, h):
            for px in range(0, w):
                if x.XGetPixel(img, px, py) & 0xFFFFFF == 0xFFFFFF:
                    return True
        return False
    finally:
        x.XDestroyImage(img)


def main():
    exe = sys.argv[1]
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    cmd = (["wine", os.path.abspath(exe)] if exe.endswith(".exe") else [os.path.abspath(exe)])
    display = x.XOpenDisplay(None)
    root = x.XDefaultRootWindow(display)
    # The pointer at the left edge: d = 0 for the first frame on both platforms
    # (a Windows window that appears under the pointer is told where it is).
    subprocess.run(["xdotool", "mousemove", "0", "0"])
    times = []
    for _ in range(runs):
        folder = tempfile.mkdtemp()
        while corner_has_text(display, root):
            time.sleep(0.05)
        t0 = time.perf_counter()
        p = subprocess.Popen(cmd, cwd=folder, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        while not corner_has_text(display, root):
            if time.perf_counter() - t0 > 60:
                break
            time.sleep(0.001)
        times.append(time.perf_counter() - t0)
        subprocess.run(["xdotool", "keydown", "Escape"])
        p.wait(timeout=60)
        subprocess.run(["xdotool", "keyup", "Escape"])
        shutil.rmtree(folder, ignore_errors=True)
        time.sleep(0.3)
    print("%s: start to first frame %.0f ms median (min %.0f, max %.0f, %d runs)" % (
        os.path.basename(exe), statistics.median(times) * 1000, min(times) * 1000, max(times) * 1000, runs))


if __name__ == "__main__":
    main()
