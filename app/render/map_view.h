// The map on screen. It is drawn for any view window into any target size,
// kept in a window-sized texture and shown again while nothing that shapes it
// changes, drawn at a reduced resolution while it moves (preview), and drawn
// in parts across frames when a whole map would hold the window too long.
// Where the driver cannot hold a window-sized texture, it is drawn whole
// every frame instead.
#pragma once
#include "app/model/physics.h"
#include "app/model/view_window.h"
#include "framework/platform/gl.h"

// Everything that shapes the map's pixels.
struct MapInputs {
    float d, phase, maxit;  // the program's uniforms
    ViewWindow view;
    int width, height;      // window pixels
    HarmonicUniforms second = {0, 0, 0};  // ratio 0: none
};

struct MapView {
    GLuint texture;             // copy of the last map, window-sized; 0 until needed or when refused
    int texture_w, texture_h;
    int refused_w, refused_h;   // a size the driver could not hold: every frame drawn whole
    // What the texture holds: a map of `held` at 1/held_level resolution, whole when held_whole.
    MapInputs held;
    int held_level;             // 0: nothing yet
    bool held_whole;
    // The map being drawn in parts: top to bottom in bands of 4 rows.
    int job_level;              // 0: none
    int job_row, job_col;       // next pixel, from the top-left of the target
    double job_seconds;         // spent on it so far
    float progress;             // share of the map on screen that is drawn, 1 when whole
    MapInputs last;             // the previous frame's inputs
    bool have_last;
    double last_change;         // clock reading when the inputs last changed
    double full_seconds;        // the last whole full-resolution map took this long
    double pass_seconds;        // one pass of one pixel, measured once when first needed; 0 until then
    GLuint timed_program;       // the program it was measured with (a second harmonic's costs more); 0: any
    // Settings.
    double frame_budget;        // seconds of map work per frame when drawing in parts (0.05)
    double parts_above;         // a map estimated to take longer than this is drawn in parts (1)
    double rest;                // seconds without change before a preview gives way to the full map (0.25)
    int texture_limit;          // widest texture side to use; 0: the driver's GL_MAX_TEXTURE_SIZE
};

// Counts up to the default of 100 cells are always drawn whole, as the viewer always has.
const float map_whole_cells = 100;

MapView map_view_make();
void map_view_release(MapView* m);
// The frame's map into the back buffer, as cheaply as its inputs allow. `now`
// is the frame's clock reading (seconds).
void map_view_frame(MapView* m, GLuint program, const MapInputs& in, bool preview, double now);

// Whether the frame for `in` would show the kept full-resolution map as it is.
bool map_view_settled(const MapView& m, const MapInputs& in);

// The map's quad for view v, corners (x0, y0) top-left and (x1, y1)
// bottom-right in the current coordinates. With a second harmonic (ratio not
// 0) its three uniforms are set too, for the second harmonic's program.
void draw_map_quad(GLuint program, float d, float phase, float maxit, const ViewWindow& v, float x0, float y0,
                   float x1, float y1, const HarmonicUniforms* second = nullptr);
// The map of `in` drawn over target_w x target_h pixels at the bottom-left of
// the current draw buffer (the window, or an offscreen target).
void draw_map_target(GLuint program, const MapInputs& in, int target_w, int target_h);
// The full view over the whole window, drawn afresh: the baseline that tests
// and benches compare with (the viewer's frames go through map_view_frame).
void draw_stability_map(GLuint program, double d, float phase, float maxit);
