// Scene text: glyph quads in line-height units from the current font's glyph
// table and font_line_height, and the blend table of text_blend_mode that
// differs from begin_text's in modes 2 and 3.
#include "framework/text/scene_text.h"

#include "framework/platform/gl.h"
#include "framework/text/font.h"
#include "framework/text/text.h"

// The font and line height every operation here divides by, or null when
// there is none usable: a line height that wrapped to 0 in its 8 bits, or an
// atlas of no size, would put infinities into the vertex stream.
static const Font* layout_font(int* h) {
    const Font* f = current_font;
    *h = font_line_height;
    if (!f || *h == 0 || f->texture_width <= 0 || f->texture_height <= 0) return nullptr;
    return f;
}

static void mapped_corner(TextMapping map, void* context, double u, double v, double s, double t) {
    double x = 0, y = 0, z = 0;
    int colour = 0;
    glTexCoord2f((float)s, (float)t);
    map(u, v, context, &x, &y, &z, &colour);
    glColor3ub((GLubyte)(colour >> 16), (GLubyte)(colour >> 8), (GLubyte)colour);
    glVertex3f((float)x, (float)y, (float)z);
}

void draw_text_mapped(const char* text, TextMapping map, void* context) {
    int h = 0;
    const Font* f = layout_font(&h);
    if (!f || !text || !map) return;
    glPushAttrib(GL_TEXTURE_BIT | GL_COLOR_BUFFER_BIT | GL_ENABLE_BIT);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, f->texture);
    glEnable(GL_BLEND);
    switch (text_blend_mode) {
    case 1: glBlendFunc(GL_ONE, GL_ZERO); break;
    case 2: glBlendFunc(GL_ZERO, GL_ONE_MINUS_SRC_COLOR); break;
    case 3: glBlendFunc(GL_SRC_ALPHA, GL_ONE); break;
    case 4: glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA); break;
    default: break;
    }
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0);
    glBegin(GL_QUADS);
    // The glyph cell widened by half a texel on every side, in texture and
    // geometry alike, so that filtering at the edges is not cut off.
    const double half = 0.5 / h, tw = f->texture_width, th = f->texture_height;
    double c = 0, r = 0;
    for (const unsigned char* p = (const unsigned char*)text; *p; p++) {
        if (*p == '\n') {
            r += 1;
            c = 0;
            continue;
        }
        if (*p == '\t') {
            c += 1;
            continue;
        }
        int w = f->glyph_width[*p];
        double x0 = c - half, x1 = c + (w + 0.5) / h, y0 = r - half, y1 = r + (h + 0.5) / h;
        double ul = (f->glyph_x[*p] - 0.5) / tw, ur = ul + (w + 1) / tw;
        double vt = (f->glyph_y[*p] - 0.5) / th, vb = vt + (h + 1) / th;
        mapped_corner(map, context, x0, y0, ul, vt);
        mapped_corner(map, context, x1, y0, ur, vt);
        mapped_corner(map, context, x1, y1, ur, vb);
        mapped_corner(map, context, x0, y1, ul, vb);
        c += (w + 1.0) / h;
    }
    glEnd();
    glPopAttrib();
}

void map_scaled(double u, double v, void* context, double* x, double* y, double* z, int* colour) {
    const ScaledTextContext* m = (const ScaledTextContext*)context;
    *x = m->x + m->unit * u;
    *y = m->y + m->unit * v;
    *z = 0;
    *colour = m->colour;
}

void draw_text_scaled(double x, double y, double unit, const char* text, int colour) {
    ScaledTextContext m = {x, y, unit, colour};
    draw_text_mapped(text, map_scaled, &m);
}

static void plane_vertex(const double* p, double s, double t) {
    glTexCoord2f((float)s, (float)t);
    glVertex3d(p[0], p[1], p[2]);
}

int draw_text_in_plane(const double origin[3], const char* text, const double line[3], const double advance[3]) {
    int h = 0;
    const Font* f = layout_font(&h);
    if (!f || !origin || !text || !line || !advance) return 0;
    const double tw = f->texture_width, th = f->texture_height;
    double start[3] = {origin[0], origin[1], origin[2]};
    double pen[3] = {origin[0], origin[1], origin[2]};
    for (const unsigned char* p = (const unsigned char*)text; *p; p++) {
        if (*p == '\n') {
            for (int i = 0; i < 3; i++) pen[i] = start[i] += line[i];
            continue;
        }
        if (*p == '\t') {
            for (int i = 0; i < 3; i++) pen[i] += advance[i];
            continue;
        }
        int w = f->glyph_width[*p];
        double q = (double)w / h;
        // The cell shrunk by half a texel, so neighbours in the atlas never bleed in.
        double ul = (f->glyph_x[*p] + 0.5) / tw, ur = ul + (w - 1) / tw;
        double vt = (f->glyph_y[*p] + 0.5) / th, vb = vt + (h - 1) / th;
        double right[3], right_down[3], down[3];
        for (int i = 0; i < 3; i++) {
            right[i] = pen[i] + q * advance[i];
            right_down[i] = right[i] + line[i];
            down[i] = pen[i] + line[i];
        }
        plane_vertex(pen, ul, vt);
        plane_vertex(right, ur, vt);
        plane_vertex(right_down, ur, vb);
        plane_vertex(down, ul, vb);
        for (int i = 0; i < 3; i++) pen[i] = right[i];
    }
    return 0;
}

double text_units_width(const char* text) {
    int h = 0;
    const Font* f = layout_font(&h);
    if (!f || !text) return 0;
    double units = 0;
    for (const unsigned char* p = (const unsigned char*)text; *p; p++) {
        if (*p == '\n') continue;
        units += *p == '\t' ? 1.0 : (double)f->glyph_width[*p] / h;
    }
    return units;
}
