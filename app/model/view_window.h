// The part of phase space the map shows, and the conversions between phase
// space (x, xp), the program's texture coordinates (s, t) and window pixels.
// Pure arithmetic: the controls, the map drawing and the tests share it.
#pragma once

struct ViewWindow {
    double x0, x1;    // phase at the left and right edges
    double xp0, xp1;  // momentum deviation at the top and bottom edges
};

ViewWindow view_full();
// Texture coordinates the program turns into x and xp (x = 2 pi s, xp = 6 t - 3).
double view_s(double x);
double view_t(double xp);
// Phase space at a point of a w x h window, in pixels from its top-left corner
// (a pixel's centre is at +0.5).
double view_x_at(const ViewWindow& v, double px, int w);
double view_xp_at(const ViewWindow& v, double py, int h);
// The other way: pixels from the left and top edges (unrounded) of x and xp.
double view_px(const ViewWindow& v, double x, int w);
double view_py(const ViewWindow& v, double xp, int h);
// Whether two windows are the same, edge for edge.
bool view_equal(const ViewWindow& a, const ViewWindow& b);
// How many times the full map's width the window is magnified.
double view_zoom(const ViewWindow& v);

// The window magnified by `factor` about the point at (px, py) of a w x h
// window, which stays under the same pixel; never wider than the full map,
// and kept inside it.
ViewWindow view_zoomed(const ViewWindow& v, double factor, double px, double py, int w, int h);
// The window moved so that the picture follows a drag of (dx, dy) pixels,
// kept inside the full map.
ViewWindow view_panned(const ViewWindow& v, double dx, double dy, int w, int h);
// Whether 32-bit floats still tell neighbouring pixels apart: the program gets
// s and t as floats and interpolates them across the window.
bool view_resolvable(const ViewWindow& v, int w, int h);
