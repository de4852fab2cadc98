// Driver capability queries: the GL version as a number, maximum anisotropic
// filtering and the buffer-swap interval. Answers and fetched entry points are
// cached in GraphicsState on first use; a current context must exist.
#pragma once
#include <cstdio>

#include "framework/platform/platform.h"

// Fetches the entry point name followed by suffix ("EXT" for an extension's
// variant) from the current context's driver into a typed slot; false, with
// the slot null, when the driver lacks it.
template <typename F>
bool gl_fetch(F& slot, const char* name, const char* suffix = "") {
    char full[64];
    snprintf(full, sizeof full, "%s%s", name, suffix);
    slot = (F)plat_gl_proc_address(full);
    return slot != nullptr;
}

// 1 when GL_EXTENSIONS holds name (a plain substring search), else 0.
int gl_has_extension(const char* name);

// atof of GL_VERSION ("3.3.0 Mesa" gives 3.3); 0 when the driver gives none.
float gl_version();

// Sets graphics.anisotropy (0: the driver's maximum, filled in on first use)
// on the texture bound to GL_TEXTURE_2D, where the driver has the extension.
void apply_anisotropy();

// Vertical retraces per buffer swap (0: do not wait, 1: synchronise), where
// the driver offers swap control; otherwise nothing happens.
void set_swap_interval(int frames);
