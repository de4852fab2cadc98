// The platform contract: every operating-system call the framework makes goes
// through these functions. win32_platform.cpp implements them with the real
// Win32/WGL API; x11_platform.cpp with Xlib/GLX, doing what the framework
// expects of the Win32 call each one stands for. A third backend is written
// from this header alone. Nothing outside framework/platform includes
// windows.h or X11 headers.
#pragma once
#include <cstddef>
#include <cstdint>

typedef uintptr_t MsgWParam;
typedef intptr_t MsgLParam;
typedef intptr_t MsgResult;

// Window messages, with their Win32 numbers. Both backends hand these to
// window_proc; the X11 backend translates its events into them.
enum : unsigned {
    MSG_DESTROY = 0x0002,
    MSG_SIZE = 0x0005,
    MSG_PAINT = 0x000F,
    MSG_CLOSE = 0x0010,
    MSG_ACTIVATEAPP = 0x001C,  // word parameter 0: another program's window took the keyboard
    MSG_QUIT = 0x0012,
    MSG_KEYDOWN = 0x0100,
    MSG_KEYUP = 0x0101,
    MSG_CHAR = 0x0102,
    MSG_SYSKEYDOWN = 0x0104,
    MSG_SYSKEYUP = 0x0105,
    MSG_MOUSEMOVE = 0x0200,
    MSG_LBUTTONDOWN = 0x0201,
    MSG_LBUTTONUP = 0x0202,
    MSG_RBUTTONDOWN = 0x0204,
    MSG_RBUTTONUP = 0x0205,
    MSG_MBUTTONDOWN = 0x0207,
    MSG_MBUTTONUP = 0x0208,
    MSG_MOUSEWHEEL = 0x020A,
};

// Button bits of a mouse message's word parameter (MK_LBUTTON, MK_RBUTTON, MK_MBUTTON).
enum : unsigned { MK_LEFT = 0x01, MK_RIGHT = 0x02, MK_MIDDLE = 0x10 };

// Window styles passed to plat_create_window (Win32 values).
enum : unsigned {
    STYLE_FRAMED = 0x160F0000u,  // visible overlapped window with caption and frame
    STYLE_POPUP = 0x96000000u,   // visible borderless popup
};

// Metrics for plat_metric (GetSystemMetrics indices).
enum {
    METRIC_CXSCREEN = 0,
    METRIC_CYSCREEN = 1,
    METRIC_CXFRAME = 32,
    METRIC_CYFRAME = 33,
    METRIC_CYCAPTION = 4,
    METRIC_XVIRTUALSCREEN = 76,
    METRIC_YVIRTUALSCREEN = 77,
    METRIC_CXVIRTUALSCREEN = 78,
    METRIC_CYVIRTUALSCREEN = 79,
};

// Calendar time, laid out as the Win32 SYSTEMTIME.
struct SysTime {
    uint16_t year, month, day_of_week, day, hour, minute, second, milliseconds;
};

// The framework's window handler; the backends deliver every message here.
MsgResult window_proc(void* window, unsigned message, MsgWParam wparam, MsgLParam lparam);

// --- windows and contexts -------------------------------------------------
int plat_metric(int which);                        // GetSystemMetrics
bool plat_cursor_pos(int* x, int* y);              // GetCursorPos, screen pixels
// RegisterClassA of class_name -> window_proc; false if refused. X11: the
// class is the window's WM_CLASS, its instance name the class in lower case.
bool plat_register_window_class(void* instance, void* icon, const char* class_name);
// CreateWindowExA of the registered class; null on failure. May send MSG_SIZE.
// X11 also sets the title as a UTF-8 _NET_WM_NAME.
void* plat_create_window(const char* title, unsigned style, int x, int y, int w, int h, void* instance);
void* plat_get_dc(void* window);                   // GetDC
int plat_choose_pixel_format(void* dc);            // ChoosePixelFormat for RGBA, 24 colour, 32 depth, double buffer; 0 = none
bool plat_set_pixel_format(void* dc, int format);  // SetPixelFormat
void* plat_create_context(void* dc);               // wglCreateContext; null on failure
bool plat_make_current(void* dc, void* context);   // wglMakeCurrent; context null releases
bool plat_delete_context(void* context);           // wglDeleteContext; null does nothing
void plat_release_dc(void* window, void* dc);      // ReleaseDC; null handles do nothing
void plat_change_display_mode(int width, int height);  // ChangeDisplaySettingsA(mode, CDS_FULLSCREEN); result ignored
void plat_restore_display_mode();                  // ChangeDisplaySettingsA(none, 0)
void plat_show_cursor(bool show);                  // ShowCursor
MsgResult plat_default_window_proc(void* window, unsigned message, MsgWParam wparam, MsgLParam lparam);
void plat_swap_buffers(void* dc);                  // SwapBuffers
void* plat_gl_proc_address(const char* name);      // wglGetProcAddress; null if unknown (also for 1, 2, 3, -1)
// Swap control, with a current context. Win32: "WGL_EXT_swap_control" found as a
// substring of GL_EXTENSIONS, and wglGetProcAddress("wglSwapIntervalEXT"). X11:
// "GLX_EXT_swap_control" or "GLX_MESA_swap_control" in the GLX extension string,
// and a function taking the interval that calls the one listed.
bool plat_has_swap_control();
void* plat_swap_interval_proc();                   // int (APIENTRY*)(int frames); null if none

