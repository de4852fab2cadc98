// Screens and display modes for the X11 backend: the screen metrics from the
// RandR monitors, and the full-screen mode change. Windows puts a changed mode
// back whenever the process ends; here that is done on close and fatal error
// (by the framework), at exit, and on SIGINT, SIGTERM and SIGHUP.
#include <X11/Xlib.h>
#ifdef TESS_HAVE_XRANDR
#include <X11/extensions/Xrandr.h>
#endif
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "framework/platform/platform.h"
#include "framework/platform/x11_internal.h"

static X11Rect root_rect(Display* d) {
    Window root;
    int x, y;
    unsigned w = 0, h = 0, border, depth;
    // Asked of the server: the Display's cached size is stale after a mode change.
    if (!XGetGeometry(d, DefaultRootWindow(d), &root, &x, &y, &w, &h, &border, &depth))
        return {0, 0, DisplayWidth(d, DefaultScreen(d)), DisplayHeight(d, DefaultScreen(d))};
    return {0, 0, (int)w, (int)h};
}

X11Rect x11_primary_monitor(Display* d) {
    X11Rect whole = root_rect(d);
#ifdef TESS_HAVE_XRANDR
    int major = 0, minor = 0;
    if (!XRRQueryVersion(d, &major, &minor) || major * 100 + minor < 105) return whole;  // monitors came with 1.5
    int n = 0;
    XRRMonitorInfo* list = XRRGetMonitors(d, DefaultRootWindow(d), True, &n);
    if (!list) return whole;
    int pick = -1;
    for (int i = 0; i < n && pick < 0; i++)
        if (list[i].primary) pick = i;
    for (int i = 0; i < n && pick < 0; i++)
        if (list[i].x == 0 && list[i].y == 0) pick = i;
    if (pick < 0 && n > 0) pick = 0;
    X11Rect r = whole;
    if (pick >= 0 && list[pick].width > 0 && list[pick].height > 0)
        r = {list[pick].x, list[pick].y, list[pick].width, list[pick].height};
    XRRFreeMonitors(list);
    return r;
#else
    return whole;
#endif
}

int plat_metric(int which) {
    Display* d = x11_display();
    if (!d) return 0;
    switch (which) {
    case METRIC_CXSCREEN: return x11_primary_monitor(d).w;
    case METRIC_CYSCREEN: return x11_primary_monitor(d).h;
    case METRIC_XVIRTUALSCREEN: return -x11_primary_monitor(d).x;
    case METRIC_YVIRTUALSCREEN: return -x11_primary_monitor(d).y;
    case METRIC_CXVIRTUALSCREEN: return root_rect(d).w;
    case METRIC_CYVIRTUALSCREEN: return root_rect(d).h;
    // The frame a window manager draws is outside the client window; these
    // stand for it so that framed sizes come out as on Windows.
    case METRIC_CXFRAME: case METRIC_CYFRAME: return 4;
    case METRIC_CYCAPTION: return 23;
    default: return 0;
    }
}

#ifdef TESS_HAVE_XRANDR

namespace {

// The mode to go back to. `changed` is the one field the signal thread and the
// main thread both act on: whoever clears it puts the mode back. Nothing here
// has a destructor, so the signal thread can still read it while exit runs.
struct SavedMode {
    std::atomic<bool> changed{false};
    SizeID size = 0;
    Rotation rotation = 0;
    char display_name[256] = {};
};
SavedMode saved;
int signal_pipe[2] = {-1, -1};

void set_size(Display* d, SizeID size, Rotation rotation) {
    Window root = DefaultRootWindow(d);
    if (XRRScreenConfiguration* conf = XRRGetScreenInfo(d, root)) {
        XRRSetScreenConfig(d, conf, root, size, rotation, CurrentTime);
        XRRFreeScreenConfigInfo(conf);
    }
    XSync(d, False);
}

// Over a connection of its own: the main one may be broken (an I/O error ends
// the process through exit) or in the middle of a request.
void restore_over_new_connection() {
    if (!saved.changed.exchange(false)) return;
    if (Display* d = XOpenDisplay(saved.display_name)) {
        set_size(d, saved.size, saved.rotation);
        XCloseDisplay(d);
    }
}

// A signal handler may do little more than write; the thread reading the pipe
// puts the mode back and then lets the signal end the process as it would have.
void on_signal(int sig) {
    unsigned char s = (unsigned char)sig;
    ssize_t r = write(signal_pipe[1], &s, 1);
    (void)r;
}

void* watch_signals(void*) {
    unsigned char s = 0;
    while (read(signal_pipe[0], &s, 1) != 1)
        if (errno != EINTR) return nullptr;
    restore_over_new_connection();
    signal(s, SIG_DFL);
    raise(s);
    return nullptr;
}

// Once per process, at the first mode change. Signals a program ignores or
// handles itself are left alone.
void guard_until_exit() {
    static bool armed = false;
    if (armed) return;
    armed = true;
    atexit(restore_over_new_connection);
    pthread_t thread;
    if (pipe(signal_pipe) != 0 || pthread_create(&thread, nullptr, watch_signals, nullptr) != 0) return;
    pthread_detach(thread);
    const int signals[] = {SIGINT, SIGTERM, SIGHUP};
    for (int sig : signals) {
        struct sigaction old;
        if (sigaction(sig, nullptr, &old) != 0 || old.sa_handler != SIG_DFL) continue;
        struct sigaction sa = {};
        sa.sa_handler = on_signal;
        sa.sa_flags = SA_RESTART;  // the program runs on undisturbed until the thread ends it
        sigemptyset(&sa.sa_mask);
        sigaction(sig, &sa, nullptr);
    }
}

}  // namespace

void plat_change_display_mode(int width, int height) {
    Display* d = x11_display();
    int ev, err;
    if (!d || !XRRQueryExtension(d, &ev, &err)) return;
    Window root = DefaultRootWindow(d);
    XRRScreenConfiguration* conf = XRRGetScreenInfo(d, root);
    if (!conf) return;
    int n = 0;
    XRRScreenSize* sizes = XRRConfigSizes(conf, &n);
    Rotation rotation;
    SizeID current = XRRConfigCurrentConfiguration(conf, &rotation);
    for (int i = 0; i < n; i++) {
        if (sizes[i].width != width || sizes[i].height != height) continue;
        if (i == current) break;
        bool first = !saved.changed;  // a second change keeps the first original
        if (first) {
            saved.size = current;
            saved.rotation = rotation;
            snprintf(saved.display_name, sizeof saved.display_name, "%s", DisplayString(d));
            guard_until_exit();
        }
        if (XRRSetScreenConfig(d, conf, root, i, rotation, CurrentTime) == 0 && first) saved.changed = true;
        break;
    }
    XRRFreeScreenConfigInfo(conf);
}

void plat_restore_display_mode() {
    // Only a connection that changed the mode has one to restore: a process
    // without a display (--render) must not open one here.
    if (!saved.changed.exchange(false)) return;
    if (Display* d = x11_display()) set_size(d, saved.size, saved.rotation);
}

int plat_refresh_rate() {
    Display* d = x11_display();
    int ev, err;
    if (!d || !XRRQueryExtension(d, &ev, &err)) return 0;
    XRRScreenConfiguration* conf = XRRGetScreenInfo(d, DefaultRootWindow(d));
    if (!conf) return 0;
    int rate = XRRConfigCurrentRate(conf);
    XRRFreeScreenConfigInfo(conf);
    return rate > 1 ? rate : 0;
}

#else

void plat_change_display_mode(int, int) {}
void plat_restore_display_mode() {}
int plat_refresh_rate() { return 0; }

#endif
