// hello: a window with a line of text above an orange disc, on Tessaline.
// Escape or closing the window ends it.
#include "framework/draw/draw2d.h"
#include "framework/platform/entry.h"
#include "framework/text/font.h"
#include "framework/text/text.h"
#include "framework/window/graphics.h"

static const int escape = 0x1B;  // key codes are Windows virtual-key codes

// The framework's entry (main or WinMain) calls this.
int app_main(const char*) {
    graphics.windowed = true;  // a framed window; false gives a full-screen one
    if (!open_graphics(640, 360, "Tessaline hello")) return 1;
    loadfont_data(embedded_font, embedded_font_size, "normal", false);

    // pump_messages turns true once the window is closed; keys holds the
    // keyboard as it was at the last pump (top bit: held).
    while (!pump_messages() && !(graphics.keys[escape] & 0x80)) {
        // Window pixels, origin at the top-left, y downwards.
        fill_circle(320, 210, 90, 0xFF8000);  // colours are 0xRRGGBB
        begin_text();
        draw_text(24, 24, 0, 0, "Hello from Tessaline", 0xFFFFFF);
        end_text();
        end_frame(0x000000);  // show the frame, then clear to black
    }
    return 0;
}
