// Text drawing in window pixels: the begin_text / end_text bracket with its
// anti-aliasing replay, and draw_text's layout of glyph quads from the current
// font's atlas (line breaks, word and character wrap, limit, inline commands).
#include <cmath>
#include <cstdint>
#include <cstring>

#include "framework/draw/draw2d.h"
#include "framework/platform/gl.h"
#include "framework/text/font.h"
#include "framework/text/text.h"
#include "framework/util/utils.h"

float text_scale_x = 1.0f;
float text_scale_y = 1.0f;
int text_blend_mode = 3;
float letter_spacing = 0.13f;
int text_pass_colour = 0;
unsigned text_list = 0;
int text_passes = 0;
uint8_t fixed_pitch = 0;

// Passes as begin_text saw them, so that end_text closes exactly what it opened.
static int bracket_passes = 0;

static uint8_t red_of(int colour) { return (uint8_t)(colour >> 16); }
static uint8_t green_of(int colour) { return (uint8_t)(colour >> 8); }
static uint8_t blue_of(int colour) { return (uint8_t)colour; }

// Each of n passes adds 1/n of the text; 256/n, kept to a byte.
static uint8_t pass_alpha(int n) {
    int alpha = n > 0 ? 256 / n : 255;
    return (uint8_t)(alpha > 255 ? 255 : alpha);
}

static bool same_style(const FontStyle& a, const FontStyle& b) {
    return a.base == b.base && a.x_scale == b.x_scale && a.y_scale == b.y_scale && a.skew == b.skew &&
           a.boldness == b.boldness && a.own_glyph_count == b.own_glyph_count && a.reserved == b.reserved;
}

int set_text_blend_mode(int mode) {
    text_blend_mode = mode;
    return mode;
}

void begin_text() {
    glPushAttrib(GL_TEXTURE_BIT | GL_COLOR_BUFFER_BIT | GL_ENABLE_BIT | GL_TRANSFORM_BIT);
    begin_window_coords();
    glScalef(text_scale_x, text_scale_y, 1);
    glEnable(GL_BLEND);
    glDisable(GL_LIGHTING);
    switch (text_blend_mode) {
    case 1: glBlendFunc(GL_ONE, GL_ZERO); break;
    case 2: glBlendFunc(GL_DST_COLOR, GL_ONE_MINUS_SRC_ALPHA); break;
    case 3: glBlendFunc(GL_ONE, text_passes != 0 ? GL_ONE : GL_ONE_MINUS_SRC_COLOR); break;
    case 4: glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA); break;
    default: break;  // the caller's blend function stays
    }
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, current_font ? current_font->texture : 0);
    // Mipmaps blur the sub-pixel replays, so the passes sample level 0 only.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, text_passes == 0 ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
    bracket_passes = text_passes;
    if (bracket_passes != 0) {
        text_list = glGenLists(1);
        glNewList(text_list, GL_COMPILE);
    }
    glBegin(GL_QUADS);
}

void end_text() {
    glEnd();
    int n = bracket_passes;
    if (n != 0) {
        glEndList();
        glMatrixMode(GL_MODELVIEW);
        if (n > 0) {
            int a = (int)(std::sqrt((double)n) + 0.5);
            glBlendFunc(GL_SRC_ALPHA, GL_ONE);
            glColor4ub(red_of(text_pass_colour), green_of(text_pass_colour), blue_of(text_pass_colour),
                       pass_alpha(n));
            // Pass i lands on column i/n and row ((a*i + i/a) mod n)/n of a pixel: n distinct
            // columns and rows, spread like a small Latin square.
            for (int i = 0; i < n; i++) {
                glPushMatrix();
                glTranslatef((float)i / (n * text_scale_x), (float)((a * i + i / a) % n) / (n * text_scale_y), 0);
                glCallList(text_list);
                glPopMatrix();
            }
        }
        glDeleteLists(text_list, 1);
        bracket_passes = 0;
    }
    end_window_coords();
    glPopAttrib();
}

