// What the X11 backend's files (x11_platform.cpp, x11_display.cpp,
// x11_offscreen.cpp) share. Nothing outside framework/platform includes it.
#pragma once
#include <X11/Xlib.h>

// The process's connection to the X server, opened on first use; null without one.
Display* x11_display();

// An X error handler that drops the error: Xlib's default one ends the
// process, where a refused request only means a feature is missing.
int x11_ignore_errors(Display*, XErrorEvent*);

// Whether a blank-separated extension list holds name as a whole name: one
// name may be the start of another (GLX_EXT_swap_control_tear). A null list holds none.
bool x11_has_extension(const char* list, const char* name);

// eglGetProcAddress(name) while an offscreen EGL context (x11_offscreen.cpp)
// is current; else null.
void* x11_offscreen_proc_address(const char* name);

// A rectangle in root-window pixels.
struct X11Rect {
    int x, y, w, h;
};

// The monitor that stands for the Windows primary screen: RandR's primary
// monitor, else the one at the root's origin, else the first; the whole root
// window when RandR lists none. Windows puts the primary screen's top-left at
// (0, 0), so the backend's screen coordinates are root pixels minus its origin.
X11Rect x11_primary_monitor(Display* d);
