// The stability viewer: start-up, then one frame after another until the
// window is closed or Escape or Q is held.
#include <cstdlib>

#include "app/overlay.h"
#include "app/stability_shader.h"
#include "app/viewer.h"
#include "app/viewer_params.h"
#include "framework/platform/entry.h"
#include "framework/shader/shader.h"
#include "framework/window/clock.h"
#include "framework/window/error_log.h"
#include "framework/window/graphics.h"

int app_main(const char*) {
    GraphicsState& g = graphics;
    ViewerParams params = read_viewer_params();
    if (!open_graphics(0, 0, "Tessaline")) return 0;
    overlay_load_font();
    load_gl2_functions();
    char* fragment_log = nullptr;
    char* link_log = nullptr;
    GLuint program = build_fragment_program(stability_fragment_source, &fragment_log, &link_log);
    Overlay overlay;
    overlay_start(&overlay);
    if (g.width == 0) fatal_error("GRAPHICS() macro not called at LOOP start, or no resolution specified");
    pump_messages();
    float maxit = (float)params.cells;

    for (;;) {
        double d = (1.0 / g.width) * (g.mouse_x * 5);
        draw_stability_map(program, d, params.phase, maxit);
        overlay_draw(&overlay, d, params.phase, fragment_log, link_log);

        end_frame(0);
        if (pump_messages() || (g.keys[0x51] & 0x80) || (g.keys[0x1B] & 0x80)) break;
    }
    return 0;
}
