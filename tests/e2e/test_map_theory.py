"""The map's own theory end to end: the invariant manifolds that --render
--manifolds draws against the map's manifolds grown here in NumPy (fixed point
and eigenvectors found afresh, a far finer seed), at a small d and at one where
the bucket frays; and --track's rows, tune and amplitude against float32
tracking here and a tune counted from the orbit's crossings."""
import unittest

import numpy as np

from harness import DEG, E2ETest, coloured, near, tune_degrees

F = np.float32
W, H = 960, 540
PHASE_DEGREES = -60
RED, CYAN = 0xFF0000, 0x00FFFF


def step(x, xp, d, s, back=False):
    if back:
        x = x - d * xp
        return x, xp - d * (np.sin(x) - s)
    xp = xp + d * (np.sin(x) - s)
    return x + d * xp, xp


def manifold_branches(d, phase, back, seeds=10000, generations=140):
    """Both branches of the unstable (back=False) or stable manifold of the
    map's hyperbolic point, one array of (generation, seed) points each, and
    the generation each first comes back by the point after going round."""
    s = np.sin(np.pi / 2 + phase)
    x_u = np.arcsin(s) % (2 * np.pi)
    x_s = np.pi - np.arcsin(s)
    # The Jacobian by central differences, its eigenvector for |eigenvalue| > 1
    # of the map that grows this manifold.
    h = 1e-6
    jac = np.empty((2, 2))
    for k, (dx, dxp) in enumerate(((h, 0), (0, h))):
        a = np.array(step(x_u + dx, dxp, d, s, back)) - np.array(step(x_u - dx, -dxp, d, s, back))
        jac[:, k] = a / (2 * h)
    values, vectors = np.linalg.eig(jac)
    k = int(np.argmax(np.abs(values)))
    lam, v = float(np.real(values[k])), np.real(vectors[:, k])
    eps = 1e-7
    out = []
    for sign in (1, -1):
        t = np.linspace(0, 1, seeds, endpoint=False)
        x = x_u + sign * eps * lam ** t * v[0]
        xp = sign * eps * lam ** t * v[1]
        points, back_at, far = [], generations, False
        gap = abs(x_s - x_u)
        for n in range(generations):
            points.append(np.stack([x, xp], -1))
            r = np.hypot(x - x_u, xp)
            far |= bool((r > gap).any())
            if far and r.min() < 0.2 * gap and back_at == generations:
                back_at = n
            x, xp = step(x, xp, d, s, back)
            x, xp = np.where(np.abs(xp) < 50, x, np.nan), np.where(np.abs(xp) < 50, xp, np.nan)
        out.append((np.concatenate(points), back_at * seeds))
    return out


def curve_mask(points, w, h, view=(0, 2 * np.pi, -3, 3), longest=20.0):
    """Pixels crossed by the polyline through the points, its segments up to
    `longest` pixels sampled every half pixel."""
    x0, x1, p0, p1 = view
    px = (points[:, 0] - x0) / (x1 - x0) * w
    py = (points[:, 1] - p0) / (p1 - p0) * h
    a, b = np.stack([px[:-1], py[:-1]], -1), np.stack([px[1:], py[1:]], -1)
    length = np.hypot(*(b - a).T)
    keep = np.isfinite(length) & (length <= longest)
    keep &= (np.maximum(a[:, 0], b[:, 0]) >= 0) & (np.minimum(a[:, 0], b[:, 0]) < w)
    keep &= (np.maximum(a[:, 1], b[:, 1]) >= 0) & (np.minimum(a[:, 1], b[:, 1]) < h)
    a, b, length = a[keep], b[keep], length[keep]
    mask = np.zeros((h, w), bool)
    for u in np.linspace(0, 1, int(2 * longest) + 1):
        q = a + (b - a) * u
        seen = (q[:, 0] >= 0) & (q[:, 0] < w) & (q[:, 1] >= 0) & (q[:, 1] < h)
        q = np.floor(q[seen]).astype(int)
        mask[q[:, 1], q[:, 0]] = True
    return mask