static float le_float(const unsigned char* p) {
    uint32_t bits = (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
    float f;
    memcpy(&f, &bits, sizeof f);
    return f;
}

void draw_text(float x0, float y, float wrap, float limit, const char* text, int colour) {
    if (!text) text = "NULL?";
    if (!*text) return;
    Font* entry = current_font;
    if (!entry) return;  // nothing to draw with
    const FontStyle s0 = entry->style;
    const Font* base = s0.base ? s0.base : entry;
    float sx = s0.x_scale, sy = s0.y_scale;
    float du = entry->texture_width > 0 ? 1.0f / entry->texture_width : 0.0f;
    float dv = entry->texture_height > 0 ? 1.0f / entry->texture_height : 0.0f;

    // With passes the colour goes into the list with the pass alpha, so that n
    // replays add up to the text once instead of n times over.
    if (text_passes != 0) {
        text_pass_colour = colour;
        glColor4ub(red_of(colour), green_of(colour), blue_of(colour), pass_alpha(text_passes));
    } else {
        glColor3ub(red_of(colour), green_of(colour), blue_of(colour));
    }

    const unsigned char* p = (const unsigned char*)text;
    float x = x0;
    int offset = 0;  // vertical offset of the last size command, pixels, positive upward
    while (*p) {
        int c;
        if (*p == 2) {  // encoded text carries whole payloads (markup writes them so)
            c = p[1] * 256 + p[2];
            p += 3;
        } else if (*p == 5) {
            int sub = p[1];
            const unsigned char* q = p + 2;
            p += 6;
            if (sub == 1) {
                x = le_float(q);
            } else if (sub == 2) {
                int size = q[0] | q[1] << 8;
                int v = (int16_t)(uint16_t)(q[2] | q[3] << 8);
                float scale = size / 256.0f;
                sx = s0.x_scale * scale;
                sy = s0.y_scale * scale;
                int new_offset = trunc_int(v * base->max_height * s0.y_scale + 128) / 256;
                y = y + offset - new_offset;
                offset = new_offset;
                FontStyle s = s0;
                s.x_scale = sx;
                s.y_scale = sy;
                glEnd();  // selecting may make a variant, which queries GL
                select_font_style(s);
                glBegin(GL_QUADS);
            }
            continue;
        } else {
            c = *p++;
        }
        const Font* f = current_font;
        if (c == 10) {
            x = x0;
            y += trunc_int(f->max_height * sy + 0.5) + 1.0f;  // a scale past any int saturates
            continue;
        }
        if (c >= 512) continue;  // beyond the glyph tables: nothing to draw

        float next, gx = x;
        if (fixed_pitch) {
            next = x + font_cell_width;
            gx = x + (font_cell_width - f->glyph_width[c]) / 2;
        } else {
            next = x + trunc_int(font_cell_width * letter_spacing + base->glyph_width[c] * sx * (1 + s0.boldness) +
                                 0.5);
        }
        if (c == 32 && wrap != 0) {
            int w = text_word_width((const char*)p);
            if (gx + w > wrap) {
                next = x0;
                y += f->max_height + 1;
                if (limit != 0 && y > limit) break;
            }
        }
        if (c != 32) {
            float gw = (float)f->glyph_width[c], gh = (float)f->max_height;
            float ul = f->glyph_x[c] * du, ur = ul + gw * du;
            float vt = f->glyph_y[c] * dv, vb = vt + gh * dv;
            glTexCoord2f(ul, vt);
            glVertex2f(gx, y);
            glTexCoord2f(ur, vt);
            glVertex2f(gx + gw * sx, y);
            glTexCoord2f(ur, vb);
            glVertex2f(gx + gw * sx, y + gh * sy);
            glTexCoord2f(ul, vb);
            glVertex2f(gx, y + gh * sy);
        }
        // A word longer than the line breaks after the glyph that crosses the margin.
        if (wrap != 0 && c != 32 && *p != 32 && next > wrap) {
            x = x0;
            y += f->max_height + 1;
            if (limit != 0 && y > limit) break;
        } else {
            x = next;
        }
    }

    // Back to the font of entry, in its own style. The batch is broken only
    // when that takes a selection, which may have to make a variant.
    if (!same_style(s0, current_style)) {
        glEnd();
        select_font_style(s0);
        glBegin(GL_QUADS);
    }
    if (current_font != entry) font_select(entry);
}

void draw_text_once(float x, float y, float wrap, float limit, const char* text, int colour) {
    begin_text();
    draw_text(x, y, wrap, limit, text, colour);
    end_text();
}

void draw_text_boxed(int x, int y, const char* text, int colour, int background) {
    int w = text_width(text);
    int h = font_line_height;
    glBegin(GL_QUADS);
    glColor3ub(red_of(background), green_of(background), blue_of(background));
    glVertex2i(x, y);
    glVertex2i(x + w, y);
    glVertex2i(x + w, y + h);
    glVertex2i(x, y + h);
    glEnd();
    begin_text();
    draw_text((float)x, (float)y, 0, 0, text, colour);
    end_text();
}
