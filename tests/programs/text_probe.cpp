// Renders one line of text with the embedded font, white on black, and saves
// it as a binary PPM: the end-to-end tests compare the viewer's overlay with it.
// It draws offscreen: a window of its own would take the keyboard from the
// viewer under test, which then steps aside.
// Standard input: the output path on the first line, the text on the second.
#include <cstdio>
#include <cstring>
#include <vector>

#include "framework/platform/entry.h"
#include "framework/platform/gl.h"
#include "framework/text/font.h"
#include "framework/text/text.h"
#include "framework/window/graphics.h"
#include "framework/window/offscreen.h"

int app_main(const char*) {
    char path[1024] = {}, text[1024] = {};
    if (!fgets(path, sizeof path, stdin) || !fgets(text, sizeof text, stdin)) return 1;
    path[strcspn(path, "\r\n")] = 0;
    text[strcspn(text, "\r\n")] = 0;
    const int w = 1200, h = 16;
    char message[400];
    void* context = plat_create_offscreen_context(message, sizeof message);
    OffscreenTarget target;
    if (!context || !offscreen_open(&target, w, h, message, sizeof message)) {
        fprintf(stderr, "text_probe: %s\n", message);
        return 1;
    }
    loadfont_data(embedded_font, embedded_font_size, "normal", false);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    begin_text();
    draw_text(0, 0, 0, 0, text, 0xFFFFFF);
    end_text();
    glFinish();
    std::vector<unsigned char> rows((size_t)w * h * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, graphics.height - h, w, h, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
    FILE* f = fopen(path, "wb");
    if (!f) return 1;
    fprintf(f, "P6 %d %d 255\n", w, h);
    for (int r = h - 1; r >= 0; r--) fwrite(&rows[(size_t)r * w * 3], 1, (size_t)w * 3, f);  // top row first
    fclose(f);
    offscreen_close(&target);
    plat_release_offscreen_context(context);
    printf("saved\n");
    return 0;
}
