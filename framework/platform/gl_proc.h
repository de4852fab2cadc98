// The entry-point filter the WGL backend applies, kept free of platform
// headers so that it can be tested on every platform.
#pragma once
#include <cstdint>

// Some WGL drivers answer wglGetProcAddress for a function they lack with 1, 2,
// 3 or -1 instead of null; calling one of those would crash.
inline void* gl_proc_or_null(void* proc) {
    uintptr_t v = (uintptr_t)proc;
    return v <= 3 || v == UINTPTR_MAX ? nullptr : proc;
}
