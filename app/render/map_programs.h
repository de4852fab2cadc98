// Cell counts past the driver's loop limit. Drivers may stop a fragment
// program's loops after a fixed number of passes per pixel (llvmpipe: 65535,
// counted over all its loops together), which would paint the survivors of a
// long run in the colour of a loss. The default program keeps its single loop
// for every count the driver runs whole; past that the map is drawn in passes
// that carry each pixel's state (x, xp, cells made) in float textures, each
// pass no longer than the driver was seen to run whole. Nothing about the
// driver is assumed: a count runs whole when one pixel drawn where nothing
// moves (d = 0) comes out black after all its passes, and the longest loop is
// found that way too.
#pragma once
#include "app/model/view_window.h"
#include "framework/platform/gl.h"

// For the context now current, after its default program was built.
void map_programs_start(GLuint single);
// The map of maxit cells drawn in passes, over the quad (x0, y0)-(x1, y1) of
// the current coordinates, which fills the viewport, when `program` is the
// default and its single loop would stop short; false, with nothing drawn,
// where the single loop draws it whole. Seeing an unknown count draws one
// pixel at the bottom-left of the current draw buffer, which the map then covers.
bool map_programs_draw(GLuint program, float d, float phase, float maxit, const ViewWindow& v, float x0, float y0,
                       float x1, float y1);
// Whether maxit cells come out whole on this driver, by one way or the other
// (false where the passes need float textures or framebuffer objects it lacks).
bool map_programs_whole(float maxit);

// The map's quad: texture coordinates (s0, t0) at the corner (x0, y0) to
// (s1, t1) at (x1, y1), in the current coordinates.
void map_quad(float s0, float t0, float s1, float t1, float x0, float y0, float x1, float y1);
