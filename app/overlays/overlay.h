// The viewer's overlay: frame rate, synchrotron tune and the shader logs,
// drawn in white over the map every frame.
#pragma once

struct Overlay {
    double last_time;  // seconds: the clock reading after the previous frame's rate
    char text[128];    // the two formatted lines, one at a time
};

// Loads the embedded font as "normal" (it becomes the current font).
void overlay_load_font();
// The first clock reading (it also picks the clock), and again after a frame
// left undrawn: the next frame's rate counts from there, so that it shows the
// loop's pace rather than the time since the last frame drawn.
void overlay_start(Overlay* o);
// Frame rate, both logs and the tune line for step d and accelerating phase (radians).
void overlay_draw(Overlay* o, double d, float phase, const char* fragment_log, const char* link_log);
