// The message pump with its input snapshot and Alt+Tab handling, and the
// frame helpers: end of frame, clears, and the pointer mark.
#include <algorithm>
#include <cstring>

#include "framework/platform/gl.h"
#include "framework/platform/keymap.h"
#include "framework/window/graphics.h"
#include "framework/window/screenshot.h"

int pump_messages() {
    GraphicsState& g = graphics;
    g.buttons_before = g.buttons;
    g.buttons &= ~(4 | 8);
    g.wheel = 0;
    g.button_presses = 0;
    g.key_press_count = 0;
    while (plat_peek_message()) {  // never waits
        if (plat_get_dispatch_message() == 0) {
            g.quit = 1;  // the quit message: messages behind it stay queued
            return 1;
        }
    }
    if (plat_is_iconic(g.hwnd)) {
        g.minimise_pending = false;
        g.deactivated = false;  // activation brings it back with the keyboard
        plat_sleep(50);  // the frame loop goes on, but a hidden program should not hold the CPU
        return g.quit;   // the snapshot keeps its last state while minimised
    }
    // The keyboard went to another program's window, which the full-screen popup
    // would hide: step aside as Alt+Tab does, until activated again. Only where
    // the focus really is elsewhere: a deactivation may be stale by now.
    if (g.deactivated && !g.windowed && plat_focus_elsewhere(g.hwnd)) g.minimise_pending = true;
    g.deactivated = false;
    if (!g.minimise_pending && !g.windowed) plat_set_topmost(g.hwnd);
    memcpy(g.keys_before, g.keys, sizeof g.keys);
    plat_keyboard_state(g.keys);
    // A Shift release sent to another window never reaches us; the snapshot knows.
    g.shift_down = (g.keys[VK_CODE_SHIFT] & 0x80) != 0;
    if ((g.keys[VK_CODE_MENU] & 0x80) && (g.keys[VK_CODE_TAB] & 0x80)) g.minimise_pending = true;  // Alt+Tab
    if (g.minimise_pending) plat_minimise(g.hwnd);
    return g.quit;
}

void end_frame(uint32_t colour) {
    GraphicsState& g = graphics;
    glFinish();
    plat_swap_buffers(g.hdc);
    if (colour != g.clear_colour) {  // keeps glClearColor out of ordinary frames
        glClearColor((float)((colour >> 16) * 0.00392156862745098),
                     (float)(((colour >> 8) & 0xFF) * 0.00392156862745098),
                     (float)((colour & 0xFF) * 0.00392156862745098), 0);
        g.clear_colour = colour;
    }
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
}

void end_frame_both(uint32_t colour) {
    end_frame(colour);
    end_frame(colour);
}

void reset_draw_buffer() {
    glFinish();
    glDrawBuffer(GL_BACK);
    glLoadIdentity();
}

void clear_rect(int x, int y, int w, int h) {
    glEnable(GL_SCISSOR_TEST);
    glScissor(x, y, w, h);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
}

void draw_cursor(float grey) {
    const GraphicsState& g = graphics;
    GLboolean lit = glIsEnabled(GL_LIGHTING);
    glDisable(GL_LIGHTING);
    glBegin(GL_LINES);
    glColor3f(grey, grey, grey);
    float hx = g.mouse_x + 0.1f, hy = g.mouse_y + 0.1f;
    int small = g.width / 200, large = g.width / 100;  // the mark follows the window width
    glVertex2f(hx, hy);
    glVertex2f((float)(g.mouse_x + small), hy);
    glVertex2f(hx, hy);
    glVertex2f(hx, (float)(g.mouse_y + small));
    glVertex2f(hx, hy);
    glVertex2f((float)(g.mouse_x + large), (float)(g.mouse_y + large));
    glEnd();
    if (lit) glEnable(GL_LIGHTING);
}

int is_dark(uint32_t colour) {
    int s = (int)(colour & 0xFF) * 3 + (int)((colour >> 8) & 0xFF) * 6 + (int)((colour >> 16) & 0xFF) * 2;
    return s < 1402.5 ? 1 : 0;  // half of 255 * 11
}

void draw_contrast_cursor() {
    const GraphicsState& g = graphics;
    int sx = std::min(g.width - 1, g.mouse_x + g.width / 200);
    int sy = std::min(g.height - 1, g.mouse_y + g.height / 200);
    uint32_t word = 0;  // red in the lowest byte
    read_pixel_rows(sx, sy, 1, 1, GL_RGB, (unsigned char*)&word);
    int red = word & 0xFF, green = (word >> 8) & 0xFF, blue = (word >> 16) & 0xFF;
    int s = red * 3 + green * 6 + blue * 2;
    draw_cursor(s < 1402.5 ? 1.0f : 0.0f);
}
