// The viewer's per-frame map: one window-sized quad run through the stability
// program, texture coordinates (0, 0) top-left to (1, 1) bottom-right.
#pragma once
#include "framework/platform/gl.h"

void draw_stability_map(GLuint program, double d, float phase, float maxit);
