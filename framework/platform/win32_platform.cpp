// Win32/WGL backend of the platform contract (platform.h): thin wrappers
// over the real API.
#include <windows.h>
#include <GL/gl.h>

#include <cstring>

#include "framework/platform/gl_proc.h"
#include "framework/platform/platform.h"

namespace {

LRESULT CALLBACK class_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    return (LRESULT)window_proc(window, message, (MsgWParam)wparam, (MsgLParam)lparam);
}

PIXELFORMATDESCRIPTOR pixel_format() {
    PIXELFORMATDESCRIPTOR pfd;
    memset(&pfd, 0, sizeof pfd);
    pfd.nSize = sizeof pfd;  // 40
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 24;
    pfd.cDepthBits = 32;
    pfd.iLayerType = PFD_MAIN_PLANE;
    return pfd;
}

char class_name_held[64] = "OpenGL WinClass";

}  // namespace

int plat_metric(int which) { return GetSystemMetrics(which); }

bool plat_cursor_pos(int* x, int* y) {
    POINT p = {0, 0};
    BOOL ok = GetCursorPos(&p);
    *x = p.x;
    *y = p.y;
    return ok != 0;
}

bool plat_register_window_class(void* instance, void* icon, const char* class_name) {
    lstrcpynA(class_name_held, class_name, (int)sizeof class_name_held);
    WNDCLASSA wc;
    memset(&wc, 0, sizeof wc);
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    wc.lpfnWndProc = class_proc;
    wc.hInstance = (HINSTANCE)instance;
    wc.hIcon = (HICON)icon;
    wc.hCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
    wc.lpszClassName = class_name_held;
    return RegisterClassA(&wc) != 0;
}

void* plat_create_window(const char* title, unsigned style, int x, int y, int w, int h, void* instance) {
    return CreateWindowExA(0, class_name_held, title, style, x, y, w, h, nullptr, nullptr,
                           (HINSTANCE)instance, nullptr);
}

void* plat_get_dc(void* window) { return GetDC((HWND)window); }

int plat_choose_pixel_format(void* dc) {
    PIXELFORMATDESCRIPTOR pfd = pixel_format();
    return ChoosePixelFormat((HDC)dc, &pfd);
}

bool plat_set_pixel_format(void* dc, int format) {
    PIXELFORMATDESCRIPTOR pfd = pixel_format();
    return SetPixelFormat((HDC)dc, format, &pfd) != 0;
}

void* plat_create_context(void* dc) { return wglCreateContext((HDC)dc); }

bool plat_make_current(void* dc, void* context) { return wglMakeCurrent((HDC)dc, (HGLRC)context) != 0; }

bool plat_delete_context(void* context) { return context && wglDeleteContext((HGLRC)context) != 0; }

void plat_release_dc(void* window, void* dc) {
    if (window && dc) ReleaseDC((HWND)window, (HDC)dc);
}

void plat_change_display_mode(int width, int height) {
    DEVMODEA mode;
    memset(&mode, 0, sizeof mode);
    mode.dmSize = sizeof mode;  // 156
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    mode.dmPelsWidth = (DWORD)width;
    mode.dmPelsHeight = (DWORD)height;
    ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN);
}

void plat_restore_display_mode() { ChangeDisplaySettingsA(nullptr, 0); }

void plat_show_cursor(bool show) { ShowCursor(show ? TRUE : FALSE); }

MsgResult plat_default_window_proc(void* window, unsigned message, MsgWParam wparam, MsgLParam lparam) {
    return (MsgResult)DefWindowProcA((HWND)window, message, (WPARAM)wparam, (LPARAM)lparam);
}

void plat_swap_buffers(void* dc) { SwapBuffers((HDC)dc); }

void* plat_gl_proc_address(const char* name) { return gl_proc_or_null((void*)wglGetProcAddress(name)); }

bool plat_has_swap_control() {
    const char* list = (const char*)glGetString(GL_EXTENSIONS);
    return list && strstr(list, "WGL_EXT_swap_control");
}

void* plat_swap_interval_proc() { return gl_proc_or_null((void*)wglGetProcAddress("wglSwapIntervalEXT")); }

