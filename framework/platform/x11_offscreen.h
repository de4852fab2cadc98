// Between the two halves of the Linux backend: x11_platform.cpp asks
// x11_offscreen.cpp for GL entry points while an EGL context is current.
#pragma once

// eglGetProcAddress(name) while an offscreen EGL context is current; else null.
void* x11_offscreen_proc_address(const char* name);
