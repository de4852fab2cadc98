// The stability viewer: start-up, then one frame after another until the
// window is closed or Escape or Q is held; phase and cells changed with the
// keys go back to "config.txt" at the end. This file only strings the parts
// together: controls (viewer_state), map (map_view), physics over it
// (physics_overlay, orbits, bucket_status, area_plot), texts (overlay, status).
#include <cstdio>
#include <cstdlib>

#include "app/area_plot.h"
#include "app/bucket_status.h"
#include "app/headless.h"
#include "app/map_png.h"
#include "app/map_view.h"
#include "app/orbits.h"
#include "app/overlay.h"
#include "app/physics_overlay.h"
#include "app/stability_shader.h"
#include "app/status.h"
#include "app/viewer_params.h"
#include "app/viewer_state.h"
#include "framework/platform/entry.h"
#include "framework/shader/shader.h"
#include "framework/window/clock.h"
#include "framework/window/error_log.h"
#include "framework/window/graphics.h"

static ViewerInput frame_input(double now) {
    const GraphicsState& g = graphics;
    ViewerInput in;
    in.width = g.width;
    in.height = g.height;
    in.mouse_x = g.mouse_x;
    in.mouse_y = g.mouse_y;
    in.buttons = g.buttons;
    in.wheel = g.wheel;
    in.presses = g.key_presses;
    in.press_count = g.key_press_count;
    in.minimised = plat_is_iconic(g.hwnd);
    in.clicks = g.button_presses;
    in.click_x = g.press_x;
    in.click_y = g.press_y;
    in.now = now;
    return in;
}

// P: the back buffer as it stands, overlays and all, under the next free name.
static void save_picture(ViewerState* s, int* number, double now) {
    s->save_requested = false;
    char name[32], notice[96];
    int n = next_picture_name(*number, name, sizeof name);
    if (n && save_map_png(name, graphics.width, graphics.height, s->phase_degrees, s->d, s->cells, s->view)) {
        *number = n + 1;
        snprintf(notice, sizeof notice, "saved %s", name);
    } else {
        snprintf(notice, sizeof notice, n ? "could not save %s" : "no free picture name", name);
    }
    state_notice(s, notice, now);
}

int app_main(const char*) {
    int argc = 0;
    const char* const* argv = plat_arguments(&argc);
    // Any argument selects the command line and its exit code (the entry
    // returns 0 whatever app_main returns); with none the viewer starts.
    if (argc > 1) exit(command_line_main(argc, argv));
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
    ViewerState state = viewer_state_make(params.phase_degrees, params.cells);
    MapView map = map_view_make();
    BucketStatus bucket = bucket_status_make();
    Orbits orbits = {};
    AreaPlot plot = {};
    int picture_number = 1;

    ViewerInput input = frame_input(timer());
    for (;;) {
        double now = input.now;
        apply_input(&state, input);
        MapInputs in = {(float)state.d, state.phase, state_maxit(state), state.view, g.width, g.height};
        map_view_frame(&map, program, in, state.preview, now);
        if (state.separatrix_shown) draw_separatrix(state.phase, state.view, g.width, g.height);
        orbits_draw(&orbits, state, g.width, g.height);
        // Measured only while something shows it, and never while minimised.
        if ((state.status_shown || state.plot_shown) && !input.minimised &&
            bucket_status_frame(&bucket, in.d, in.phase, in.maxit, now))
            area_plot_add(&plot, in.phase, in.maxit, in.d, bucket.figures.measured_area);
        if (state.plot_shown) area_plot_draw(plot, continuum_bucket_area(state.phase), in.d, g.width, g.height);
        overlay_draw(&overlay, state.d, state.phase, fragment_log, link_log);
        status_draw(state, map.progress, bucket);
        if (state.help_shown) help_draw();
        if (state.save_requested) save_picture(&state, &picture_number, now);

        end_frame(0);
        if (pump_messages()) break;
        // Escape or Q tapped since the last pump counts too: a frame that takes
        // long (a huge cell count) must not miss a short press.
        input = frame_input(timer());
        if (asked_to_end(input, g.keys)) break;
    }
    save_viewer_params(state.phase_degrees, state.phase_changed, state.cells, state.cells_changed);
    return 0;
}
