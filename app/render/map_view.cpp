// The map on screen (see map_view.h). Index: the quad and its targets; the
// texture; the cost of a pass; drawing in parts; the frame.
//
// The texture holds the map with GL's rows (bottom first) at texel (0, 0),
// exactly as glCopyTexSubImage2D takes them from the back buffer, so a map
// drawn at full resolution comes back texel for pixel. Only OpenGL 1.1 and
// the 2.0 entry points are used: no framebuffer objects.
#include "app/render/map_view.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "app/render/map_outside.h"
#include "app/render/map_programs.h"
#include "framework/shader/shader.h"
#include "framework/window/clock.h"
#include "framework/window/graphics.h"
#include "framework/window/pixel_store.h"

// ---- the quad and its targets ----

void draw_map_quad(GLuint program, float d, float phase, float maxit, const ViewWindow& v, float x0, float y0,
                   float x1, float y1, const HarmonicUniforms* second) {
    // Past the driver's loop limit the default program's map is drawn in passes.
    if (!(second && second->ratio != 0) && map_programs_draw(program, d, phase, maxit, v, x0, y0, x1, y1)) {
        draw_map_outside(v, x0, y0, x1, y1);
        return;
    }
    float s0 = (float)view_s(v.x0), s1 = (float)view_s(v.x1);
    float t0 = (float)view_t(v.xp0), t1 = (float)view_t(v.xp1);
    // Locations are looked up every frame: the program may not have linked (then -1, ignored).
    glUseProgram(program);
    glUniform1f(glGetUniformLocation(program, "d"), d);
    glUniform1f(glGetUniformLocation(program, "phase"), phase);
    glUniform1f(glGetUniformLocation(program, "maxit"), maxit);
    if (second && second->ratio != 0) {  // the single-RF program's calls stay as they always were
        glUniform1f(glGetUniformLocation(program, "ratio"), second->ratio);
        glUniform1f(glGetUniformLocation(program, "harmonic"), second->number);
        glUniform1f(glGetUniformLocation(program, "hphase"), second->phase);
    }
    glColor3f(0, 0, 0.5f);  // seen only when the program did not link
    map_quad(s0, t0, s1, t1, x0, y0, x1, y1);
    glUseProgram(0);
    draw_map_outside(v, x0, y0, x1, y1);
}

void draw_stability_map(GLuint program, double d, float phase, float maxit) {
    draw_map_quad(program, (float)d, phase, maxit, view_full(), 0, 0, (float)graphics.width,
                  (float)graphics.height);
}

void draw_map_target(GLuint program, const MapInputs& in, int target_w, int target_h) {
    glPushAttrib(GL_VIEWPORT_BIT | GL_ENABLE_BIT | GL_TRANSFORM_BIT | GL_CURRENT_BIT);
    glViewport(0, 0, target_w, target_h);
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, target_w, target_h, 0, -1, 1);  // pixels, y down, as the window's own projection
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    draw_map_quad(program, in.d, in.phase, in.maxit, in.view, 0, 0, (float)target_w, (float)target_h, &in.second);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
}

// ---- the texture ----

MapView map_view_make() {
    MapView m = {};
    m.frame_budget = 0.05;
    m.parts_above = 1.0;
    m.rest = 0.25;
    m.progress = 1;
    return m;
}

void map_view_release(MapView* m) {
    if (m->texture) glDeleteTextures(1, &m->texture);
    MapView fresh = map_view_make();
    fresh.frame_budget = m->frame_budget;
    fresh.parts_above = m->parts_above;
    fresh.rest = m->rest;
    fresh.texture_limit = m->texture_limit;
    *m = fresh;
}

static bool same_inputs(const MapInputs& a, const MapInputs& b) {
    return a.d == b.d && a.phase == b.phase && a.maxit == b.maxit && view_equal(a.view, b.view) &&
           a.width == b.width && a.height == b.height && harmonic_uniforms_equal(a.second, b.second);
}

// Target size of a map drawn at 1/level resolution.
static int level_size(int n, int level) { return (n + level - 1) / level; }

// The texture made w x h and black; false when that is wider than the
// driver's limit or the upload failed.
static bool make_texture(MapView* m, int w, int h) {
    GLint limit = m->texture_limit;
    if (limit <= 0) glGetIntegerv(GL_MAX_TEXTURE_SIZE, &limit);
    if (w > limit || h > limit) return false;
    while (glGetError() != GL_NO_ERROR) {}  // an earlier call's error is not the upload's
    if (!m->texture) glGenTextures(1, &m->texture);
    glBindTexture(GL_TEXTURE_2D, m->texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    std::vector<unsigned char> black((size_t)w * h * 4, 0);  // a map drawn in parts starts on black
    PixelStore saved = pixel_store_pin(false);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, black.data());
    pixel_store_restore(saved);
    return glGetError() == GL_NO_ERROR;  // out of memory shows here
}

