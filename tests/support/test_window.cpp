// Test window: a framed window of a known client size with a current context.
#include "tests/support/test_window.h"

#include <cstdio>

#include "framework/platform/gl.h"
#include "framework/window/graphics.h"

void test_window_open(int w, int h) {
    static bool opened = false;
    if (opened) return;
    opened = true;
    graphics.windowed = true;
    if (!open_graphics(w, h, "tessaline test")) {
        fprintf(stderr, "test window could not be opened\n");
        return;
    }
    printf("GL_RENDERER: %s\nGL_VERSION: %s\n", (const char*)glGetString(GL_RENDERER),
           (const char*)glGetString(GL_VERSION));
    fflush(stdout);
}

std::vector<uint8_t> test_read_pixels(int x, int y, int w, int h) {
    std::vector<uint8_t> rows((size_t)w * h * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    std::vector<uint8_t> gl_rows(rows.size());
    glReadPixels(x, graphics.height - (y + h), w, h, GL_RGB, GL_UNSIGNED_BYTE, gl_rows.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    for (int r = 0; r < h; r++)  // GL rows are bottom-up
        for (int i = 0; i < w * 3; i++) rows[(size_t)r * w * 3 + i] = gl_rows[(size_t)(h - 1 - r) * w * 3 + i];
    return rows;
}

uint32_t test_pixel(int x, int y) {
    std::vector<uint8_t> p = test_read_pixels(x, y, 1, 1);
    return (uint32_t)p[0] << 16 | (uint32_t)p[1] << 8 | p[2];
}

std::vector<uint32_t> pack_rgb(const std::vector<uint8_t>& rgb) {
    std::vector<uint32_t> out(rgb.size() / 3);
    for (size_t i = 0; i < out.size(); i++)
        out[i] = (uint32_t)rgb[3 * i] << 16 | (uint32_t)rgb[3 * i + 1] << 8 | rgb[3 * i + 2];
    return out;
}

std::vector<uint32_t> test_read_picture(int w, int h) { return pack_rgb(test_read_pixels(0, 0, w, h)); }

void test_clear(uint32_t rgb) {
    glClearColor((rgb >> 16 & 0xFF) / 255.0f, (rgb >> 8 & 0xFF) / 255.0f, (rgb & 0xFF) / 255.0f, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(0, 0, 0, 0);
}

static const GLenum pixel_store_names[2][4] = {
    {GL_PACK_ALIGNMENT, GL_PACK_ROW_LENGTH, GL_PACK_SKIP_ROWS, GL_PACK_SKIP_PIXELS},
    {GL_UNPACK_ALIGNMENT, GL_UNPACK_ROW_LENGTH, GL_UNPACK_SKIP_ROWS, GL_UNPACK_SKIP_PIXELS}};
static const GLint scrambled_store[4] = {8, 4096, 64, 3};
static const GLint default_store[4] = {4, 0, 0, 0};

void test_scramble_pixel_store() {
    for (const auto& names : pixel_store_names)
        for (int i = 0; i < 4; i++) glPixelStorei(names[i], scrambled_store[i]);
}

bool test_pixel_store_kept() {
    bool kept = true;
    for (const auto& names : pixel_store_names)
        for (int i = 0; i < 4; i++) {
            GLint v = -1;
            glGetIntegerv(names[i], &v);
            kept = kept && v == scrambled_store[i];
            glPixelStorei(names[i], default_store[i]);
        }
    return kept;
}
