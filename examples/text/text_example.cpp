// Text example: the embedded font in several styles and sizes, wrapped,
// limited and fixed-pitch text, markup, boxed text and anti-aliasing passes.
// Escape quits; "--save <file>" draws one frame into a BMP file and exits.
#include <cstdio>
#include <cstring>

#include "framework/draw/draw2d.h"
#include "framework/platform/entry.h"
#include "examples/example_args.h"
#include "framework/platform/gl.h"
#include "framework/text/font.h"
#include "framework/text/markup.h"
#include "framework/text/scene_text.h"
#include "framework/text/text.h"
#include "framework/window/graphics.h"
#include "framework/window/screenshot.h"

static void label(float x, float y, const char* text) { draw_text_once(x, y, 0, 0, text, 0x8080A0); }

static void draw_styles(float x, float y) {
    static const char* const specs[] = {"normal",           "normal:demibold", "normal:bold",
                                        "normal:black",     "normal:italic",   "normal:small",
                                        "normal:size=20px", "normal:big:bold"};
    for (const char* spec : specs) {
        select_font("normal");
        label(x, y, spec);
        select_font(spec);
        draw_text_once(x + 130, y, 0, 0, "The quick brown fox jumps over the lazy dog", 0xFFFFFF);
        y += (font_line_height > 14 ? font_line_height : 14) + 6;
    }
    select_font("normal");
}

static void draw_wrapped(float x, float y) {
    static const char text[] =
        "Word wrap breaks before a word that would cross the margin; a word longer than the line, "
        "such as Pneumonoultramicroscopicsilicovolcanoconiosis, breaks after the glyph that crosses "
        "it. The limit ends the text at the first wrapped line below it.";
    const float wrap = x + 260, limit = y + 4 * 14;
    draw_line(wrap, y - 4, wrap, y + 130, 0x604040);
    draw_line(x - 4, limit, wrap + 4, limit, 0x404060);
    draw_text_once(x, y, wrap, limit, text, 0xFFE080);
}

static void draw_fixed(float x, float y) {
    fixed_pitch = 1;
    begin_text();
    draw_text(x, y, 0, 0, "phase    cells  tune", 0x80FF80);
    draw_text(x, y + 14, 0, 0, "0.25      100   12.5", 0xFFFFFF);
    draw_text(x, y + 28, 0, 0, "3.14159  2000    0.1", 0xFFFFFF);
    draw_text(x, y + 42, 0, 0, "iiiii    WWWWW  mmmmm", 0xC0C0C0);
    end_text();
    fixed_pitch = 0;
}

static void draw_markup(float x, float y) {
    char buf[256] = "alpha, beta, Omega; E = mc^2, x_{ij}, e^{x^2}";
    markup_text(buf, 2);
    draw_text_once(x, y, 0, 0, buf, 0x80E0FF);
    draw_text_boxed((int)x, (int)y + 24, "draw_text_boxed", 0xFFFFFF, 0x305080);
}

// The same line at a quarter-pixel offset with 0, 1, 4 and 9 passes, at double scale.
static void draw_passes(float x, float y) {
    const int counts[] = {0, 1, 4, 9};
    text_scale_x = text_scale_y = 2;
    for (int n : counts) {
        char name[32];
        snprintf(name, sizeof name, "%d passes", n);
        text_passes = n;
        draw_text_once((x + 0.25f) / 2, (y + 0.25f) / 2, 0, 0, name, 0xFFFFFF);
        y += 30;
    }
    text_passes = 0;
    text_scale_x = text_scale_y = 1;
}

// A label laid along two vectors in a turned 3D frame: D one line down, R one
// line height along the line.
static void draw_label_3d(float x, float y) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glFrustum(-0.8, 0.8, -0.6, 0.6, 1, 20);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(x, y, -4);
    glRotatef(-35, 0, 1, 0);
    glRotatef(15, 1, 0, 0);
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_TEXTURE_BIT);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, current_font->texture);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    const double origin[3] = {0, 0, 0}, down[3] = {0, -0.25, 0}, along[3] = {0.25, 0, 0};
    glColor3ub(255, 204, 0);
    glBegin(GL_QUADS);
    draw_text_in_plane(origin, "A label in 3D\nalong two vectors", down, along);
    glEnd();
    glPopAttrib();
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

static void draw_frame() {
    fill_box(0, 0, graphics.width, graphics.height, 0x101828);
    draw_styles(16, 12);
    draw_wrapped(16, 200);
    draw_fixed(330, 200);
    draw_markup(330, 280);
    draw_passes(560, 190);
    draw_label_3d(-1.9f, -1.2f);
    label(16, graphics.height - 22.0f, "Escape quits");
}

int app_main(const char* command_line) {
    char path[512];
    bool save = save_path(command_line, path, sizeof path);
    graphics.windowed = true;
    if (!open_graphics(800, 600, "Tessaline text")) return 1;
    loadfont_data(embedded_font, embedded_font_size, "normal", false);
    if (save) {
        draw_frame();
        glFinish();
        int result = save_window_bmp(path, 0);
        if (result < 0) fprintf(stderr, "could not save %s\n", path);
        return result < 0 ? 1 : 0;
    }
    while (!pump_messages() && !(graphics.keys[0x1B] & 0x80)) {
        draw_frame();
        end_frame(0x000000);
    }
    return 0;
}
