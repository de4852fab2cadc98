// One viewer frame (see viewer_frame.h).
#include "app/viewer_frame.h"

#include <cstdio>

#include "app/render/map_png.h"
#include "app/render/stability_shader.h"
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
    overlay_start(&f->overlay);
    f->map = map_view_make();
    f->separatrix = {};
    f->bucket = bucket_status_make();
    f->orbits = {};
    f->plot = {};
    f->picture_number = 1;
    f->have_drawn = false;
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

static MapInputs frame_map_inputs(const ViewerState& s) {
    return {(float)s.d, s.phase, state_maxit(s), s.view, graphics.width, graphics.height};
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
    MapInputs in = frame_map_inputs(s);
    map_view_frame(&f->map, f->program, in, s.preview, now);
    if (s.separatrix_shown) draw_separatrix(&f->separatrix, s.phase, s.view, w, h);
    orbits_draw(&f->orbits, s, w, h);
    // Measured only while something shows it, and never while minimised; the
    // plot's continuum area comes with the count's figures.
    if ((s.status_shown || s.plot_shown) && !minimised && bucket_status_frame(&f->bucket, in.d, in.phase, in.maxit, now))
        area_plot_add(&f->plot, in.phase, in.maxit, in.d, f->bucket.figures.measured_area);
    if (s.plot_shown) area_plot_draw(f->plot, f->bucket.figures.continuum_area, in.d, w, h);
    overlay_draw(&f->overlay, s.d, s.phase, f->fragment_log, f->link_log);
    status_draw(s, f->map.progress, f->bucket);
    if (s.help_shown) help_draw();
    f->drawn = s;  // before the save, whose notice is for the next frame
    f->have_drawn = true;
    if (s.save_requested) save_picture(state, &f->picture_number, now);
}
