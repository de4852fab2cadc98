// The global GraphicsState, window and context creation, the view set-up on
// resize, the window's message handler and the typed-character queue.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "framework/platform/gl.h"
#include "framework/platform/keymap.h"
#include "framework/window/error_log.h"
#include "framework/window/graphics.h"

GraphicsState graphics;

// Every program on the window layer uses `graphics`, so this file and with it
// the hooks are always linked in; they are in place before main, so that a
// fatal error before the window exists still shows its box.
[[maybe_unused]] static const bool error_hooks_installed = (install_window_error_hooks(), true);

int open_graphics(int width, int height, const char* title) {
    GraphicsState& g = graphics;
    int wx, wy;
    if (width == 0) {
        g.width = plat_metric(METRIC_CXSCREEN);
        int h = plat_metric(METRIC_CYSCREEN);
        wx = wy = 0;
        if (g.windowed) {
            g.height = (int)(h * 0.6);  // a 4:3 window 60 % of the screen high
            g.width = (4 * g.height) / 3;
        } else {
            g.height = h;
        }
    } else if (width == -1) {
        wx = plat_metric(METRIC_XVIRTUALSCREEN);
        wy = plat_metric(METRIC_YVIRTUALSCREEN);
        g.width = plat_metric(METRIC_CXVIRTUALSCREEN);
        g.height = plat_metric(METRIC_CYVIRTUALSCREEN);
    } else {
        g.width = width;
        g.height = height;
        wx = g.window_x;
        wy = g.window_y;
    }
    int ww = g.width, wh = g.height;
    if (g.windowed) {
        ww += 2 * plat_metric(METRIC_CXFRAME);
        wh += plat_metric(METRIC_CYCAPTION) + 2 * plat_metric(METRIC_CYFRAME);
        int px, py;
        plat_cursor_pos(&px, &py);
        int vx = plat_metric(METRIC_XVIRTUALSCREEN), vy = plat_metric(METRIC_YVIRTUALSCREEN);
        int vw = plat_metric(METRIC_CXVIRTUALSCREEN), vh = plat_metric(METRIC_CYVIRTUALSCREEN);
        // Centred on the pointer, inside the virtual screen; the left/top edge wins when too big.
        int cx = px - ww / 2, cy = py - wh / 2;
        wx = std::max(vx, std::min(cx, vx + vw - ww));
        wy = std::max(vy, std::min(cy, vy + vh - wh));
    }
    // Zero or negative sizes create nothing.
    if (g.width <= 0 || g.height <= 0) return 0;

    memset(g.keys, 0, sizeof g.keys);
    memset(g.keys_before, 0, sizeof g.keys_before);

    if (!plat_register_window_class(g.instance, g.icon, g.window_class))
        fatal_error("Failed To Register The Window Class.");
    g.hwnd = plat_create_window(title ? title : "", g.windowed ? STYLE_FRAMED : STYLE_POPUP, wx, wy, ww, wh,
                                g.instance);
    if (!g.hwnd) fatal_error("Window Creation Error.");
    g.hdc = plat_get_dc(g.hwnd);
    int format = plat_choose_pixel_format(g.hdc);
    if (!format) fatal_error("Can't Find A Suitable PixelFormat.");
    if (!plat_set_pixel_format(g.hdc, format)) fatal_error("Can't Set The PixelFormat.");
    g.hglrc = plat_create_context(g.hdc);
    if (!g.hglrc) fatal_error("Can't Create A GL Rendering Context.");
    if (!plat_make_current(g.hdc, g.hglrc)) fatal_error("Can't activate GLRC.");

    init_gl_state(g.width, g.height);

    if (width > 0 && !g.windowed) plat_change_display_mode(g.width, g.height);
    if (!g.windowed) plat_show_cursor(false);
    return 1;
}

void init_gl_state(int width, int height) {
    glClearColor(0, 0, 0, 0);
    graphics.clear_colour = CLEAR_COLOUR_UNSET;  // a new context's, not the one end_frame last set
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_DEPTH_TEST);
    glShadeModel(GL_SMOOTH);
    resize_view(width, height);
    glLoadIdentity();
}

void resize_view(int w, int h) {
    if (h <= 0) h = 1;
    graphics.width = w;
    graphics.height = h;
    glViewport(0, 0, w, h);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    if (graphics.flat_2d) {
        int half = h / 2;
        glOrtho(0, w, h, 0, half, -half);  // pixels, origin top-left, y downwards
    } else {
        set_perspective_43(90, 0.1f, 1000);
    }
    glMatrixMode(GL_MODELVIEW);
}

static void load_perspective(float fov, float near_plane, float far_plane, bool four_three) {
    glMatrixMode(GL_PROJECTION);
    float m[16] = {};
    float t = (float)tan(fov * 0.008726646259971648);  // half the angle, in radians
    float w = (float)graphics.width, h = (float)graphics.height;
    if (!four_three) {
        m[0] = 1 / t;
        m[5] = w / (h * t);
    } else {
        float v = t * h / w;
        if (v >= 0.75f * t) {  // no wider than 4:3
            m[0] = 1 / t;
            m[5] = 1 / v;
        } else {  // a 4:3 view of the given horizontal angle, widened sideways
            m[0] = 1 / (0.75f * t * w / h);
            m[5] = 1 / (0.75f * t);
        }
    }
    m[10] = (near_plane + far_plane) / (near_plane - far_plane);
    m[11] = -1;
    m[14] = 2 * near_plane * far_plane / (near_plane - far_plane);
    glLoadMatrixf(m);
    glMatrixMode(GL_MODELVIEW);
}

