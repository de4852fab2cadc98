// Offscreen GL contexts on Windows (platform.h): there is no display-less
// path, so the context belongs to a window that is created hidden and never
// shown. The picture goes to a framebuffer object, not to that window.
#include <windows.h>
#include <GL/gl.h>

#include <cstdio>
#include <cstring>

#include "framework/platform/platform.h"

namespace {

struct OffscreenContext {
    HWND window;
    HDC dc;
    HGLRC context;
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

}  // namespace

void* plat_create_offscreen_context(char* message, size_t size) {
    const char* why = nullptr;
    OffscreenContext c = {nullptr, nullptr, nullptr};
    PIXELFORMATDESCRIPTOR pfd;
    memset(&pfd, 0, sizeof pfd);
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 24;
    pfd.cDepthBits = 24;
    pfd.iLayerType = PFD_MAIN_PLANE;
    int format = 0;
    if (!register_class()) why = "window class refused";
    // No WS_VISIBLE and no ShowWindow: the window never reaches the screen.
    if (!why && !(c.window = CreateWindowExA(0, OFFSCREEN_CLASS, "", WS_OVERLAPPEDWINDOW, 0, 0, 16, 16, nullptr,
                                             nullptr, GetModuleHandleA(nullptr), nullptr)))
        why = "hidden window not created";
    if (!why && !(c.dc = GetDC(c.window))) why = "no device context";
    if (!why && !((format = ChoosePixelFormat(c.dc, &pfd)) && SetPixelFormat(c.dc, format, &pfd)))
        why = "no OpenGL pixel format";
    if (!why && !(c.context = wglCreateContext(c.dc))) why = "no WGL context";
    if (!why && !wglMakeCurrent(c.dc, c.context)) why = "WGL context not made current";
    if (why) {
        if (message && size) snprintf(message, size, "%s (error %lu)", why, (unsigned long)GetLastError());
        if (c.context) wglDeleteContext(c.context);
        if (c.dc) ReleaseDC(c.window, c.dc);
        if (c.window) DestroyWindow(c.window);
        return nullptr;
    }
    if (message && size) snprintf(message, size, "WGL on a hidden window");
    OffscreenContext* out = new OffscreenContext(c);
    return out;
}

void plat_release_offscreen_context(void* context) {
    OffscreenContext* c = (OffscreenContext*)context;
    if (!c) return;
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(c->context);
    ReleaseDC(c->window, c->dc);
    DestroyWindow(c->window);
    delete c;
}