// A window-sized texture to keep the map in; false when the driver cannot
// have one, and then none is tried again until the size changes.
static bool ensure_texture(MapView* m, int w, int h) {
    if (m->texture && m->texture_w == w && m->texture_h == h) return true;
    if (m->refused_w == w && m->refused_h == h) return false;
    m->held_level = 0;
    m->held_whole = false;
    m->job_level = 0;
    bool made = make_texture(m, w, h);
    if (!made) {
        if (m->texture) glDeleteTextures(1, &m->texture);
        m->texture = 0;
        m->refused_w = w;
        m->refused_h = h;
    }
    m->texture_w = made ? w : 0;
    m->texture_h = made ? h : 0;
    return made;
}

static void copy_to_texture(const MapView* m, int x, int y, int w, int h) {
    glBindTexture(GL_TEXTURE_2D, m->texture);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, x, y, x, y, w, h);
}

// The texture's target_w x target_h corner over the window rectangle (x0, y0)
// to (x1, y1), in the window's own projection.
static void draw_texture_quad(const MapView* m, int target_w, int target_h, float x0, float y0, float x1, float y1) {
    glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_CURRENT_BIT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, m->texture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    float u = (float)target_w / m->texture_w, v = (float)target_h / m->texture_h;
    glColor3f(1, 1, 1);
    glBegin(GL_QUADS);
    glTexCoord2f(0, v);  // the top row is the texture's last
    glVertex2f(x0, y0);
    glTexCoord2f(u, v);
    glVertex2f(x1, y0);
    glTexCoord2f(u, 0);
    glVertex2f(x1, y1);
    glTexCoord2f(0, 0);
    glVertex2f(x0, y1);
    glEnd();
    glPopAttrib();
}

// The texture's target_w x target_h corner over the whole of the current
// viewport (the window), one texel per pixel when the sizes agree.
static void show_texture(const MapView* m, int target_w, int target_h, int w, int h) {
    draw_texture_quad(m, target_w, target_h, 0, 0, (float)w, (float)h);
}

// What the texture holds, moved and scaled to the view and the layout of the
// map about to be drawn in parts: until a part is drawn, its place shows the
// last picture where that lies in the new view (black beyond it), never the
// last view as it was.
static void reproject_texture(MapView* m, const ViewWindow& to, int level, int w, int h) {
    if (m->held_level == 0 || (m->held_level == level && view_equal(m->held.view, to))) return;
    int from_w = level_size(w, m->held_level), from_h = level_size(h, m->held_level);
    int to_w = level_size(w, level), to_h = level_size(h, level);
    const ViewWindow& v = m->held.view;
    glPushAttrib(GL_VIEWPORT_BIT);
    glViewport(0, 0, to_w, to_h);
    clear_rect(0, 0, to_w, to_h);  // the pass measurement may have drawn here
    // The window's projection squeezed into the target: the old view's corners in the new one, in window pixels.
    draw_texture_quad(m, from_w, from_h, (float)view_px(to, v.x0, w), (float)view_py(to, v.xp0, h),
                      (float)view_px(to, v.x1, w), (float)view_py(to, v.xp1, h));
    glPopAttrib();
    copy_to_texture(m, 0, 0, to_w, to_h);
    m->held_level = level;
    m->held_whole = false;
}

// ---- the cost of a pass ----

// Seconds for one pass of one pixel, measured where every pixel makes every
// pass (d = 0: nothing moves) on a 64 x 64 corner, doubling the passes until
// the draw is long enough to time. The pixels land under this frame's map.
static double measure_pass_seconds(GLuint program, const MapInputs& in) {
    const int side = std::min(64, std::min(in.width, in.height));
    glPushAttrib(GL_SCISSOR_BIT | GL_ENABLE_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, side, side);
    MapInputs still = in;
    still.d = 0;
    double seconds = 0;
    float passes = 255;
    for (;;) {
        still.maxit = passes;
        glFinish();
        double t0 = timer();
        draw_map_target(program, still, in.width, in.height);
        glFinish();
        seconds = timer() - t0;
        if (seconds >= 0.005 || passes >= 1048575) break;
        passes = passes * 2 + 1;
    }
    glPopAttrib();
    return std::max(seconds, 1e-6) / ((double)side * side * (passes + 1));
}

static bool draws_in_parts(MapView* m, GLuint program, const MapInputs& in, int target_w, int target_h) {
    if (in.maxit <= map_whole_cells) return false;
    if (m->pass_seconds <= 0 || (m->timed_program && m->timed_program != program)) {
        m->pass_seconds = measure_pass_seconds(program, in);
        m->timed_program = program;
    }
    return m->pass_seconds * target_w * target_h * ((double)in.maxit + 1) > m->parts_above;
}

// ---- drawing in parts ----

struct Tile {
    int x, y, w, h;  // GL window coordinates, y from the bottom
};

