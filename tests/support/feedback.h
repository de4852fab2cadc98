// GL feedback mode for tests: what GL would draw, as primitives and vertices
// in window coordinates, instead of pixels. Needs the test window's context.
#pragma once
#include <functional>
#include <vector>

#include "framework/platform/gl.h"

struct FeedbackVertex {
    double x, y;      // window coordinates as GL gives them: y upwards
    double y_down;    // the same row in window pixels, y downwards (the framework's 2D frame)
    double depth;     // window depth, 0 .. 1
    float colour[4];  // RGBA
    float s, t;       // texture coordinates
};

struct FeedbackPrim {
    GLenum token;  // GL_POINT_TOKEN, GL_LINE_TOKEN (line resets too) or GL_POLYGON_TOKEN
    std::vector<FeedbackVertex> v;
};

// Runs draw in GL_3D_COLOR_TEXTURE feedback; pass-through markers are left out.
// A full buffer or a token of another kind is a test failure.
std::vector<FeedbackPrim> feedback_capture(const std::function<void()>& draw);

// The polygons as quads, four corners each in drawing order, one after the
// other: a four-vertex polygon as it is, and a triangle pair of either known
// split, (a, b, d)(b, c, d) or (a, b, c)(a, c, d), joined back (llvmpipe hands
// quads back so). Anything else is a test failure.
std::vector<FeedbackVertex> feedback_quads(const std::vector<FeedbackPrim>& prims);

// Every polygon's vertices, one after the other.
std::vector<FeedbackVertex> feedback_polygon_vertices(const std::vector<FeedbackPrim>& prims);
