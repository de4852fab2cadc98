// The stability viewer: start-up, then one frame after another until the
// window is closed or Escape or Q is pressed; phase and cells changed with the
// keys go back to "config.txt" at the end. This file only strings the parts
// together: controls (viewer_state), then the frame (viewer_frame: map,
// physics over it, texts).
#include <cstdlib>

#include "app/headless/headless.h"
#include "app/viewer_frame.h"
#include "app/model/viewer_params.h"
#include "app/model/viewer_state.h"
#include "framework/platform/entry.h"
#include "framework/window/clock.h"
#include "framework/window/error_log.h"
#include "framework/window/frame_pace.h"
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

int app_main(const char*) {
    int argc = 0;
    const char* const* argv = plat_arguments(&argc);
    // Any argument selects the command line and its exit code (the entry
    // returns 0 whatever app_main returns); with none the viewer starts.
    if (argc > 1) exit(command_line_main(argc, argv));
    GraphicsState& g = graphics;
    ViewerParams params = read_viewer_params();
    g.window_class = "Tessaline";  // task bars and window rules know it by this
    if (!open_graphics(0, 0, "Tessaline")) return 0;
    static ViewerFrame frame;  // the logs it holds are never released: they live as long as the process
    viewer_frame_start(&frame);
    if (g.width == 0) fatal_error("GRAPHICS() macro not called at LOOP start, or no resolution specified");
    pump_messages();
    ViewerState state = viewer_state_make(params.phase_degrees, params.cells, params.harmonic);

    ViewerInput input = frame_input(timer());
    for (;;) {
        apply_input(&state, input);
        if (g.repaint || !viewer_frame_unchanged(&frame, state)) {
            g.repaint = false;
            viewer_frame(&frame, &state, input.minimised, input.now);
            end_frame(0);
        } else {
            overlay_start(&frame.overlay);  // the picture on screen is this frame already
        }
        pace_frame();  // no faster than the screen shows frames
        if (pump_messages()) break;
        // Escape or Q tapped since the last pump counts too: a frame that takes
        // long (a huge cell count) must not miss a short press.
        input = frame_input(timer());
        if (asked_to_end(input, g.keys)) break;
    }
    save_viewer_params(state.phase_degrees, state.phase_changed, state.cells, state.cells_changed,
                       state.harmonic_changed ? &state.harmonic : nullptr);
    return 0;
}