bool plat_peek_message() {
    MSG m;
    return PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE) != 0;
}

int plat_get_dispatch_message() {
    MSG m;
    if (GetMessageA(&m, nullptr, 0, 0) == 0) return 0;
    TranslateMessage(&m);
    DispatchMessageA(&m);
    return 1;
}

void plat_post_quit_message(int code) { PostQuitMessage(code); }

bool plat_is_iconic(void* window) { return IsIconic((HWND)window) != 0; }

void plat_set_topmost(void* window) {
    SetWindowPos((HWND)window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void plat_minimise(void* window) { CloseWindow((HWND)window); }

bool plat_focus_elsewhere(void* window) {
    HWND front = GetForegroundWindow();
    return front && front != (HWND)window && front != GetDesktopWindow();
}

void plat_keyboard_state(unsigned char keys[256]) { GetKeyboardState(keys); }

void plat_sleep(unsigned milliseconds) {
    // Sleep's default 15.6 ms ticks would halve a paced 60 Hz loop: ask for
    // 1 ms once (timeBeginPeriod, fetched so that winmm is not linked).
    static bool fine = false;
    if (!fine) {
        fine = true;
        typedef UINT(WINAPI * PeriodFn)(UINT);
        if (HMODULE winmm = LoadLibraryA("winmm.dll"))
            if (PeriodFn begin = (PeriodFn)(void*)GetProcAddress(winmm, "timeBeginPeriod")) begin(1);
    }
    Sleep(milliseconds);
}

double plat_display_scale() {
    HDC screen = GetDC(nullptr);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi / 96.0 : 1.0;
}

int plat_refresh_rate() {
    DEVMODEA mode;
    memset(&mode, 0, sizeof mode);
    mode.dmSize = sizeof mode;
    if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode)) return 0;
    return mode.dmDisplayFrequency > 1 ? (int)mode.dmDisplayFrequency : 0;  // 0 and 1 mean the hardware's default
}

void plat_message_box(const char* text, const char* caption) {
    MessageBoxA(nullptr, text, caption, MB_ICONERROR | MB_SETFOREGROUND);
}

bool plat_perf_frequency(unsigned* low, int* high) {
    LARGE_INTEGER f;
    if (!QueryPerformanceFrequency(&f)) return false;
    *low = f.LowPart;
    *high = (int)f.HighPart;
    return true;
}

bool plat_perf_counter(unsigned* low, int* high) {
    LARGE_INTEGER c;
    BOOL ok = QueryPerformanceCounter(&c);
    *low = c.LowPart;
    *high = (int)c.HighPart;
    return ok != 0;
}

uint32_t plat_tick_count() { return GetTickCount(); }

void plat_local_time(SysTime* out) {
    static_assert(sizeof(SysTime) == sizeof(SYSTEMTIME), "SysTime mirrors SYSTEMTIME");
    GetLocalTime((SYSTEMTIME*)out);
}

bool plat_filetime_to_systemtime(uint64_t filetime, SysTime* out) {
    FILETIME ft;
    ft.dwLowDateTime = (DWORD)(filetime & 0xFFFFFFFFu);
    ft.dwHighDateTime = (DWORD)(filetime >> 32);
    return FileTimeToSystemTime(&ft, (SYSTEMTIME*)out) != 0;
}

int plat_format_date(const SysTime* when, const char* picture, char* out, int size) {
    int n = GetDateFormatA(LOCALE_USER_DEFAULT, 0, (const SYSTEMTIME*)when, picture, out, size);
    if (n == 0 && out && size > 0) out[0] = 0;
    return n;
}

int plat_format_time(const SysTime* when, const char* picture, char* out, int size) {
    int n = GetTimeFormatA(LOCALE_USER_DEFAULT, TIME_FORCE24HOURFORMAT, (const SYSTEMTIME*)when, picture, out,
                           size);
    if (n == 0 && out && size > 0) out[0] = 0;
    return n;
}

const char* plat_command_line() { return GetCommandLineA(); }

void* plat_module_handle() { return GetModuleHandleA(nullptr); }
