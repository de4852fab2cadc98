"""Figures and split scans end to end: --render --axes (the recorded rectangle
holds the map against the NumPy reference, the margins hold the labels),
--flip and --colours log, the SVG figure parsed as XML with its separatrix
checked against the continuum Hamiltonian, and scans split into shards (GNU
parallel and the Slurm script's tasks) and resumed."""
import base64
import io
import os
import subprocess
import unittest
import xml.etree.ElementTree as ET

import numpy as np
from PIL import Image

from harness import DEG, ROOT, WINE, E2ETest, agreement, command, map_passes, map_reference, render_text, texts_of, \
    view_to_st

SVG = "{http://www.w3.org/2000/svg}"
# The first and last entries of viridis as published in bytes (matplotlib's table).
VIRIDIS_FIRST, VIRIDIS_LAST = (68, 1, 84), (253, 231, 37)
SCAN = ["--scan", "0.5:2:4", "--phases", "-60:-30:3", "--size", "160x100"]


def rect_of(path):
    return [int(v) for v in texts_of(path)["map rect"].split(",")]


def rows_of(text):
    """A scan file's rows, without its "#" lines and header."""
    return [l for l in text.splitlines() if l and not l.startswith("#")][1:]


class FigureTest(E2ETest):
    def find_text(self, picture, text, box):
        """Whether the text, as the embedded font draws it black on white, stands
        somewhere inside box (x0, y0, x1, y1) of the picture."""
        glyphs = render_text(text)
        cols = np.nonzero(glyphs.max(axis=0) > 0)[0]
        template = 255 - glyphs[:, :cols[-1] + 1].astype(np.int16)
        x0, y0, x1, y1 = box
        grey = picture[y0:y1, x0:x1].astype(np.int16).mean(axis=-1)
        th, tw = template.shape
        if grey.shape[0] < th or grey.shape[1] < tw:
            return False
        windows = np.lib.stride_tricks.sliding_window_view(grey, (th, tw))
        return bool((np.abs(windows - template).max(axis=(-2, -1)) <= 12).any())

    def test_png_figure_holds_the_map_in_its_rectangle_and_labels_in_its_margins(self):
        cases = (  # d, phase, cells, view, extra options
            (1.0, -30, 100, None, []),
            (1.5, -60, 300, (1.0, 5.0, -1.0, 2.5), ["--flip", "--colours", "log"]),
        )
        for d, phase, cells, view, extra in cases:
            args = ["--axes", "--d", str(d), "--phase", str(phase), "--cells", str(cells)] + extra
            if view:
                args += ["--view", ",".join(map(str, view))]
            picture = self.render("fig.png", *args, w=800, h=500)
            x, y, w, h = rect_of(os.path.join(self.dir, "fig.png"))
            self.assertTrue(0 < x and 0 < y and x + w < 800 and y + h < 500 and w > 400 and h > 250, (x, y, w, h))
            inside = picture[y:y + h, x:x + w]
            self.assertTrue((picture[y - 1, x:x + w] == 0).all() and (picture[y + h, x:x + w] == 0).all(), "frame")
            flipped = "--flip" in extra
            if flipped:
                inside = inside[::-1]
            ranges = view_to_st(*view) if view else ((0.0, 1.0), (0.0, 1.0))
            passes = map_passes(d, np.float32(phase * DEG), cells, w, h, *ranges)
            if "log" in extra:
                # Survivors black; one cell and all but the last the ends of viridis; brighter with more cells.
                black = inside.max(axis=-1) == 0
                self.assertGreaterEqual((black == (passes > cells)).mean(), 0.99)
                for count, colour in ((1, VIRIDIS_FIRST), (cells, VIRIDIS_LAST)):
                    if (passes == count).sum() > 20:
                        self.assertLessEqual(np.abs(np.median(inside[passes == count], axis=0) - colour).max(), 1)
                light = [inside[(passes >= lo) & (passes < hi)].mean() for lo, hi in ((1, 3), (3, 30), (30, cells))]
                self.assertTrue(light[0] < light[1] < light[2], light)
            else:
                self.assertGreaterEqual(agreement(inside, map_reference(d, phase, cells, w, h, view), 0), 0.99)
            texts = texts_of(os.path.join(self.dir, "fig.png"))
            self.assertEqual(texts.get("flip") is not None, flipped)
            top_xp = "2.5" if flipped else "-3"
            for label, box in (("pi", (x - 40, y + h, x + w + 40, 500)), ("phase x (rad)", (x, y + h, x + w, 500)),
                               (top_xp, (0, y - 12, x, y + 12)), ("xp", (0, y, x, y + h)),
                               ("phase %d deg" % phase, (0, 0, 800, y)), ("cells survived", (x + w, 0, 800, y + 40)),
                               ("all (bucket)", (x + w, y, 800, 500))):
                self.assertTrue(self.find_text(picture, label, box), (label, extra))
            self.assertEqual(self.find_text(picture, "2pi", (x - 40, y + h, x + w + 40, 500)), not view)

    def test_svg_figure_parses_with_text_image_and_phase_space_paths(self):
        args = ["--axes", "--separatrix", "--orbit", "2,0.5", "--d", "0.5", "--phase", "-60", "--cells", "200"]
        self.render("fig.png", *args, w=800, h=500)
        x, y, w, h = rect_of(os.path.join(self.dir, "fig.png"))
        r = self.run_tessaline("--render", "fig.svg", "--size", "800x500", *args)
        self.assertEqual((r.returncode, r.stderr), (0, ""))
        root = ET.parse(os.path.join(self.dir, "fig.svg")).getroot()
        self.assertEqual((root.tag, root.get("width"), root.get("height")), (SVG + "svg", "800", "500"))
        texts = [t.text for t in root.iter(SVG + "text")]
        for label in ("0", "\u03c0/2", "3\u03c0/2", "2\u03c0", "phase x (rad)", "cells survived"):
            self.assertIn(label, texts)
        # The image is the map's rectangle, bare: the PNG figure's pixels there, less the overlays.
        images = list(root.iter(SVG + "image"))
        self.assertEqual(len(images), 1)
        href = images[0].get("{http://www.w3.org/1999/xlink}href")
        self.assertTrue(href.startswith("data:image/png;base64,"))
        bare = np.asarray(Image.open(io.BytesIO(base64.b64decode(href.split(",", 1)[1]))).convert("RGB"))
        self.assertEqual([float(images[0].get(k)) for k in ("x", "y", "width", "height")], [x, y, w, h])
        self.assertGreaterEqual(agreement(bare, map_reference(0.5, -60, 200, w, h), 0), 0.99)
        # Paths in phase space: the separatrix lies on the level of H through the unstable point.
        paths = {p.get("class"): p.get("d") for p in root.iter(SVG + "path")}
        points = np.array([[float(v) for v in c.split(",")] for c in
                           paths["separatrix"].replace("M", " ").replace("L", " ").replace("Z", " ").split()])
        phase = -60 * DEG
        s = np.cos(phase)
        x_u = np.arcsin(abs(s)) if s >= 0 else 2 * np.pi - np.arcsin(abs(s))
        energy = points[:, 1] ** 2 / 2 + np.cos(points[:, 0]) + points[:, 0] * s
        self.assertLess(np.abs(energy - (np.cos(x_u) + x_u * s)).max(), 1e-3)
        self.assertTrue(paths["orbit"].startswith("M2,0.5h0"), paths["orbit"][:40])

    def test_shards_join_to_the_unsharded_scan_and_a_resume_finishes_a_cut_file(self):
        r = self.run_tessaline(*SCAN, "--csv", "all.csv")
        self.assertEqual(r.returncode, 0, r.stderr)
        with open(os.path.join(self.dir, "all.csv")) as f:
            whole = f.read()
        rows = rows_of(whole)
        self.assertEqual(len(rows), 12)
        self.assertEqual(sorted({r.split(",")[0] for r in rows}), ["-30", "-45", "-60"])
        # Resumed from a file cut mid-row: the same rows, none twice.
        cut = whole[:whole.index(rows[5]) + 7]
        with open(os.path.join(self.dir, "cut.csv"), "w") as f:
            f.write(cut)
        r = self.run_tessaline(*SCAN, "--resume", "--csv", "cut.csv")
        self.assertEqual(r.returncode, 0, r.stderr)
        with open(os.path.join(self.dir, "cut.csv")) as f:
            self.assertEqual(f.read(), whole)
        # Another scan's file is not resumed, and stays as it was.
        r = self.run_tessaline("--scan", "0.5:2:5", "--phases", "-60:-30:3", "--size", "160x100", "--resume",
                               "--csv", "cut.csv")
        self.assertEqual(r.returncode, 1)
        with open(os.path.join(self.dir, "cut.csv")) as f:
            self.assertEqual(f.read(), whole)
        if WINE:
            return  # the scripts run the Linux program
        env = dict(os.environ, PATH=os.path.dirname(command("tessaline")[-1]) + os.pathsep + os.environ["PATH"],
                   SCAN=" ".join(SCAN))
        env.pop("DISPLAY", None)
        scripts = os.path.join(ROOT, "docs", "cluster")
        # GNU parallel on this machine, 5 shards; then the Slurm script's tasks run by hand, 3 shards.
        subprocess.run(["bash", os.path.join(scripts, "parallel-scan.sh")], cwd=self.dir, check=True,
                       env=dict(env, SHARDS="5", OUT="par"), capture_output=True, timeout=300)
        for k in (1, 2, 3):
            subprocess.run(["bash", os.path.join(scripts, "slurm-scan.sh")], cwd=self.dir, check=True, timeout=300,
                           env=dict(env, OUT="slurm", SLURM_ARRAY_TASK_ID=str(k), SLURM_ARRAY_TASK_COUNT="3"))
        subprocess.run(["bash", os.path.join(scripts, "slurm-scan.sh"), "join", "3"], cwd=self.dir, check=True,
                       env=dict(env, OUT="slurm"), timeout=60)
        subprocess.run(["bash", "-n", os.path.join(scripts, "slurm-scan.sh")], check=True)
        for out, n in (("par", 5), ("slurm", 3)):
            parts = []
            for k in range(1, n + 1):
                with open(os.path.join(self.dir, "%s-%d.csv" % (out, k))) as f:
                    text = f.read()
                self.assertIn("# shard %d/%d\n" % (k, n), text)
                parts.append(rows_of(text))
            self.assertEqual(sorted(sum(parts, [])), sorted(rows))  # every row once
            with open(os.path.join(self.dir, out + ".csv")) as f:
                self.assertEqual(f.read().splitlines(), [l for l in whole.splitlines() if not l.startswith("#")])


if __name__ == "__main__":
    unittest.main()
