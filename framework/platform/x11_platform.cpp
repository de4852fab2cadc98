// X11/GLX backend of the platform contract (platform.h). Each function does
// what the framework expects of the Win32 call it stands for: X events are
// queued as Win32-numbered messages and dispatched to window_proc, the
// keyboard snapshot is indexed by virtual-key codes, and so on. Screen
// metrics and display modes are in x11_display.cpp.
#include "framework/platform/platform.h"

#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/XKBlib.h>
#include <X11/keysym.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <string>

#include "framework/platform/keymap.h"
#include "framework/platform/time_picture.h"
#include "framework/platform/x11_internal.h"

namespace {

struct QueuedMessage {
    unsigned message;
    MsgWParam wparam;
    MsgLParam lparam;
};

// The one window of the process and what belongs to it.
struct X11State {
    Display* display = nullptr;
    bool display_tried = false;
    Window window = 0;
    XVisualInfo* visual = nullptr;
    Colormap colormap = 0;
    Atom wm_protocols = 0, wm_delete = 0;
    bool class_registered = false;
    std::string class_name;  // WM_CLASS: the instance is its lower case
    bool popup = false;
    bool iconic = false;
    bool destroyed = false;
    bool focused = false;   // keyboard input comes to this window
    bool grabbed = false;   // another client holds a keyboard grab for now
    bool obscured = false;  // something is stacked over part of it
    int width = 0, height = 0;  // last client size reported
    int cursor_count = 0;       // ShowCursor display counter
    Cursor blank_cursor = 0;
    unsigned char vk_plain[256] = {};  // virtual-key code per keycode, Num Lock off
    unsigned char vk_num[256] = {};    // the same with Num Lock on
    unsigned num_lock_mask = 0, scroll_lock_mask = 0;  // modifiers the lock keys set; 0 if none
    unsigned char toggled[256] = {};  // low bit of the keyboard state
    std::deque<QueuedMessage> queue;
};

X11State x;
int dc_token;  // the "device context" handed out: the address stands for the window

// Built at start and again whenever the keyboard mapping changes.
void load_key_tables(Display* d) {
    memset(x.vk_plain, 0, sizeof x.vk_plain);
    memset(x.vk_num, 0, sizeof x.vk_num);
    int min_kc = 0, max_kc = 0;
    XDisplayKeycodes(d, &min_kc, &max_kc);
    for (int kc = min_kc; kc <= max_kc && kc < 256; kc++) {
        KeySym plain = XkbKeycodeToKeysym(d, (KeyCode)kc, 0, 0);
        KeySym shifted = XkbKeycodeToKeysym(d, (KeyCode)kc, 0, 1);
        x.vk_plain[kc] = vk_from_key(plain, shifted, false);
        x.vk_num[kc] = vk_from_key(plain, shifted, true);
    }
    x.num_lock_mask = XkbKeysymToModifiers(d, XK_Num_Lock);
    x.scroll_lock_mask = XkbKeysymToModifiers(d, XK_Scroll_Lock);
}

const unsigned char* key_table(unsigned modifiers) {
    return x.num_lock_mask && (modifiers & x.num_lock_mask) ? x.vk_num : x.vk_plain;
}

}  // namespace

int x11_ignore_errors(Display*, XErrorEvent*) { return 0; }

bool x11_has_extension(const char* list, const char* name) {
    size_t n = strlen(name);
    for (const char* p = list; p && (p = strstr(p, name)) != nullptr; p += n)
        if ((p == list || p[-1] == ' ') && (p[n] == ' ' || p[n] == 0)) return true;
    return false;
}

Display* x11_display() {
    if (!x.display && !x.display_tried) {
        x.display_tried = true;
        x.display = XOpenDisplay(nullptr);
        if (x.display) {
            XSetErrorHandler(x11_ignore_errors);
            load_key_tables(x.display);
        }
    }
    return x.display;
}

