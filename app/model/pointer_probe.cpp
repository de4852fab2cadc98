// The point under the pointer (see pointer_probe.h).
#include "app/model/pointer_probe.h"

#include <climits>
#include <cstdio>

#include "app/model/physics.h"

void pointer_probe_text(const ViewerState& s, int w, int h, char* out, size_t size) {
    if (size) out[0] = 0;
    // The state keeps the pointer in the view's own rows (mirrored while flipped).
    int px = s.last_mouse_x, py = s.last_mouse_y;
    if (px < 0 || py < 0 || px >= w || py >= h) return;
    // The pixel's centre as the program gets it, as a click takes it.
    StartPoint p = program_start((float)view_s(view_x_at(s.view, px + 0.5, w)),
                                 (float)view_t(view_xp_at(s.view, py + 0.5, h)));
    float maxit = state_maxit(s);
    // Past the keys' cap a survivor would cost every frame that many passes on the CPU.
    if (s.cells > viewer_cells_cap) {
        snprintf(out, size, "x %.5g  xp %.5g", p.x, p.xp);
        return;
    }
    int passes = track_start(p.x, p.xp, (float)s.d, s.phase, maxit, nullptr, 0);
    if (passes > maxit || passes == INT_MAX)
        snprintf(out, size, "x %.5g  xp %.5g  survives all %d cells", p.x, p.xp, s.cells);
    else
        snprintf(out, size, "x %.5g  xp %.5g  leaves after %d cells", p.x, p.xp, passes);
}
