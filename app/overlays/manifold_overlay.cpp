// The manifolds overlay (see manifold_overlay.h). Lines rather than the
// separatrix's runs: the manifolds fold back on themselves in the tangle, and
// their points are refined to a pixel or two wherever they show.
#include "app/overlays/manifold_overlay.h"

#include <algorithm>
#include <cmath>

#include "app/overlays/overlay_draw.h"
#include "framework/platform/gl.h"

void manifold_segments(const std::vector<ManifoldPiece>& pieces, const ViewWindow& v, int w, int h,
                       std::vector<float>* out) {
    out->clear();
    for (const ManifoldPiece& p : pieces) {
        size_t n = p.xy.size() / 2;
        if (n < 2) continue;
        double ax = view_px(v, p.xy[0], w), ay = view_py(v, p.xy[1], h);
        for (size_t i = 1; i < n; i++) {
            double bx = view_px(v, p.xy[2 * i], w), by = view_py(v, p.xy[2 * i + 1], h);
            if (i + 1 < n && std::fabs(bx - ax) < 0.5 && std::fabs(by - ay) < 0.5) continue;
            if (std::max(ax, bx) >= -1 && std::min(ax, bx) <= w + 1 && std::max(ay, by) >= -1 &&
                std::min(ay, by) <= h + 1) {
                out->push_back((float)ax);
                out->push_back((float)ay);
                out->push_back((float)bx);
                out->push_back((float)by);
            }
            ax = bx;
            ay = by;
        }
    }
}

static void draw_lines(const std::vector<float>& lines, int colour) {
    if (lines.empty()) return;
    glColor3ub((GLubyte)(colour >> 16), (GLubyte)(colour >> 8), (GLubyte)colour);
    glVertexPointer(2, GL_FLOAT, 0, lines.data());
    glDrawArrays(GL_LINES, 0, (GLsizei)(lines.size() / 2));
}

void draw_manifolds(ManifoldOverlay* o, float phase, double d, const ViewWindow& v, int w, int h,
                    const Harmonic& second) {
    if (!o->valid || phase != o->phase || d != o->d || w != o->w || h != o->h || !view_equal(v, o->view) ||
        !harmonic_equal(second, o->second)) {
        grow_manifolds(phase, d, v, w, h, &o->curves, second);
        o->second = second;
        manifold_segments(o->curves.unstable, v, w, h, &o->unstable_lines);
        manifold_segments(o->curves.stable, v, w, h, &o->stable_lines);
        o->phase = phase;
        o->d = d;
        o->view = v;
        o->w = w;
        o->h = h;
        o->valid = true;
    }
    if (o->unstable_lines.empty() && o->stable_lines.empty()) return;
    begin_overlay_pixels();
    glEnableClientState(GL_VERTEX_ARRAY);
    // The stable one first: where the two cross, the unstable one, which the
    // particles follow out of the bucket, stays on top.
    draw_lines(o->stable_lines, stable_manifold_colour);
    draw_lines(o->unstable_lines, unstable_manifold_colour);
    glDisableClientState(GL_VERTEX_ARRAY);
    end_overlay_pixels();
}
