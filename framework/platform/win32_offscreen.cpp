// Offscreen GL contexts on Windows (platform.h): there is no display-less
// path, so the context belongs to a window that is created hidden and never
// shown. The picture goes to a framebuffer object, not to that window.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "framework/platform/platform.h"

namespace {

struct OffscreenContext {
    HWND window;
    void* dc;  // the handles the platform's context calls deal in
    void* context;
};

// A class of its own: "OpenGL WinClass" belongs to open_graphics, which may
// register it only once per process.
const char OFFSCREEN_CLASS[] = "Tessaline offscreen";

bool register_class() {
    WNDCLASSA wc;
    memset(&wc, 0, sizeof wc);
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = OFFSCREEN_CLASS;
    return RegisterClassA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// Undoes whatever of plat_create_offscreen_context got made; null parts are skipped.
void release(const OffscreenContext& c) {
    plat_delete_context(c.context);
    plat_release_dc(c.window, c.dc);
    if (c.window) DestroyWindow(c.window);
}

}  // namespace

void* plat_create_offscreen_context(char* message, size_t size) {
    const char* why = nullptr;
    OffscreenContext c = {nullptr, nullptr, nullptr};
    int format = 0;
    if (!register_class()) why = "window class refused";
    // No WS_VISIBLE and no ShowWindow: the window never reaches the screen.
    if (!why && !(c.window = CreateWindowExA(0, OFFSCREEN_CLASS, "", WS_OVERLAPPEDWINDOW, 0, 0, 16, 16, nullptr,
                                             nullptr, GetModuleHandleA(nullptr), nullptr)))
        why = "hidden window not created";
    // The window's own pixel format: the picture goes to framebuffer objects,
    // so what the window's buffers hold does not matter.
    if (!why && !(c.dc = plat_get_dc(c.window))) why = "no device context";
    if (!why && !((format = plat_choose_pixel_format(c.dc)) && plat_set_pixel_format(c.dc, format)))
        why = "no OpenGL pixel format";
    if (!why && !(c.context = plat_create_context(c.dc))) why = "no WGL context";
    if (!why && !plat_make_current(c.dc, c.context)) why = "WGL context not made current";
    if (why) {
        if (message && size) snprintf(message, size, "%s (error %lu)", why, (unsigned long)GetLastError());
        release(c);
        return nullptr;
    }
    if (message && size) snprintf(message, size, "WGL on a hidden window");
    return new OffscreenContext(c);
}

void plat_release_offscreen_context(void* context) {
    OffscreenContext* c = (OffscreenContext*)context;
    if (!c) return;
    plat_make_current(nullptr, nullptr);
    release(*c);
    delete c;
}
