// The invariant manifolds at the screen's size (1920 x 1080 under
// tools/with-xvfb.sh): the time to grow them per d, their cost in a sweeping
// frame, where d changes every frame and they are grown afresh, and in a frame
// that draws the kept ones, each against the same frame without them; and the
// tracking behind orbits, tunes and --track: 16 orbits of 1000 and 100000 cells.
// Run under an X display: tools/with-xvfb.sh build-linux/manifold_bench [frames]
#include <cmath>
#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "app/model/manifolds.h"
#include "app/model/map_space.h"
#include "app/model/orbit_tune.h"
#include "app/model/physics.h"
#include "app/overlays/manifold_overlay.h"
#include "app/overlays/orbits.h"
#include "framework/platform/gl.h"
#include "framework/window/clock.h"
#include "framework/window/graphics.h"

static size_t points_of(const std::vector<ManifoldPiece>& pieces) {
    size_t n = 0;
    for (const ManifoldPiece& p : pieces) n += p.xy.size() / 2;
    return n;
}

int main(int argc, char** argv) {
    int frames = argc > 1 ? atoi(argv[1]) : 40;
    if (!open_graphics(0, 0, "manifold bench")) return 1;
    const int w = graphics.width, h = graphics.height;
    printf("%d x %d, %s\n", w, h, (const char*)glGetString(GL_RENDERER));

    printf("grown afresh (full view, phase -30):\n");
    for (double d : {0.05, 0.1, 0.25, 0.5, 1.0, 1.5}) {
        static ManifoldOverlay o;
        int reps = 0;
        double t0 = timer(), t = 0;
        do {
            grow_manifolds(map_radians(-30), d, view_full(), w, h, &o.curves);
            manifold_segments(o.curves.unstable, view_full(), w, h, &o.unstable_lines);
            manifold_segments(o.curves.stable, view_full(), w, h, &o.stable_lines);
            reps++;
            t = timer() - t0;
        } while (t < 0.2);
        printf("  d %-5g %8.3f ms   %7zu points, %6zu segments\n", d, t / reps * 1e3,
               points_of(o.curves.unstable) + points_of(o.curves.stable),
               (o.unstable_lines.size() + o.stable_lines.size()) / 4);
    }

    // Per frame, as the frame draws them, each against the same frame
    // without: with d changing every frame (a pointer sweep: grown afresh)
    // and with d resting (the kept segments drawn again).
    auto per_frame = [&](bool drawn, bool sweeping) {
        static ManifoldOverlay o;
        o = {};
        double t0 = timer();
        for (int i = 0; i < frames; i++) {
            double u = (double)i / frames, d = sweeping ? 0.1 + 0.9 * u : 0.5;
            glClear(GL_COLOR_BUFFER_BIT);
            if (drawn) draw_manifolds(&o, map_phase_radians(-30), d, view_full(), w, h);
            glFinish();
        }
        return (timer() - t0) / frames;
    };
    for (bool sweeping : {true, false}) {
        per_frame(true, sweeping);  // warm
        double off = per_frame(false, sweeping), on = per_frame(true, sweeping);
        printf("%s: %6.3f ms a frame with them, %6.3f without: %+.3f ms\n",
               sweeping ? "sweep d 0.1 .. 1 (grown every frame)" : "d resting at 0.5 (kept)            ", on * 1e3,
               off * 1e3, (on - off) * 1e3);
    }

    // Tracking as a click, --track and a re-track do it.
    for (int cells : {1000, 100000}) {
        std::vector<float> points(2 * (size_t)(cells + 2));
        double t0 = timer();
        double tunes = 0;
        for (int k = 0; k < viewer_max_orbits; k++) {
            float xp = 0.05f * (k + 1);
            int passes = track_start(2.1f, xp, 0.5f, map_phase_radians(-30), (float)cells, points.data(), cells + 2);
            int kept = std::min(passes + 1, cells + 2);
            tunes += orbit_tune(points.data(), kept, passes, (float)cells, map_phase_radians(-30), 0.5).amplitude;
        }
        printf("16 orbits of %6d cells tracked, tunes taken: %8.2f ms (%g)\n", cells, (timer() - t0) * 1e3,
               tunes > 0 ? 1.0 : 0.0);
    }
    return 0;
}