// --- messages and input ---------------------------------------------------
bool plat_peek_message();                          // PeekMessageA(PM_NOREMOVE): is a message waiting? never blocks
int plat_get_dispatch_message();                   // GetMessageA, then Translate+Dispatch; 0 when it was the quit message
void plat_post_quit_message(int code);             // PostQuitMessage
bool plat_is_iconic(void* window);                 // IsIconic
void plat_set_topmost(void* window);               // SetWindowPos(HWND_TOPMOST, SWP_NOMOVE | SWP_NOSIZE)
void plat_minimise(void* window);                  // CloseWindow: minimise, not destroy; restorable
// Whether the keyboard now goes to another top-level window than `window`
// (GetForegroundWindow is another window, not none or the desktop; X11: the
// input focus is on another window, not none, the pointer's or the root).
bool plat_focus_elsewhere(void* window);
void plat_keyboard_state(unsigned char keys[256]); // GetKeyboardState, indexed by virtual-key code:
                                                   // this program's keys, none held while it has no focus
void plat_sleep(unsigned milliseconds);            // Sleep, at the system's finest timer resolution
// The primary display's refresh rate in Hz (EnumDisplaySettingsA's
// dmDisplayFrequency; X11: RandR's current rate); 0 when it cannot be learnt.
int plat_refresh_rate();
// The desktop's own scale for text and controls: 1 at 96 dots per inch (Win32:
// LOGPIXELSY of the screen / 96 in a DPI-aware process; X11: the Xft.dpi
// resource / 96); 1 when the platform gives none.
double plat_display_scale();

// --- message box, clock, calendar, process -----------------------------------
void plat_message_box(const char* text, const char* caption);  // modal error box; returns when dismissed
bool plat_perf_frequency(unsigned* low, int* high);  // QueryPerformanceFrequency; false if no counter
bool plat_perf_counter(unsigned* low, int* high);    // QueryPerformanceCounter
uint32_t plat_tick_count();                          // GetTickCount, milliseconds
void plat_local_time(SysTime* out);                  // GetLocalTime
bool plat_filetime_to_systemtime(uint64_t filetime, SysTime* out);  // FileTimeToSystemTime
// GetDateFormatA / GetTimeFormatA (user locale; time forced to 24 hours).
// `when` null means the current local time. Returns the length written
// including the terminator, or 0 when the text does not fit (out is then "").
int plat_format_date(const SysTime* when, const char* picture, char* out, int size);
int plat_format_time(const SysTime* when, const char* picture, char* out, int size);
const char* plat_command_line();                   // GetCommandLineA
void* plat_module_handle();                        // GetModuleHandleA(null)

// --- offscreen rendering, files, arguments ---------------------------------
// These live in the backends' *_offscreen.cpp and *_process.cpp files.
// A GL context that draws with no window on any screen (into framebuffer
// objects), made current; plat_gl_proc_address serves it. Linux: EGL on Mesa's
// surfaceless platform, needing no display; GLX with a pbuffer on the display
// in DISPLAY only when EGL fails. Windows: WGL on a window that is never shown.
// On success message names what was made; on failure (null) it says why.
void* plat_create_offscreen_context(char* message, size_t size);
void plat_release_offscreen_context(void* context);  // makes none current and deletes; null does nothing
// Renames from to to, replacing an existing file to (MoveFileExA with
// MOVEFILE_REPLACE_EXISTING); false, with both left alone, on failure.
bool plat_replace_file(const char* from, const char* to);
// The program's arguments as the C runtime splits the command line (argv[0]
// is the program); valid for the life of the process.
const char* const* plat_arguments(int* count);
// Lets stdout and stderr reach the console the program was started from
// where they would reach nothing (a Windows GUI program); elsewhere nothing.
void plat_console_output();
// Whether standard error is a terminal (a console) rather than a file or pipe.
bool plat_stderr_is_terminal();
