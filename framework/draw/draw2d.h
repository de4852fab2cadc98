// Immediate-mode 2D drawing over OpenGL 1.1: the window-pixel frame, the
// colour index, pixel-size queries, and points, lines, boxes, circles, arcs
// and sectors. Coordinates are doubles; colours are packed 0xRRGGBB ints.
#pragma once

// While non-zero, circle primitives lying wholly off the window draw nothing.
extern int cull_offscreen;  // initial 1

// Window pixels, origin top-left, y down; pushes both matrices and turns the
// depth test off. end_window_coords pops them and turns the depth test on.
void begin_window_coords();
void end_window_coords();
void enable_smooth_lines();
void set_colour_index(int index);

double units_per_pixel();    // drawing units per pixel under the current matrices
double units_per_pixel_x();  // 2 / (width * P[0][0]), ignoring the modelview
void project_to_window(double x, double y, double z, double* out_x, double* out_y);

// Pure parts of the above, over column-major matrices and a viewport {x, y, w, h}.
double units_per_pixel_of(const double* projection, const double* modelview, const int* viewport);
void project_point(const double* projection, const double* modelview, const int* viewport, double x, double y,
                   double z, double* out_x, double* out_y);

// Segment counts from a radius in pixels (and an angle span for arcs); at least 1.
int circle_segment_count(double radius_pixels);
int arc_segment_count(double radius_pixels, double span);
// Culling tests against a width x height window; true means "draw nothing".
bool circle_off_window(double x, double y, double r, int width, int height);
bool circle_misses_window(double x, double y, double r, int width, int height);  // outlines only

// Own begin/end. draw_line suspends lighting for the segment.
void draw_point(double x, double y, int colour);
void draw_line(double x1, double y1, double x2, double y2, int colour);
void fill_box(double x, double y, double w, double h, int colour);
void draw_box(double x, double y, double w, double h, int colour);
// Multiplies the window's pixels in the box by colour, in window pixels with
// texturing off, restoring the state it changes: a dark band that keeps any
// picture behind readable under text.
void shade_box(double x, double y, double w, double h, int colour);
void draw_box_corners(double x1, double y1, double x2, double y2, int colour);
// Inside the caller's begin/end of points, lines or quads.
void point_vertex(double x, double y, int colour);
void line_vertices(double x1, double y1, double x2, double y2, int colour);
void box_vertices(double x, double y, double w, double h, int colour);

void fill_circle(double x, double y, double r, int colour);
void draw_circle(double x, double y, double r, int colour);
void draw_arc(double x, double y, double r, double a0, double a1, int colour);
// A fan when r_inner is exactly 0, else a ring segment; alpha is the low byte.
void fill_sector(double x, double y, double r_inner, double r_outer, double a0, double a1, int colour, int alpha);