class MapTheoryTest(E2ETest):
    def test_manifolds_lie_on_the_maps_own(self):
        phase = float(F(PHASE_DEGREES * DEG))
        for d in (0.3, 1.2):
            picture = self.render("m.png", "--manifolds", "--phase", str(PHASE_DEGREES), "--d", str(d), "--cells",
                                  "1000", w=W, h=H)
            red, cyan = coloured(picture, RED), coloured(picture, CYAN)
            for back, drawn, under in ((False, red, red), (True, cyan, cyan | red)):
                branches = manifold_branches(d, phase, back)
                whole = np.zeros((H, W), bool)
                for points, first_round in branches:
                    whole |= curve_mask(points, W, H)
                    # Once round the bucket and back by the fixed point: all drawn
                    # (the stable one may lie under the unstable one).
                    once = curve_mask(points[:first_round], W, H)
                    missed = once & ~near(under, 2)
                    self.assertEqual(missed.sum(), 0, "d %g %s missed at %s" % (d, back, np.argwhere(missed)[:5].tolist()))
                self.assertGreater(under.sum(), 500)
                stray = drawn & ~near(whole, 2)
                self.assertEqual(stray.sum(), 0, "d %g %s stray at %s" % (d, back, np.argwhere(stray)[:5].tolist()))

    def test_track_follows_float_tracking_and_counts_the_tune(self):
        phase = F(-30 * DEG)
        pi = F(3.14159265358979323846264)
        x_s = np.pi - np.arcsin(np.cos(float(phase)))
        # (start, d, cells): a small orbit, a large one near the bucket's edge
        # (half-height 0.43 at -30 degrees), one lost after a few cells.
        for (x0, xp0), d, cells in (((x_s + 0.05, 0.0), 0.5, 10000), ((x_s, 0.35), 0.5, 10000),
                                    ((x_s, 0.35), 1.0, 4000), ((2.3, 1.0), 0.5, 100)):
            r = self.run_tessaline("--track", "%r,%r" % (x0, xp0), "--phase", "-30", "--d", str(d), "--cells",
                                   str(cells), "--csv", "-")
            self.assertEqual((r.returncode, r.stderr), (0, ""))
            lines = r.stdout.splitlines()
            head = dict(line[2:].split(": ", 1) for line in lines if line.startswith("# "))
            self.assertEqual(lines[len(head)], "cell,x,xp")
            rows = np.array([[float(v) for v in line.split(",")] for line in lines[len(head) + 1:]])
            np.testing.assert_array_equal(rows[:, 0], np.arange(len(rows)))

            # The start a click takes, then the program's float arithmetic.
            x = F(F(x0 / (2 * np.pi)) * pi * F(2))
            xp = F(F(F((xp0 + 3) / 6) * F(6)) - F(3))
            ssp = np.sin(F(0.5) * pi + phase, dtype=F)
            fd = F(d)
            track = [(x, xp)]
            while len(track) <= cells + 1 and 0 <= x <= 2 * pi:
                xp = F(xp + fd * (F(np.sin(float(x))) - ssp))
                x = F(x + fd * xp)
                track.append((x, xp))
            track = np.array(track, dtype=float)
            self.assertEqual(head["start"], "%.9g,%.9g" % tuple(track[0]))
            self.assertEqual((head["phase_degrees"], float(head["d"]), head["cells"]), ("-30", d, str(cells)))
            self.assertEqual(len(rows), len(track))
            # The sine here is rounded once to float; the C library's may differ
            # in the last bit, and the two drift apart slowly over thousands of cells.
            np.testing.assert_allclose(rows[:100, 1:], track[:100], atol=1e-5)
            np.testing.assert_allclose(rows[:, 1:], track, atol=1e-2)
            self.assertAlmostEqual(float(head["amplitude (largest |xp|)"]), np.abs(track[:, 1]).max(), delta=1e-2)
            if len(track) <= cells + 1:
                self.assertEqual(head["tune_degrees"], "none")
                continue
            # Turns counted where xp falls through 0 right of the centre (the
            # motion is clockwise), each crossing placed by interpolation.
            rel, p = track[:, 0] - x_s, track[:, 1]
            k = np.nonzero((p[:-1] > 0) & (p[1:] <= 0) & (rel[:-1] > 0))[0]
            at = k + p[k] / (p[k] - p[k + 1])
            tune = 360 * (len(at) - 1) / (at[-1] - at[0])
            self.assertAlmostEqual(float(head["tune_degrees"]), tune, delta=360 / cells)
            if xp0 == 0:  # small: the linear map's tune
                self.assertAlmostEqual(tune, tune_degrees(d, float(phase)), delta=0.05)


if __name__ == "__main__":
    unittest.main()
