// --render's figures (see figure_run.h).
#include "app/headless/figure_run.h"

#include <cstdio>
#include <string>

#include "app/model/map_colours.h"
#include "app/overlays/manifold_overlay.h"
#include "app/overlays/orbits.h"
#include "app/overlays/overlay.h"
#include "app/overlays/overlay_draw.h"
#include "app/overlays/physics_overlay.h"
#include "app/render/figure.h"
#include "app/render/figure_svg.h"
#include "app/render/map_png.h"
#include "app/render/map_view.h"
#include "app/render/passes_shader.h"
#include "framework/shader/shader.h"
#include "framework/text/font.h"
#include "framework/text/text.h"
#include "framework/window/file_write.h"
#include "framework/window/graphics.h"

namespace {

// The orbits' starts as the viewer keeps clicked ones, tracked with the render's map.
ViewerState orbit_state(const CliOptions& o, const HeadlessParams& p) {
    ViewerState s = viewer_state_make(p.phase_degrees, p.cells, p.harmonic);
    s.view = headless_view(o);
    for (size_t k = 0; k + 1 < o.orbits.size(); k += 2) {
        OrbitStart& start = s.orbits[s.orbit_count++];
        start = {o.orbits[k], o.orbits[k + 1], (float)o.d, p.phase, p.maxit, harmonic_uniforms(p.harmonic),
                 s.orbit_serial++};
    }
    return s;
}

std::string title_of(const HeadlessParams& p, double d) {
    char text[160];
    snprintf(text, sizeof text, "phase %s deg   d %s   cells %d", real_text(p.phase_degrees).c_str(),
             real_text(d).c_str(), p.cells);
    std::string title = text;
    if (harmonic_on(p.harmonic))
        title += "   harmonic " + std::to_string(p.harmonic.number) + " ratio " + real_text(p.harmonic.ratio) +
                 " phase " + real_text(p.harmonic.phase_degrees) + " deg";
    return title;
}

// The map of w x h pixels in the target's bottom-left corner, recoloured on
// the scale asked for, before any overlay.
void draw_map_corner(const CliOptions& o, const HeadlessParams& p, GLuint program, int w, int h) {
    MapInputs in = {(float)o.d, p.phase, p.maxit, headless_view(o), w, h, harmonic_uniforms(p.harmonic)};
    if (o.scale == MAP_SCALE_PROGRAM) {
        draw_map_target(program, in, w, h);
        return;
    }
    // Released with the run's context.
    GLuint passes = build_fragment_program(passes_fragment_source().c_str(), nullptr, nullptr);
    draw_map_target(passes, in, w, h);
    RgbPicture counts = figure_read(0, 0, w, h);
    figure_recolour(&counts, o.scale, p.maxit);
    figure_put(counts, 0, 0);
}


bool write_svg(const CliOptions& o, const HeadlessParams& p, const FigureParams& figure, const FigureLayout& layout,
               const RgbPicture& map) {
    // The SVG's separatrix is the single-RF one.
    SvgOverlays overlays = {o.separatrix && !harmonic_on(p.harmonic), p.phase, separatrix_colour, {}, {}};
    if (!o.orbits.empty()) {
        Orbits orbits = {};
        orbits_sync(&orbits, orbit_state(o, p));
        for (int i = 0; i < orbits.count; i++) {
            overlays.orbits.push_back(orbits.tracks[i].points);
            overlays.orbit_colours.push_back(orbit_colour(orbits.tracks[i].serial));
        }
    }
    std::string svg;
    return figure_svg(figure, layout, map, overlays, font_line_height, &svg) &&
           write_file_whole(o.output.c_str(), svg.data(), svg.size());
}

}  // namespace

bool figure_wanted(const CliOptions& o) { return o.axes || o.flip || o.scale != MAP_SCALE_PROGRAM || o.svg; }

void render_overlays(const CliOptions& o, const HeadlessParams& p, int w, int h) {
    if (o.separatrix) {
        Separatrix separatrix = {};
        draw_separatrix(&separatrix, p.phase, headless_view(o), w, h, p.harmonic);
    }
    if (o.manifolds) {
        ManifoldOverlay manifolds = {};
        draw_manifolds(&manifolds, p.phase, (float)o.d, headless_view(o), w, h, p.harmonic);
    }
    if (!o.orbits.empty()) {
        Orbits orbits = {};
        orbits_draw(&orbits, orbit_state(o, p), headless_view(o), w, h);
    }
}

int figure_render(const CliOptions& o, const HeadlessParams& p, GLuint program) {
    const int fw = graphics.width, fh = graphics.height;
    if (harmonic_on(p.harmonic) && o.scale != MAP_SCALE_PROGRAM) {
        headless_report("--colours log is made from the single-RF program; with a second harmonic use the program's colours");
        return CLI_EXIT_USAGE;
    }
    overlay_load_font();
    FigureParams figure = {fw, fh, headless_view(o), o.flip, o.scale, p.maxit, title_of(p, o.d)};
    FigureLayout layout = {};
    layout.fits = true;
    layout.map = {0, 0, fw, fh};
    if (o.axes) {
        layout = figure_layout(figure, text_width, font_line_height);
        if (!layout.fits) {
            char message[120];
            snprintf(message, sizeof message, "--size %dx%d is too small for --axes", fw, fh);
            headless_report(message);
            return CLI_EXIT_FAILED;
        }
    }
    // The map at its own size in the target's corner: window coordinates
    // and read-back there are the corner's, as if it were the whole target.
    const int mw = layout.map.w, mh = layout.map.h;
    graphics.width = mw;
    graphics.height = mh;
    glViewport(0, 0, mw, mh);
    draw_map_corner(o, p, program, mw, mh);
    if (!o.svg) render_overlays(o, p, mw, mh);  // the SVG has them as paths over the bare map
    RgbPicture map = figure_read(0, 0, mw, mh);
    graphics.width = fw;
    graphics.height = fh;
    glViewport(0, 0, fw, fh);
    if (o.flip) figure_flip(&map);
    if (o.axes) figure_draw_layout(figure, layout);
    figure_put(map, layout.map.x, layout.map.y);
    glFinish();
    if (headless_gl_failed("drawing the figure")) return CLI_EXIT_FAILED;
    bool written;
    if (o.svg) {
        written = write_svg(o, p, figure, layout, map);
    } else {
        const FigureRect& r = layout.map;
        std::string rect = std::to_string(r.x) + "," + std::to_string(r.y) + "," + std::to_string(r.w) + "," +
                           std::to_string(r.h);
        std::vector<PngText> more;
        if (o.axes) more.push_back({"map rect", rect.c_str()});
        if (o.flip) more.push_back(map_png_flipped);
        if (o.scale == MAP_SCALE_LOG) more.push_back({"colours", "log"});
        written = save_figure_png(o.output.c_str(), fw, fh, p.phase_degrees, o.d, p.cells, headless_view(o), more.data(),
                                  (int)more.size());
    }
    return written ? CLI_EXIT_OK : headless_write_failed(o.output);
}