namespace {

MsgLParam pack_point(int px, int py) {
    return (MsgLParam)(((unsigned)py & 0xFFFFu) << 16 | ((unsigned)px & 0xFFFFu));
}

unsigned button_bits(unsigned state) {
    unsigned b = 0;
    if (state & Button1Mask) b |= MK_LEFT;
    if (state & Button3Mask) b |= MK_RIGHT;
    if (state & Button2Mask) b |= MK_MIDDLE;
    return b;
}

void push(unsigned message, MsgWParam w, MsgLParam l) { x.queue.push_back({message, w, l}); }

// One X event becomes zero or more messages (a key press also gives its characters,
// as TranslateMessage would).
void translate(XEvent& e) {
    switch (e.type) {
    case MotionNotify:
        push(MSG_MOUSEMOVE, button_bits(e.xmotion.state), pack_point(e.xmotion.x, e.xmotion.y));
        break;
    case ButtonPress:
    case ButtonRelease: {
        unsigned b = e.xbutton.button;
        bool down = e.type == ButtonPress;
        if (b == 4 || b == 5) {
            if (down) {
                int delta = b == 4 ? 120 : -120;  // 4: wheel turned away from the user
                uint32_t w = ((uint32_t)(uint16_t)(int16_t)delta << 16) | button_bits(e.xbutton.state);
                push(MSG_MOUSEWHEEL, (MsgWParam)w, pack_point(e.xbutton.x_root, e.xbutton.y_root));
            }
            break;
        }
        unsigned bit = b == 1 ? (unsigned)MK_LEFT : b == 3 ? (unsigned)MK_RIGHT : b == 2 ? (unsigned)MK_MIDDLE : 0u;
        if (!bit) break;
        unsigned held = button_bits(e.xbutton.state);  // state before this event
        held = down ? (held | bit) : (held & ~bit);
        unsigned msg = b == 1 ? (down ? MSG_LBUTTONDOWN : MSG_LBUTTONUP)
                     : b == 3 ? (down ? MSG_RBUTTONDOWN : MSG_RBUTTONUP)
                              : (down ? MSG_MBUTTONDOWN : MSG_MBUTTONUP);
        push(msg, held, pack_point(e.xbutton.x, e.xbutton.y));
        break;
    }
    case KeyPress:
    case KeyRelease: {
        unsigned kc = e.xkey.keycode & 0xFF;
        unsigned char vk = key_table(e.xkey.state)[kc];
        bool alt = (e.xkey.state & Mod1Mask) != 0 || vk == VK_CODE_LMENU || vk == VK_CODE_RMENU ||
                   vk == VK_CODE_F10;
        bool down = e.type == KeyPress;
        if (down) {
            x.toggled[vk] ^= 1;
            if (unsigned char g = vk_generic(vk)) x.toggled[g] ^= 1;
        }
        unsigned msg = down ? (alt ? MSG_SYSKEYDOWN : MSG_KEYDOWN) : (alt ? MSG_SYSKEYUP : MSG_KEYUP);
        push(msg, vk, (MsgLParam)(kc << 16));
        if (down && !alt) {
            char text[32];
            KeySym sym;
            int n = XLookupString(&e.xkey, text, sizeof text, &sym, nullptr);
            for (int i = 0; i < n; i++) push(MSG_CHAR, (unsigned char)text[i], 1);
        }
        break;
    }
    case EnterNotify:
        // As Windows tells a window that appears under the pointer where it is.
        if (e.xcrossing.window == x.window)
            push(MSG_MOUSEMOVE, button_bits(e.xcrossing.state), pack_point(e.xcrossing.x, e.xcrossing.y));
        break;
    case FocusIn:
        if (e.xfocus.window == x.window) x.focused = true, x.grabbed = false;
        break;
    case FocusOut:
        // Another client's grab (a window manager's Alt+Tab, a screen locker)
        // leaves the focus here, but what is typed meanwhile goes to that client.
        if (e.xfocus.window != x.window || e.xfocus.detail == NotifyInferior) break;
        if (e.xfocus.mode == NotifyGrab) {
            x.grabbed = true;
        } else {
            x.focused = x.grabbed = false;
            push(MSG_ACTIVATEAPP, 0, 0);  // as Windows tells a deactivated program
        }
        break;
    case Expose:
        if (e.xexpose.window == x.window && e.xexpose.count == 0) push(MSG_PAINT, 0, 0);
        break;
    case VisibilityNotify:
        if (e.xvisibility.window == x.window) x.obscured = e.xvisibility.state != VisibilityUnobscured;
        break;
    case MappingNotify:
        if (e.xmapping.request != MappingPointer) {
            XRefreshKeyboardMapping(&e.xmapping);
            load_key_tables(e.xmapping.display);
        }
        break;
    case ConfigureNotify:
        if (e.xconfigure.window == x.window &&
            (e.xconfigure.width != x.width || e.xconfigure.height != x.height)) {
            x.width = e.xconfigure.width;
            x.height = e.xconfigure.height;
            push(MSG_SIZE, 0, pack_point(x.width, x.height));
        }
        break;
    case MapNotify:
        if (e.xmap.window == x.window) {
            if (x.iconic) {
                x.iconic = false;
                push(MSG_SIZE, 0, pack_point(x.width, x.height));
            }
            if (x.popup) XSetInputFocus(x.display, x.window, RevertToPointerRoot, CurrentTime);
        }
        break;
    case UnmapNotify:
        if (e.xunmap.window == x.window && !x.destroyed) {
            x.iconic = true;
            push(MSG_SIZE, 1 /* SIZE_MINIMIZED */, 0);
        }
        break;
    case ClientMessage:
        if (e.xclient.message_type == x.wm_protocols && (Atom)e.xclient.data.l[0] == x.wm_delete)
            push(MSG_CLOSE, 0, 0);
        break;
    case DestroyNotify:
        if (e.xdestroywindow.window == x.window) {
            x.destroyed = true;
            push(MSG_DESTROY, 0, 0);
        }
        break;
    default:
        break;
    }
}

void pull_events() {
    Display* d = x11_display();
    if (!d) return;
    while (x.queue.empty() && XPending(d)) {
        XEvent e;
        XNextEvent(d, &e);
        translate(e);
    }
}

// An initial window-manager state, set before the window is mapped.
void set_state_atom(const char* name) {
    Atom state = XInternAtom(x.display, "_NET_WM_STATE", False);
    Atom value = XInternAtom(x.display, name, False);
    XChangeProperty(x.display, x.window, state, XA_ATOM, 32, PropModeAppend, (unsigned char*)&value, 1);
}

// The popup is a managed window, so that a window manager can list it when it
// is minimised and bring it back: no decorations, above the others, and full
// screen when it covers the primary monitor.
void make_popup_hints(int cx, int cy, int cw, int ch) {
    struct {
        unsigned long flags, functions, decorations;
        long input_mode;
        unsigned long status;
    } motif = {2 /* decorations */, 0, 0, 0, 0};
    Atom hints = XInternAtom(x.display, "_MOTIF_WM_HINTS", False);
    XChangeProperty(x.display, x.window, hints, hints, 32, PropModeReplace, (unsigned char*)&motif, 5);
    set_state_atom("_NET_WM_STATE_ABOVE");
    X11Rect m = x11_primary_monitor(x.display);
    if (cx == m.x && cy == m.y && cw == m.w && ch == m.h) set_state_atom("_NET_WM_STATE_FULLSCREEN");
}

// What task bars and window rules read: the title as UTF-8 (EWMH; ASCII
// titles are UTF-8 already) and the class with its lower-case instance name.
void set_names(const char* title) {
    Atom utf8 = XInternAtom(x.display, "UTF8_STRING", False);
    for (const char* name : {"_NET_WM_NAME", "_NET_WM_ICON_NAME"})
        XChangeProperty(x.display, x.window, XInternAtom(x.display, name, False), utf8, 8, PropModeReplace,
                        (const unsigned char*)title, (int)strlen(title));
    std::string instance = x.class_name;
    for (char& c : instance) c = (char)tolower((unsigned char)c);
    XClassHint hint = {&instance[0], &x.class_name[0]};
    XSetClassHint(x.display, x.window, &hint);
}

// ICCCM: a window manager owns the selection WM_S<screen>.
bool window_manager_running() {
    char name[32];
    snprintf(name, sizeof name, "WM_S%d", DefaultScreen(x.display));
    return XGetSelectionOwner(x.display, XInternAtom(x.display, name, False)) != None;
}

}  // namespace

