// One viewer frame (see viewer_frame.h).
#include "app/viewer_frame.h"

#include <cstdio>

#include "app/render/map_png.h"
#include "app/render/harmonic_shader.h"
#include "app/render/map_count.h"
#include "app/render/map_programs.h"
#include "app/render/stability_shader.h"
#include "app/overlays/axes_overlay.h"
#include "app/overlays/status.h"
#include "framework/shader/shader.h"
#include "framework/window/graphics.h"

void viewer_frame_start(ViewerFrame* f) {
    overlay_load_font();
    load_gl2_functions();
    char* fragment_log = nullptr;
    char* link_log = nullptr;
    f->program = build_fragment_program(stability_fragment_source, &fragment_log, &link_log);
    f->fragment_log = fragment_log;
    f->link_log = link_log;
    map_programs_start(f->program);
    overlay_start(&f->overlay);
    f->map = map_view_make();
    f->separatrix = {};
    f->bucket = bucket_status_make();
    f->bucket.run = map_count_run;  // the drawn map, counted at the window's size
    f->orbits = {};
    f->plot = {};
    f->manifolds = {};
    f->tune_plot = {};
    f->picture_number = 1;
    f->harmonic_program = 0;
    f->have_drawn = false;
}

// The second harmonic's program, built the first time it is on: a viewer
// that never turns it on builds only the single-RF one, as it always did.
static GLuint harmonic_program(ViewerFrame* f) {
    if (!f->harmonic_program) {
        char *fragment_log = nullptr, *link_log = nullptr;
        f->harmonic_program = build_fragment_program(harmonic_fragment_source, &fragment_log, &link_log);
        f->harmonic_fragment_log = fragment_log;
        f->harmonic_link_log = link_log;
    }
    return f->harmonic_program;
}

// P: the back buffer as it stands, overlays and all, under the next free name.
static void save_picture(ViewerState* s, int* number, double now) {
    s->save_requested = false;
    char name[32], notice[96];
    int n = next_picture_name(*number, name, sizeof name);
    if (n && save_figure_png(name, graphics.width, graphics.height, s->phase_degrees, s->d, s->cells, s->view,
                             &map_png_flipped, s->flipped ? 1 : 0, s->harmonic)) {
        *number = n + 1;
        snprintf(notice, sizeof notice, "saved %s", name);
    } else {
        snprintf(notice, sizeof notice, n ? "could not save %s" : "no free picture name", name);
    }
    state_notice(s, notice, now);
}

static MapInputs frame_map_inputs(const ViewerState& s) {
    return {(float)s.d, s.phase, state_maxit(s), state_shown_view(s), graphics.width, graphics.height,
            harmonic_uniforms(s.harmonic)};
}

bool viewer_frame_unchanged(const ViewerFrame* f, const ViewerState& s) {
    if (!f->have_drawn || !state_same_picture(f->drawn, s)) return false;
    MapInputs in = frame_map_inputs(s);
    if (!map_view_settled(f->map, in)) return false;
    return !(s.status_shown || s.plot_shown) || bucket_status_settled(f->bucket, in.d, in.phase, in.maxit);
}

void viewer_frame(ViewerFrame* f, ViewerState* state, bool minimised, double now) {
    const ViewerState& s = *state;
    const int w = graphics.width, h = graphics.height;
    const bool second = harmonic_on(s.harmonic);
    const ViewWindow shown = state_shown_view(s);
    MapInputs in = frame_map_inputs(s);
    const GLuint program = second ? harmonic_program(f) : f->program;
    // Measured only while something shows it, and never while minimised; the
    // plot's continuum area comes with the count's figures. The count draws
    // into the back buffer, so it comes before the frame's map, which covers it.
    f->bucket.w = w;
    f->bucket.h = h;
    map_count_program = program;
    bool counted = (s.status_shown || s.plot_shown) && !minimised &&
                   bucket_status_frame(&f->bucket, in.d, in.phase, in.maxit, now, s.harmonic);
    map_view_frame(&f->map, program, in, s.preview, now);
    if (s.separatrix_shown) draw_separatrix(&f->separatrix, s.phase, shown, w, h, s.harmonic);
    if (s.manifolds_shown) draw_manifolds(&f->manifolds, in.phase, in.d, shown, w, h, s.harmonic);
    orbits_draw(&f->orbits, s, shown, w, h);
    if (s.axes_shown) axes_draw(s, shown, w, h);
    if (counted) area_plot_add(&f->plot, in.phase, in.maxit, in.d, f->bucket.figures.measured_area, s.harmonic);
    if (s.plot_shown) area_plot_draw(f->plot, f->bucket.figures.continuum_area, in.d, w, h);
    if (s.tune_plot_shown) tune_plot_draw(&f->tune_plot, f->orbits, in.phase, in.d, w, h);
    overlay_draw(&f->overlay, s.d, s.phase, second ? f->harmonic_fragment_log : f->fragment_log,
                 second ? f->harmonic_link_log : f->link_log);
    char orbit[96];
    orbit_tune_text(f->orbits, orbit, sizeof orbit);
    status_draw(s, f->map.progress, f->bucket, orbit);
    if (s.help_shown) help_draw();
    f->drawn = s;  // before the save, whose notice is for the next frame
    f->have_drawn = true;
    if (s.save_requested) save_picture(state, &f->picture_number, now);
}
