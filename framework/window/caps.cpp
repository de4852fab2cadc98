// Capability queries over the GraphicsState caches: each extension answer is
// asked for once, the swap-interval entry point fetched once; the platform
// says where swap control is listed and how it is reached.
#include "framework/window/caps.h"

#include <cstdlib>
#include <cstring>

#include "framework/platform/gl.h"
#include "framework/window/graphics.h"

// A plain substring search, as drivers have always been asked; a context
// without an extension string (a core profile) has none.
int gl_has_extension(const char* name) {
    const char* list = (const char*)glGetString(GL_EXTENSIONS);
    return list && strstr(list, name) ? 1 : 0;
}

float gl_version() {
    const char* version = (const char*)glGetString(GL_VERSION);
    return version ? (float)atof(version) : 0.0f;
}

void apply_anisotropy() {
    if (graphics.has_anisotropic < 0) graphics.has_anisotropic = gl_has_extension("GL_EXT_texture_filter_anisotropic");
    if (graphics.has_anisotropic == 0) return;
    // A level the program set itself is used as it is, without asking the driver.
    if (graphics.anisotropy == 0) glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &graphics.anisotropy);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, graphics.anisotropy);
}

void set_swap_interval(int frames) {
    if (graphics.has_swap_control < 0) graphics.has_swap_control = plat_has_swap_control() ? 1 : 0;
    if (graphics.has_swap_control == 0) return;
    if (!graphics.swap_interval_fn) graphics.swap_interval_fn = (SwapIntervalFn)plat_swap_interval_proc();
    if (graphics.swap_interval_fn) graphics.swap_interval_fn(frames);
}
