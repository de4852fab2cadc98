// Driver capability queries: the GL version as a number, maximum anisotropic
// filtering and the buffer-swap interval. Answers and fetched entry points are
// cached in GraphicsState on first use; a current context must exist.
#pragma once

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
