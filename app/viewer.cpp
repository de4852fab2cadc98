// The stability viewer: start-up, then one frame after another until the
// window is closed or Escape or Q is held.
#include <cstdlib>

#include "app/headless.h"
#include "app/overlay.h"
#include "app/stability_shader.h"
#include "app/viewer.h"
#include "app/viewer_params.h"
#include "framework/platform/entry.h"
#include "framework/shader/shader.h"
#include "framework/window/clock.h"
#include "framework/window/error_log.h"
#include "framework/window/graphics.h"

void draw_stability_map(GLuint program, double d, float phase, float maxit) {
    const GraphicsState& g = graphics;
    // Locations are looked up every frame: the program may not have linked (then -1, ignored).
    glUseProgram(program);
    glUniform1f(glGetUniformLocation(program, "d"), (float)d);
    glUniform1f(glGetUniformLocation(program, "phase"), phase);
    glUniform1f(glGetUniformLocation(program, "maxit"), maxit);
    glColor3f(0, 0, 0.5f);  // seen only when the program did not link
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2i(0, 0);
    glTexCoord2f(1, 0);
    glVertex2i(g.width, 0);
    glTexCoord2f(1, 1);
    glVertex2i(g.width, g.height);
    glTexCoord2f(0, 1);
    glVertex2i(0, g.height);
    glEnd();
    glUseProgram(0);
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