void set_perspective(float fov, float near_plane, float far_plane) {
    load_perspective(fov, near_plane, far_plane, false);
}

void set_perspective_43(float fov, float near_plane, float far_plane) {
    load_perspective(fov, near_plane, far_plane, true);
}

// These run even when the handles were never made: empty handles do nothing.
void release_graphics_context() {
    GraphicsState& g = graphics;
    if (!g.windowed) plat_restore_display_mode();
    plat_make_current(g.hdc, nullptr);
    plat_delete_context(g.hglrc);
    plat_release_dc(g.hwnd, g.hdc);
    g.hglrc = nullptr;  // WM_CLOSE may be followed by WM_DESTROY: release once
    g.hdc = nullptr;
}

static bool is_shift(unsigned char vk) { return vk == VK_CODE_SHIFT || vk_generic(vk) == VK_CODE_SHIFT; }

static void record_key(bool down, unsigned char vk) {
    GraphicsState& g = graphics;
    if (is_shift(vk)) {
        g.shift_down = down;
    } else if (down && g.key_press_count < (int)(sizeof g.key_presses / sizeof g.key_presses[0])) {
        g.key_presses[g.key_press_count++] = (uint16_t)(vk | (g.shift_down ? KEY_PRESS_SHIFT : 0));
    }
}

// The button a press message names, as its bit in buttons; 0 for other messages.
static int button_pressed(unsigned message) {
    return message == MSG_LBUTTONDOWN ? 1 : message == MSG_RBUTTONDOWN ? 2 : message == MSG_MBUTTONDOWN ? 16 : 0;
}

MsgResult window_proc(void* window, unsigned message, MsgWParam wparam, MsgLParam lparam) {
    GraphicsState& g = graphics;
    switch (message) {
    case MSG_MOUSEMOVE:
    case MSG_LBUTTONDOWN:
    case MSG_LBUTTONUP:
    case MSG_RBUTTONDOWN:
    case MSG_RBUTTONUP:
    case MSG_MBUTTONDOWN:
    case MSG_MBUTTONUP:
        g.mouse_x = (int)((uintptr_t)lparam & 0xFFFF);
        g.mouse_y = (int)(((uintptr_t)lparam >> 16) & 0xFFFF);
        g.buttons_raw = (int)(wparam & 0x13);
        if (g.buttons_raw == 0) g.button_latch = 0;  // a button held at open stays unseen until released
        if (g.button_latch == 0) g.buttons = g.buttons_raw;
        if (g.button_latch == 0 && button_pressed(message)) {
            g.button_presses |= button_pressed(message);
            g.press_x = g.mouse_x;
            g.press_y = g.mouse_y;
        }
        return 0;
    case MSG_MOUSEWHEEL:
        if ((int32_t)(uint32_t)wparam > 0) g.buttons |= 4;
        else g.buttons |= 8;
        g.wheel += (int16_t)(uint16_t)((uint32_t)wparam >> 16);  // survives the mouse messages that clear the bits
        return 0;
    case MSG_KEYDOWN:
    case MSG_KEYUP:
        record_key(message == MSG_KEYDOWN, (unsigned char)wparam);
        return plat_default_window_proc(window, message, wparam, lparam);
    case MSG_PAINT:
        g.repaint = true;
        return plat_default_window_proc(window, message, wparam, lparam);  // Win32: validates the window
    case MSG_SIZE:
        g.repaint = true;
        resize_view((int)((uintptr_t)lparam & 0xFFFF), (int)(((uintptr_t)lparam >> 16) & 0xFFFF));
        return 0;
    case MSG_CHAR: {
        size_t n = strlen(g.typed);
        if (n <= 498) {
            g.typed[n] = (char)(wparam & 0xFF);
            g.typed[n + 1] = 0;
        }
        return 0;
    }
    case MSG_ACTIVATEAPP:
        if (wparam == 0) g.deactivated = true;
        return plat_default_window_proc(window, message, wparam, lparam);
    case MSG_SYSKEYDOWN:
        return 0;  // keeps Alt and F10 from the system menu and Alt+F4 from closing
    case MSG_CLOSE:
    case MSG_DESTROY:
        // The context goes now; the window stays until the process ends.
        release_graphics_context();
        g.quit = 1;
        return 0;
    default:
        return plat_default_window_proc(window, message, wparam, lparam);
    }
}

void close_graphics() { release_graphics_context(); }

int next_typed_char() {
    char c = graphics.typed[0];
    if (c == 0) return 0;
    memmove(graphics.typed, graphics.typed + 1, strlen(graphics.typed));  // terminator included
    return (signed char)c;
}
