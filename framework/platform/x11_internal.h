// What the X11 backend's files (x11_platform.cpp, x11_display.cpp) share.
// Nothing outside framework/platform includes it.
#pragma once
#include <X11/Xlib.h>

// The process's connection to the X server, opened on first use; null without one.
Display* x11_display();

// A rectangle in root-window pixels.
struct X11Rect {
    int x, y, w, h;
};

// The monitor that stands for the Windows primary screen: RandR's primary
// monitor, else the one at the root's origin, else the first; the whole root
// window when RandR lists none. Windows puts the primary screen's top-left at
// (0, 0), so the backend's screen coordinates are root pixels minus its origin.
X11Rect x11_primary_monitor(Display* d);
