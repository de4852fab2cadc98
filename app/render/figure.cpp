// Figures in GL (see figure.h).
#include "app/render/figure.h"

#include <algorithm>
#include <cmath>

#include "app/model/map_colours.h"
#include "app/model/map_space.h"
#include "app/render/passes_shader.h"
#include "framework/draw/draw2d.h"
#include "framework/platform/gl.h"
#include "framework/text/text.h"
#include "framework/window/pixel_store.h"
#include "framework/window/screenshot.h"

RgbPicture figure_read(int x, int y, int w, int h) {
    std::vector<unsigned char> rgba((size_t)w * h * 4);
    read_pixel_rows(x, y, w, h, GL_RGBA, rgba.data());
    RgbPicture p = {w, h, std::vector<unsigned char>((size_t)w * h * 3)};
    for (int row = 0; row < h; row++)  // GL's rows come bottom first
        for (int col = 0; col < w; col++)
            std::copy_n(&rgba[((size_t)(h - 1 - row) * w + col) * 4], 3, &p.rgb[((size_t)row * w + col) * 3]);
    return p;
}

void figure_put(const RgbPicture& p, int x, int y) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_CURRENT_BIT);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    PixelStore saved = pixel_store_pin(false);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);  // rows are packed
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, p.w, p.h, 0, GL_RGB, GL_UNSIGNED_BYTE, p.rgb.data());
    pixel_store_restore(saved);
    begin_window_coords();
    glDisable(GL_BLEND);
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    float x0 = (float)x, y0 = (float)y, x1 = (float)(x + p.w), y1 = (float)(y + p.h);
    glBegin(GL_QUADS);  // the texture's first row is the picture's top
    glTexCoord2f(0, 0);
    glVertex2f(x0, y0);
    glTexCoord2f(1, 0);
    glVertex2f(x1, y0);
    glTexCoord2f(1, 1);
    glVertex2f(x1, y1);
    glTexCoord2f(0, 1);
    glVertex2f(x0, y1);
    glEnd();
    end_window_coords();
    glPopAttrib();
    glDeleteTextures(1, &texture);
}

void figure_recolour(RgbPicture* p, int scale, float maxit) {
    for (size_t k = 0; k + 2 < p->rgb.size(); k += 3) {
        int c = map_scale_colour(scale, passes_at(&p->rgb[k]), maxit);
        p->rgb[k] = (unsigned char)(c >> 16);
        p->rgb[k + 1] = (unsigned char)(c >> 8);
        p->rgb[k + 2] = (unsigned char)c;
    }
}

void figure_flip(RgbPicture* p) {
    size_t row = (size_t)p->w * 3;
    for (int a = 0, b = p->h - 1; a < b; a++, b--)
        std::swap_ranges(p->rgb.begin() + a * row, p->rgb.begin() + (a + 1) * row, p->rgb.begin() + b * row);
}

static void outline(const FigureRect& r) { draw_box(r.x - 0.5, r.y - 0.5, r.w + 1, r.h + 1, 0); }

void figure_draw_layout(const FigureParams& s, const FigureLayout& l) {
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LINE_BIT | GL_COLOR_BUFFER_BIT);
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    begin_window_coords();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glDisable(GL_LINE_SMOOTH);
    glLineWidth(1);
    glBegin(GL_QUADS);  // the bar a row at a time, each the colour of its row's count
    for (int row = 0; row < l.bar.h; row++)
        box_vertices(l.bar.x, l.bar.y + row, l.bar.w, 1,
                     map_scale_colour(s.scale, figure_bar_passes(l, row + 0.5), s.maxit));
    box_vertices(l.survived.x, l.survived.y, l.survived.w, l.survived.h, 0);
    if (l.outside.w > 0) box_vertices(l.outside.x, l.outside.y, l.outside.w, l.outside.h, map_outside_colour);
    glEnd();
    outline(l.bar);
    if (l.outside.w > 0) outline(l.outside);
    glBegin(GL_LINES);
    for (const FigureLine& k : l.lines) line_vertices(k.x0, k.y0, k.x1, k.y1, 0);
    glEnd();
    end_window_coords();
    glPopAttrib();
    // Black text on white: the glyphs' coverage darkens what is behind them.
    int mode = text_blend_mode;
    set_text_blend_mode(0);
    glPushAttrib(GL_COLOR_BUFFER_BIT);
    glBlendFunc(GL_ZERO, GL_ONE_MINUS_SRC_COLOR);
    begin_text();
    for (const FigureText& t : l.texts) {
        int w = text_width(t.text.c_str());
        double x = t.anchor == FIGURE_LEFT ? t.x : t.anchor == FIGURE_CENTRE ? t.x - w / 2.0 : t.x - w;
        draw_text((float)std::floor(x), (float)std::floor(t.y), 0, 0, t.text.c_str(), 0xFFFFFF);
    }
    end_text();
    glPopAttrib();
    set_text_blend_mode(mode);
}
