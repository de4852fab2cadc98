// GraphicsState, the framework's one global record, and the window, context,
// message pump and frame helpers that work on it. Everything runs on the
// thread that called open_graphics.
#pragma once
#include <cstdint>
#include "framework/platform/gl2_functions.h"
#include "framework/platform/keymap.h"
#include "framework/platform/platform.h"

typedef int(APIENTRY* SwapIntervalFn)(int);

double choose_timer();  // first clock reading; picks the clock (clock.h)

// clear_colour when the context's clear colour is not one end_frame set (bit
// 24 matches no 0xRRGGBB), so that the next end_frame sets its own.
const uint32_t CLEAR_COLOUR_UNSET = 0x01000000u;

struct GraphicsState {
    void* instance = nullptr;  // module handle, set by the platform entry
    void* hwnd = nullptr;
    void* hdc = nullptr;
    void* hglrc = nullptr;
    int width = 0;   // client size in pixels
    int height = 0;  // at least 1 after resize_view
    bool windowed = false;  // false: borderless full-screen popup
    int window_x = 0, window_y = 0;  // top-left for an explicit size
    void* icon = nullptr;
    // The window class: how task bars and window rules know the program (X11's WM_CLASS).
    const char* window_class = "OpenGL WinClass";
    bool flat_2d = true;  // resize_view: 2D pixel projection, else 90-degree perspective

    // Input snapshot.
    int mouse_x = 0, mouse_y = 0;  // client pixels, y downwards
    int buttons = 0;         // 1 left, 2 right, 16 middle; 4/8 wheel away/towards since last pump
    int buttons_before = 0;  // buttons when the last pump began
    int buttons_raw = 0;     // button bits of the latest mouse message
    int button_latch = 1;    // mouse messages leave buttons alone until one arrives with none held
    int wheel = 0;           // wheel turned since the last pump: 120 per notch, positive away from the user
    // Buttons pressed since the last pump, bits as in buttons: a click whose
    // release came before the pump is missed by buttons but kept here.
    int button_presses = 0;
    int press_x = 0, press_y = 0;  // pointer at the latest of those presses
    unsigned char keys[384] = {};         // [0..255] keyboard state per pump, top bit = held
    unsigned char keys_before[384] = {};  // keys of the pump before
    // Key presses since the last pump, oldest first: the virtual-key code, plus
    // KEY_PRESS_SHIFT when Shift was down at the press. A tap between two pumps
    // is missed by keys but kept here; auto-repeats count as presses.
    uint16_t key_presses[32] = {};
    int key_press_count = 0;
    bool shift_down = false;  // Shift as the key messages tell it, resynchronised by each snapshot
    int quit = 0;
    // The window's picture was lost (shown again, exposed, resized): a program
    // that leaves unchanged frames undrawn draws the next one; it clears this.
    bool repaint = true;
    bool minimise_pending = false;
    bool deactivated = false;  // told that another program was activated: the pump looks where the focus went
    char typed[500] = {};  // typed characters, oldest first, zero-terminated
    uint32_t clear_colour = CLEAR_COLOUR_UNSET;  // last 0xRRGGBB given to glClearColor

    // Clock.
    double (*timer)() = choose_timer;  // replaced by the chosen clock on first call
    double timer_period = 0;      // seconds per performance-counter tick

    // Error-log stamps.
    char date_format[100] = "yyyy-MMM-dd";
    char time_format[100] = "HH:mm:ss";
    char time_stamp[202] = {};  // date (<100), blank, time (<100)

    // Capability caches.
    float anisotropy = 0;       // 0 = driver maximum, filled on first use
    int has_anisotropic = -1;   // -1 not asked yet
    int has_swap_control = -1;  // -1 not asked yet
    SwapIntervalFn swap_interval_fn = nullptr;

    // OpenGL 2.0 entry points.
    Gl2Functions gl2 = {};
    bool gl2_loaded = false;
    int shader_support_checked = 0;
    int shader_support = 0;
};

extern GraphicsState graphics;

// Window and context.
int open_graphics(int width, int height, const char* title);
void init_gl_state(int width, int height);
void resize_view(int width, int height);
void set_perspective(float fov_degrees, float near_plane, float far_plane);
void set_perspective_43(float fov_degrees, float near_plane, float far_plane);
void close_graphics();
// Display mode back (full screen only), context released and deleted, device
// context released, and both handles emptied so that a second call releases
// nothing; shared by closing, the window's close message and fatal errors.
void release_graphics_context();
int next_typed_char();

// Message pump and frame helpers.
int pump_messages();
void end_frame(uint32_t colour);
void end_frame_both(uint32_t colour);
void reset_draw_buffer();
void clear_rect(int x, int y, int w, int h);
void draw_cursor(float grey);
int is_dark(uint32_t colour);
void draw_contrast_cursor();