// The next n pixels or so from the cursor: whole bands of 4 rows when the
// cursor is at a band's start and n covers one, else part of the band, at
// least 4 x 4 pixels (graphics hardware shades pixels in blocks).
static Tile next_tile(MapView* m, int n, int target_w, int target_h) {
    int band = std::min(4, target_h - m->job_row);
    Tile t;
    if (m->job_col == 0 && n >= target_w * band) {
        int rows = std::min(target_h - m->job_row, std::max(band, n / target_w / 4 * 4));
        t = {0, target_h - m->job_row - rows, target_w, rows};
        m->job_row += rows;
        return t;
    }
    int cols = std::min(target_w - m->job_col, std::max(4, n / band));
    t = {m->job_col, target_h - m->job_row - band, cols, band};
    m->job_col += cols;
    if (m->job_col >= target_w) {
        m->job_col = 0;
        m->job_row += band;
    }
    return t;
}

// Tiles of the current job until this frame's budget is spent, each sized so
// that even a tile of survivors making every pass fits what is left of it.
static void draw_parts(MapView* m, GLuint program, const MapInputs& in, int target_w, int target_h) {
    double worst = m->pass_seconds * ((double)in.maxit + 1);  // one pixel, every pass
    double start = timer();
    bool drew = false;
    glPushAttrib(GL_SCISSOR_BIT | GL_ENABLE_BIT);
    glEnable(GL_SCISSOR_TEST);
    while (m->job_row < target_h) {
        double left = m->frame_budget - (timer() - start);
        double n = left / worst;
        if (n < 16) {
            if (drew) break;
            n = 16;  // one block a frame however slow: the loop still comes round
        }
        Tile t = next_tile(m, (int)std::min(n, 1e9), target_w, target_h);
        glScissor(t.x, t.y, t.w, t.h);
        draw_map_target(program, in, target_w, target_h);
        copy_to_texture(m, t.x, t.y, t.w, t.h);
        glFinish();
        drew = true;
    }
    glPopAttrib();
    m->job_seconds += timer() - start;
    m->progress = (float)(((double)m->job_row * target_w + (double)m->job_col * std::min(4, target_h - m->job_row)) /
                          ((double)target_w * target_h));
}

// ---- the frame ----

bool map_view_settled(const MapView& m, const MapInputs& in) {
    return m.texture && m.held_whole && m.held_level == 1 && same_inputs(m.held, in);
}

// Half resolution costs a quarter of the full map, a quarter resolution a sixteenth.
static int preview_level(const MapView* m) { return m->full_seconds / 4 <= 1.0 / 30 ? 2 : 4; }

void map_view_frame(MapView* m, GLuint program, const MapInputs& in, bool preview, double now) {
    const int w = in.width, h = in.height;
    if (w <= 0 || h <= 0) return;  // minimised: nothing shows
    if (!m->have_last || !same_inputs(in, m->last)) {
        m->last = in;
        m->have_last = true;
        m->last_change = now;
    }
    int level = preview && now - m->last_change < m->rest ? preview_level(m) : 1;
    if (!ensure_texture(m, w, h)) {
        // Nowhere to keep it: the whole map every frame, as the viewer always drew it.
        draw_map_quad(program, in.d, in.phase, in.maxit, in.view, 0, 0, (float)w, (float)h, &in.second);
        m->progress = 1;
        return;
    }
    if (m->held_whole && m->held_level <= level && same_inputs(m->held, in)) {
        // Nothing that shapes the map changed: the last one again, pixel for pixel.
        show_texture(m, level_size(w, m->held_level), level_size(h, m->held_level), w, h);
        m->progress = 1;
        return;
    }
    int tw = level_size(w, level), th = level_size(h, level);
    if (m->job_level != level || !same_inputs(m->held, in)) {
        m->job_level = level;
        m->job_row = m->job_col = 0;
        m->job_seconds = 0;
    }
    if (!draws_in_parts(m, program, in, tw, th)) {
        double t0 = timer();
        if (level == 1) {
            // The default frame: the quad straight into the window, as it always was.
            draw_map_quad(program, in.d, in.phase, in.maxit, in.view, 0, 0, (float)w, (float)h, &in.second);
        } else {
            draw_map_target(program, in, tw, th);
        }
        copy_to_texture(m, 0, 0, tw, th);
        glFinish();
        if (level == 1) m->full_seconds = timer() - t0;
        else show_texture(m, tw, th, w, h);
        m->held = in;
        m->held_level = level;
        m->held_whole = true;
        m->job_level = 0;
        m->progress = 1;
        return;
    }
    if (m->job_row == 0 && m->job_col == 0) reproject_texture(m, in.view, level, w, h);
    m->held = in;
    m->held_level = level;
    m->held_whole = false;
    draw_parts(m, program, in, tw, th);
    if (m->job_row >= th) {
        m->held_whole = true;
        m->job_level = 0;
        if (level == 1) m->full_seconds = m->job_seconds;
    }
    show_texture(m, tw, th, w, h);
}
