// Drawing into a framebuffer object of any size instead of a window: with the
// offscreen contexts of the platform layer, pictures need no screen. The
// framebuffer entry points are fetched at run time (OpenGL 3.0 or
// ARB_framebuffer_object, else EXT_framebuffer_object); a context must be current.
#pragma once
#include <cstddef>

struct OffscreenTarget {
    unsigned framebuffer;  // GL names; 0 when not open
    unsigned colour;       // RGBA8 renderbuffer
    unsigned depth;        // 24-bit depth renderbuffer
    int width, height;     // pixels
};

// The largest target the driver takes: GL_MAX_RENDERBUFFER_SIZE within
// GL_MAX_VIEWPORT_DIMS. Zeros when the driver has no framebuffer objects.
void offscreen_max_size(int* max_width, int* max_height);

// Creates a w x h target and binds it for drawing and reading; graphics.width,
// height and the 2D projection are set for it and it is cleared (init_gl_state).
// False, with nothing left behind and the reason in message, when the size is
// not positive or beyond offscreen_max_size (the message gives the maximum),
// framebuffer objects are missing, or the driver cannot hold the picture.
bool offscreen_open(OffscreenTarget* target, int w, int h, char* message, size_t size);

// Binds the window's framebuffer again and deletes the target's objects.
void offscreen_close(OffscreenTarget* target);