bool plat_cursor_pos(int* px, int* py) {
    Display* d = x11_display();
    *px = *py = 0;
    if (!d) return false;
    Window root, child;
    int wx, wy;
    unsigned mask;
    if (!XQueryPointer(d, DefaultRootWindow(d), &root, &child, px, py, &wx, &wy, &mask)) return false;
    X11Rect m = x11_primary_monitor(d);
    *px -= m.x;
    *py -= m.y;
    return true;
}

bool plat_register_window_class(void*, void*, const char* class_name) {
    if (x.class_registered) return false;  // as RegisterClassA: the class exists already
    x.class_registered = true;
    x.class_name = class_name ? class_name : "";
    return true;
}

void* plat_create_window(const char* title, unsigned style, int wx, int wy, int ww, int wh, void*) {
    Display* d = x11_display();
    if (!d || x.window) return nullptr;
    int screen = DefaultScreen(d);
    int attrs[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE, 8,
                   GLX_DEPTH_SIZE, 24, None};
    x.visual = glXChooseVisual(d, screen, attrs);
    if (!x.visual) {
        int fallback[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_DEPTH_SIZE, 16, None};
        x.visual = glXChooseVisual(d, screen, fallback);
    }
    Visual* vis = x.visual ? x.visual->visual : DefaultVisual(d, screen);
    int depth = x.visual ? x.visual->depth : DefaultDepth(d, screen);
    x.popup = (style & 0x80000000u) != 0;  // WS_POPUP
    // The framed size includes the frame; the X window is the client area only.
    int cw = ww, ch = wh, cx = wx, cy = wy;
    if (!x.popup) {
        int fx = plat_metric(METRIC_CXFRAME), fy = plat_metric(METRIC_CYFRAME), cap = plat_metric(METRIC_CYCAPTION);
        cw = ww - 2 * fx;
        ch = wh - cap - 2 * fy;
        cx = wx + fx;
        cy = wy + cap + fy;
    }
    if (cw < 1) cw = 1;
    if (ch < 1) ch = 1;
    X11Rect primary = x11_primary_monitor(d);
    cx += primary.x;
    cy += primary.y;
    x.colormap = XCreateColormap(d, RootWindow(d, screen), vis, AllocNone);
    XSetWindowAttributes swa = {};
    swa.colormap = x.colormap;
    swa.background_pixel = 0;
    swa.border_pixel = 0;
    swa.event_mask = KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                     EnterWindowMask | StructureNotifyMask | FocusChangeMask | ExposureMask |
                     VisibilityChangeMask;
    x.window = XCreateWindow(d, RootWindow(d, screen), cx, cy, (unsigned)cw, (unsigned)ch, 0, depth,
                             InputOutput, vis, CWColormap | CWBackPixel | CWBorderPixel | CWEventMask, &swa);
    if (!x.window) return nullptr;
    XStoreName(d, x.window, title ? title : "");
    set_names(title ? title : "");
    XSizeHints hints = {};
    hints.flags = USPosition | USSize;
    hints.x = cx;
    hints.y = cy;
    hints.width = cw;
    hints.height = ch;
    XSetWMNormalHints(d, x.window, &hints);
    x.wm_protocols = XInternAtom(d, "WM_PROTOCOLS", False);
    x.wm_delete = XInternAtom(d, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(d, x.window, &x.wm_delete, 1);
    if (x.popup) make_popup_hints(cx, cy, cw, ch);
    XMapRaised(d, x.window);
    // Wait until the window is viewable, as CreateWindowExA returns a shown window.
    for (int i = 0; i < 2000; i++) {
        XWindowAttributes wa;
        if (XGetWindowAttributes(d, x.window, &wa) && wa.map_state == IsViewable) break;
        XSync(d, False);
        struct timespec ts = {0, 1000000};
        nanosleep(&ts, nullptr);
    }
    if (x.popup) XSetInputFocus(d, x.window, RevertToPointerRoot, CurrentTime);
    XSync(d, False);
    x.width = cw;
    x.height = ch;
    // A visible window gets its size message during creation.
    window_proc((void*)x.window, MSG_SIZE, 0, pack_point(cw, ch));
    return (void*)x.window;
}

void* plat_get_dc(void* window) { return window && (Window)window == x.window ? &dc_token : nullptr; }

int plat_choose_pixel_format(void* dc) { return dc && x.visual ? (int)x.visual->visualid : 0; }

bool plat_set_pixel_format(void* dc, int format) { return dc && x.visual && (int)x.visual->visualid == format; }

void* plat_create_context(void* dc) {
    if (!dc || !x.visual) return nullptr;
    return glXCreateContext(x.display, x.visual, nullptr, True);
}

bool plat_make_current(void* dc, void* context) {
    if (!x.display) return false;
    if (!context) return glXMakeCurrent(x.display, None, nullptr);
    if (!dc || x.destroyed) return false;
    return glXMakeCurrent(x.display, x.window, (GLXContext)context);
}

bool plat_delete_context(void* context) {
    if (!context || !x.display) return false;
    glXDestroyContext(x.display, (GLXContext)context);
    return true;
}

void plat_release_dc(void*, void*) {}

void plat_show_cursor(bool show) {
    x.cursor_count += show ? 1 : -1;
    if (!x.display || !x.window) return;
    if (x.cursor_count < 0) {
        if (!x.blank_cursor) {
            char zero[8] = {};
            Pixmap p = XCreateBitmapFromData(x.display, x.window, zero, 8, 8);
            XColor black = {};
            x.blank_cursor = XCreatePixmapCursor(x.display, p, p, &black, &black, 0, 0);
            XFreePixmap(x.display, p);
        }
        XDefineCursor(x.display, x.window, x.blank_cursor);
    } else {
        XUndefineCursor(x.display, x.window);
    }
    XFlush(x.display);
}

MsgResult plat_default_window_proc(void* window, unsigned message, MsgWParam, MsgLParam) {
    // The one default action that matters: closing destroys the window.
    if (message == MSG_CLOSE && window && (Window)window == x.window && !x.destroyed && x.display) {
        XDestroyWindow(x.display, x.window);
        XSync(x.display, False);
    }
    return 0;
}

void plat_swap_buffers(void* dc) {
    if (dc && x.display && x.window && !x.destroyed) glXSwapBuffers(x.display, x.window);
}

void* plat_gl_proc_address(const char* name) {
    if (void* egl = x11_offscreen_proc_address(name)) return egl;
    return (void*)glXGetProcAddress((const GLubyte*)name);
}

namespace {

typedef void (*SwapIntervalExtFn)(Display*, GLXDrawable, int);
typedef int (*SwapIntervalMesaFn)(unsigned);
SwapIntervalExtFn swap_interval_ext_fn;
SwapIntervalMesaFn swap_interval_mesa_fn;

const char* glx_extensions() {
    Display* d = glXGetCurrentDisplay();
    const char* list = d ? glXQueryExtensionsString(d, DefaultScreen(d)) : nullptr;
    return list ? list : "";
}

// wglSwapIntervalEXT's shape over the two GLX forms. glXGetProcAddress hands
// out a stub for any name, so only a listed extension's function is fetched.
int swap_interval_ext(int frames) {
    Display* d = glXGetCurrentDisplay();
    GLXDrawable drawable = glXGetCurrentDrawable();
    if (!d || !drawable) return 0;
    swap_interval_ext_fn(d, drawable, frames);
    return 1;
}

int swap_interval_mesa(int frames) { return frames >= 0 && swap_interval_mesa_fn((unsigned)frames) == 0; }

}  // namespace

bool plat_has_swap_control() {
    const char* list = glx_extensions();
    return x11_has_extension(list, "GLX_EXT_swap_control") || x11_has_extension(list, "GLX_MESA_swap_control");
}

void* plat_swap_interval_proc() {
    const char* list = glx_extensions();
    if (x11_has_extension(list, "GLX_EXT_swap_control")) {
        swap_interval_ext_fn = (SwapIntervalExtFn)glXGetProcAddress((const GLubyte*)"glXSwapIntervalEXT");
        if (swap_interval_ext_fn) return (void*)swap_interval_ext;
    }
    if (x11_has_extension(list, "GLX_MESA_swap_control")) {
        swap_interval_mesa_fn = (SwapIntervalMesaFn)glXGetProcAddress((const GLubyte*)"glXSwapIntervalMESA");
        if (swap_interval_mesa_fn) return (void*)swap_interval_mesa;
    }
    return nullptr;
}

bool plat_peek_message() {
    pull_events();
    return !x.queue.empty();
}

int plat_get_dispatch_message() {
    Display* d = x11_display();
    while (x.queue.empty()) {  // GetMessageA waits for a message
        if (!d) return 0;
        XEvent e;
        XNextEvent(d, &e);
        translate(e);
    }
    QueuedMessage m = x.queue.front();
    x.queue.pop_front();
    if (m.message == MSG_QUIT) return 0;
    window_proc((void*)x.window, m.message, m.wparam, m.lparam);
    return 1;
}

void plat_post_quit_message(int code) { push(MSG_QUIT, (MsgWParam)code, 0); }

bool plat_is_iconic(void*) { return x.iconic; }

// Called on every pump; under a window manager each raise is a request to the
// manager, so it is made only while something covers the window.
void plat_set_topmost(void* window) {
    if (x.display && window && !x.destroyed && x.obscured) XRaiseWindow(x.display, (Window)window);
}

// None, the pointer's window and the root are where a manager leaves the
// focus between windows, not another program's window.
bool plat_focus_elsewhere(void* window) {
    if (!x.display || !window) return false;
    Window focus = None;
    int revert = 0;
    XGetInputFocus(x.display, &focus, &revert);
    return focus != None && focus != PointerRoot && focus != DefaultRootWindow(x.display) && focus != (Window)window;
}

void plat_minimise(void* window) {
    if (!x.display || !window || x.destroyed) return;
    XIconifyWindow(x.display, (Window)window, DefaultScreen(x.display));
    // A manager lists the iconic window and brings it back when it is activated.
    // With none to honour the request, take the window off the screen ourselves.
    if (!window_manager_running()) XUnmapWindow(x.display, (Window)window);
    XFlush(x.display);
}

// Keys seen while another client holds the keyboard: Alt, Tab and Shift.
static bool grab_passes(unsigned char vk) {
    switch (vk) {
    case VK_CODE_TAB: case VK_CODE_SHIFT: case VK_CODE_LSHIFT: case VK_CODE_RSHIFT:
    case VK_CODE_MENU: case VK_CODE_LMENU: case VK_CODE_RMENU:
        return true;
    default:
        return false;
    }
}

void plat_keyboard_state(unsigned char keys[256]) {
    for (int i = 0; i < 256; i++) keys[i] = x.toggled[i] & 1;
    Display* d = x11_display();
    if (!d) return;
    // The lock keys' toggle bits are the lock state; one bound to no modifier
    // (Scroll Lock, often) keeps counting presses.
    unsigned locked = 0;
    XkbStateRec st;
    if (XkbGetState(d, XkbUseCoreKbd, &st) == Success) {
        locked = st.locked_mods;
        keys[VK_CODE_CAPITAL] = (locked & LockMask) ? 1 : 0;
        if (x.num_lock_mask) keys[VK_CODE_NUMLOCK] = (locked & x.num_lock_mask) ? 1 : 0;
        if (x.scroll_lock_mask) keys[VK_CODE_SCROLL] = (locked & x.scroll_lock_mask) ? 1 : 0;
    }
    // XQueryKeymap is the whole display's keyboard: only this program's while it has the focus.
    if (!x.focused) return;
    char map[32];
    XQueryKeymap(d, map);
    const unsigned char* table = key_table(locked);
    for (int kc = 0; kc < 256; kc++) {
        if (!(map[kc >> 3] & (1 << (kc & 7)))) continue;
        unsigned char vk = table[kc];
        if (!vk) continue;
        // Under another client's grab only what Alt+Tab is made of counts: a
        // password typed into a screen locker is not this program's input.
        if (x.grabbed && !grab_passes(vk)) continue;
        keys[vk] |= 0x80;
        if (unsigned char g = vk_generic(vk)) keys[g] |= 0x80;
    }
}

double plat_display_scale() {
    Display* d = x11_display();
    const char* resources = d ? XResourceManagerString(d) : nullptr;
    // Desktops publish their scale as the Xft.dpi resource ("Xft.dpi:\t192").
    for (const char* p = resources; p && (p = strstr(p, "Xft.dpi:")) != nullptr; p += 8) {
        if (p != resources && p[-1] != '\n') continue;
        double dpi = strtod(p + 8, nullptr);
        if (dpi > 0) return dpi / 96.0;
    }
    return 1.0;
}

void plat_sleep(unsigned milliseconds) {
    struct timespec ts = {(time_t)(milliseconds / 1000), (long)(milliseconds % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

void plat_message_box(const char* text, const char* caption) {
    fprintf(stderr, "%s: %s\n", caption, text);
    fflush(stderr);
    Display* d = XOpenDisplay(nullptr);  // a connection of its own: the main one may be in any state
    if (!d) return;
    int screen = DefaultScreen(d);
    // Lines of the message, for layout.
    std::string all = text ? text : "";
    std::deque<std::string> lines;
    size_t start = 0;
    for (;;) {
        size_t nl = all.find('\n', start);
        lines.push_back(all.substr(start, nl == std::string::npos ? std::string::npos : nl - start));
        if (nl == std::string::npos) break;
        start = nl + 1;
    }
    XFontStruct* font = XLoadQueryFont(d, "fixed");
    int line_h = font ? font->ascent + font->descent : 13;
    int text_w = 0;
    for (auto& l : lines) {
        int w = font ? XTextWidth(font, l.c_str(), (int)l.size()) : (int)l.size() * 6;
        if (w > text_w) text_w = w;
    }
    int w = text_w + 40 < 240 ? 240 : text_w + 40;
    int h = (int)lines.size() * line_h + 70;
    X11Rect m = x11_primary_monitor(d);
    if (w > m.w) w = m.w;
    int bx = m.x + (m.w - w) / 2, by = m.y + (m.h - h) / 2;
    XSetWindowAttributes swa = {};
    swa.background_pixel = WhitePixel(d, screen);
    swa.override_redirect = True;  // above the full-screen popup
    swa.event_mask = ExposureMask | KeyPressMask | ButtonPressMask;
    Window box = XCreateWindow(d, RootWindow(d, screen), bx < 0 ? 0 : bx, by < 0 ? 0 : by, (unsigned)w,
                               (unsigned)h, 1, CopyFromParent, InputOutput, CopyFromParent,
                               CWBackPixel | CWOverrideRedirect | CWEventMask, &swa);
    XStoreName(d, box, caption ? caption : "");
    Atom del = XInternAtom(d, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(d, box, &del, 1);
    XMapRaised(d, box);
    GC gc = XCreateGC(d, box, 0, nullptr);
    XSetForeground(d, gc, BlackPixel(d, screen));
    if (font) XSetFont(d, gc, font->fid);
    XSync(d, False);
    XSetInputFocus(d, box, RevertToPointerRoot, CurrentTime);
    bool done = false;
    while (!done) {
        XEvent e;
        XNextEvent(d, &e);
        switch (e.type) {
        case Expose: {
            int y = 20 + (font ? font->ascent : 10);
            for (auto& l : lines) {
                XDrawString(d, box, gc, 20, y, l.c_str(), (int)l.size());
                y += line_h;
            }
            const char* ok = "[ OK ]";
            XDrawString(d, box, gc, w / 2 - 18, h - 15, ok, (int)strlen(ok));
            break;
        }
        case KeyPress: {
            KeySym k = XLookupKeysym(&e.xkey, 0);
            if (k == XK_Return || k == XK_KP_Enter || k == XK_Escape || k == XK_space) done = true;
            break;
        }
        case ButtonPress: done = true; break;
        case ClientMessage:
            if ((Atom)e.xclient.data.l[0] == del) done = true;
            break;
        }
    }
    XFreeGC(d, gc);
    if (font) XFreeFont(d, font);
    XDestroyWindow(d, box);
    XCloseDisplay(d);
}

static uint64_t monotonic_ns() {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (uint64_t)ts.tv_sec * 1000000000ull + (uint64_t)ts.tv_nsec;
}

bool plat_perf_frequency(unsigned* low, int* high) {
    *low = 1000000000u;  // nanoseconds
    *high = 0;
    return true;
}

bool plat_perf_counter(unsigned* low, int* high) {
    uint64_t v = monotonic_ns();
    *low = (unsigned)(v & 0xFFFFFFFFu);
    *high = (int)(v >> 32);
    return true;
}

uint32_t plat_tick_count() { return (uint32_t)(monotonic_ns() / 1000000u); }

void plat_local_time(SysTime* out) {
    struct timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    struct tm tm;
    time_t t = ts.tv_sec;
    localtime_r(&t, &tm);
    out->year = (uint16_t)(tm.tm_year + 1900);
    out->month = (uint16_t)(tm.tm_mon + 1);
    out->day_of_week = (uint16_t)tm.tm_wday;
    out->day = (uint16_t)tm.tm_mday;
    out->hour = (uint16_t)tm.tm_hour;
    out->minute = (uint16_t)tm.tm_min;
    out->second = (uint16_t)tm.tm_sec;
    out->milliseconds = (uint16_t)(ts.tv_nsec / 1000000);
}

bool plat_filetime_to_systemtime(uint64_t ft, SysTime* out) {
    if (ft >= 0x8000000000000000ull) return false;  // as FileTimeToSystemTime
    uint64_t ms_total = ft / 10000u;
    int64_t days = (int64_t)(ms_total / 86400000u);
    uint64_t ms = ms_total % 86400000u;
    // Days since 1601-01-01 (a Monday) to a civil date.
    int64_t z = days - 134774;  // days since 1970-01-01 ...
    z += 719468;                // ... shifted to the era-based civil algorithm's origin (0000-03-01)
    int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    int64_t doe = z - era * 146097;
    int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t y = yoe + era * 400;
    int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    int64_t mp = (5 * doy + 2) / 153;
    int64_t d = doy - (153 * mp + 2) / 5 + 1;
    int64_t m = mp < 10 ? mp + 3 : mp - 9;
    if (m <= 2) y++;
    out->year = (uint16_t)y;
    out->month = (uint16_t)m;
    out->day = (uint16_t)d;
    out->day_of_week = (uint16_t)((days + 1) % 7);  // 1601-01-01 was a Monday
    out->hour = (uint16_t)(ms / 3600000u);
    out->minute = (uint16_t)(ms / 60000u % 60u);
    out->second = (uint16_t)(ms / 1000u % 60u);
    out->milliseconds = (uint16_t)(ms % 1000u);
    return true;
}

int plat_format_date(const SysTime* when, const char* picture, char* out, int size) {
    SysTime now;
    if (!when) {
        plat_local_time(&now);
        when = &now;
    }
    return format_time_picture(when, picture, true, out, size);
}

int plat_format_time(const SysTime* when, const char* picture, char* out, int size) {
    SysTime now;
    if (!when) {
        plat_local_time(&now);
        when = &now;
    }
    return format_time_picture(when, picture, false, out, size);
}

// GetCommandLineA's form of the arguments: blank-separated, and quoted where
// blanks or emptiness would otherwise lose them.
const char* plat_command_line() {
    static std::string line;
    if (line.empty()) {
        int count = 0;
        const char* const* args = plat_arguments(&count);
        for (int i = 0; i < count; i++) {
            std::string arg = args[i];
            if (i) line += ' ';
            bool quote = arg.find_first_of(" \t") != std::string::npos || arg.empty();
            line += quote ? "\"" + arg + "\"" : arg;
        }
    }
    return line.c_str();
}

void* plat_module_handle() {
    static int module_token;
    return &module_token;
}
