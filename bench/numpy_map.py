#!/usr/bin/env python3
"""The stability map as a physicist would otherwise compute it: vectorised
NumPy in 32-bit float, 1280 x 800, default phase and cell count. Prints
milliseconds per map for each step d."""
import sys
import time

import numpy as np


def stability_map(w, h, d, phase, maxit):
    f = np.float32
    s = (np.arange(w, dtype=f) + f(0.5)) / f(w)
    t = (np.arange(h, dtype=f) + f(0.5)) / f(h)
    pi = f(np.pi)
    x = np.broadcast_to(s * pi * f(2), (h, w)).ravel().copy()
    xp = np.broadcast_to((t * f(6) - f(3))[:, None], (h, w)).ravel().copy()
    ssp = np.sin(f(0.5) * pi + f(phase), dtype=f)
    i = np.zeros(h * w, dtype=f)
    d = f(d)
    live = np.arange(h * w)
    for _ in range(int(maxit) + 1):  # a pass is made while i <= maxit
        xl = x[live]
        keep = (xl >= 0) & (xl <= f(2) * pi)  # only the points still inside move
        live, xl = live[keep], xl[keep]
        if live.size == 0:
            break
        xpl = xp[live] + d * (np.sin(xl) - ssp)
        xp[live] = xpl
        x[live] = xl + d * xpl
        i[live] += f(1)
    r = np.clip(f(0.01) * i, 0, 1)
    g = np.clip(np.minimum(f(1), f(0.1) * i) - f(0.0001) * i, 0, 1)
    b = np.clip(f(0.5) * i, 0, 1)
    rgb = np.rint(np.stack([r, g, b], -1) * 255).astype(np.uint8)
    rgb[i > maxit] = 0
    return rgb.reshape(h, w, 3)


def main():
    repeats = int(sys.argv[1]) if len(sys.argv) > 1 else 3
    phase = -30 * 0.017453292519943295
    print("%-6s %14s" % ("d", "numpy ms"))
    for d in (0.1, 0.5, 1.0, 2.0, 4.0):
        stability_map(1280, 800, d, phase, 100)
        t0 = time.perf_counter()
        for _ in range(repeats):
            stability_map(1280, 800, d, phase, 100)
        print("%-6g %14.2f" % (d, (time.perf_counter() - t0) * 1000 / repeats), flush=True)


if __name__ == "__main__":
    main()
