// Orbits over the map (see orbits.h). The points are drawn as vertex arrays
// (OpenGL 1.1): a survivor of 100000 cells brings as many points, every frame.
#include "app/overlays/orbits.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "app/model/harmonic.h"
#include "app/model/physics.h"
#include "app/overlays/overlay_draw.h"
#include "framework/platform/gl.h"

// Blue below full in all of them: every map colour past the first cell has
// full blue, and the first cell's is (3, 25, 128). Pure red is the unstable
// manifold's.
static const int ORBIT_COLOURS[viewer_max_orbits] = {
    0xE0E0E0, 0x00FF00, 0xFF8000, 0xFF00C0, 0x80FF00, 0xFF4080, 0x00C060, 0xC08000,
    0xFF80C0, 0x8040C0, 0x40FFC0, 0xC00000, 0xFFC060, 0x00A000, 0xC040E0, 0x808000,
};

int orbit_colour(int serial) { return ORBIT_COLOURS[(unsigned)serial % viewer_max_orbits]; }

// `second`: the map's second harmonic, whose stable point the tune turns about.
static void track(const OrbitStart& start, const Harmonic& second, OrbitTrack* t) {
    // The start and one point per pass: maxit + 1 passes at most.
    double most = std::max(1.0, std::min((double)orbit_max_points, (double)start.maxit + 2));
    t->serial = start.serial;
    t->d = start.d;
    t->phase = start.phase;
    t->maxit = start.maxit;
    t->second = start.second;
    t->points.assign(2 * (size_t)most, 0.0f);
    t->passes =
        track_start(start.x, start.xp, start.d, start.phase, start.maxit, t->points.data(), (int)most, &start.second);
    size_t kept = (size_t)std::min((double)t->passes + 1, most);
    t->points.resize(2 * kept);
    double centre = NAN;  // a second harmonic moves the stable point
    if (harmonic_on(second)) harmonic_main_point(second, start.phase, &centre);
    t->tune = orbit_tune(t->points.data(), (int)kept, t->passes, start.maxit, start.phase, start.d, centre);
}

static bool same_map(const OrbitTrack& t, const OrbitStart& s) {
    return t.d == s.d && t.phase == s.phase && t.maxit == s.maxit && harmonic_uniforms_equal(t.second, s.second);
}

void orbits_sync(Orbits* o, const ViewerState& s) {
    bool same = o->count == s.orbit_count;
    for (int i = 0; same && i < s.orbit_count; i++)
        same = o->tracks[i].serial == s.orbits[i].serial && same_map(o->tracks[i], s.orbits[i]);
    if (same) return;
    OrbitTrack next[viewer_max_orbits];
    for (int i = 0; i < s.orbit_count; i++) {
        int found = -1;
        for (int k = 0; k < o->count && found < 0; k++)
            if (o->tracks[k].serial == s.orbits[i].serial) found = k;
        if (found >= 0 && same_map(o->tracks[found], s.orbits[i])) next[i] = std::move(o->tracks[found]);
        else track(s.orbits[i], s.harmonic, &next[i]);
    }
    for (int i = 0; i < viewer_max_orbits; i++) o->tracks[i] = std::move(next[i]);
    o->count = s.orbit_count;
    o->pixels_valid = false;
}

void orbits_to_pixels(Orbits* o, const ViewWindow& v, int w, int h) {
    o->pixels.clear();
    const double sx = w / (v.x1 - v.x0), sy = h / (v.xp1 - v.xp0);
    for (int i = 0; i < o->count; i++) {
        const std::vector<float>& p = o->tracks[i].points;
        o->firsts[i] = (int)(o->pixels.size() / 2);
        for (size_t k = 0; k + 1 < p.size(); k += 2) {
            double px = std::floor((p[k] - v.x0) * sx), py = std::floor((p[k + 1] - v.xp0) * sy);
            if (px < 0 || px >= w || py < 0 || py >= h) continue;  // out of view, or the point that left
            o->pixels.push_back((float)(px + 0.5));
            o->pixels.push_back((float)(py + 0.5));
        }
        o->lengths[i] = (int)(o->pixels.size() / 2) - o->firsts[i];
    }
    o->pixels_view = v;
    o->pixels_w = w;
    o->pixels_h = h;
    o->pixels_valid = true;
}

void orbits_draw(Orbits* o, const ViewerState& s, const ViewWindow& v, int w, int h) {
    if (s.orbit_count == 0 && o->count == 0) return;
    orbits_sync(o, s);
    if (!o->pixels_valid || o->pixels_w != w || o->pixels_h != h || !view_equal(o->pixels_view, v))
        orbits_to_pixels(o, v, w, h);
    if (o->pixels.empty()) return;
    begin_overlay_pixels();
    glPointSize((float)orbit_point_size);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, o->pixels.data());
    for (int i = 0; i < o->count; i++) {
        int c = orbit_colour(o->tracks[i].serial);
        glColor3ub((GLubyte)(c >> 16), (GLubyte)(c >> 8), (GLubyte)c);
        glDrawArrays(GL_POINTS, o->firsts[i], o->lengths[i]);
    }
    glDisableClientState(GL_VERTEX_ARRAY);
    end_overlay_pixels();
}

void orbit_tune_text(const Orbits& o, char* out, size_t size) {
    if (size) out[0] = 0;
    if (o.count == 0) return;
    const OrbitTune& t = o.tracks[o.count - 1].tune;
    if (t.survived) snprintf(out, size, "orbit tune %.4g deg, max |xp| %.4g", t.tune_degrees, t.amplitude);
    else snprintf(out, size, "orbit lost after %d cells, max |xp| %.4g", t.cells, t.amplitude);
}
