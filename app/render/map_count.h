// The bucket counted on the map the graphics card draws, with the picture's
// own program: the full view at the window's size, drawn a band of rows at a
// time into the back buffer (which the frame's map then covers) and read
// back. The status line's figures are then those of what the card shows,
// as --scan's are, and the count runs on the card instead of one core.
#pragma once
#include "app/model/physics.h"
#include "framework/platform/gl.h"

// The program the counts draw with (the default one or the second harmonic's);
// the viewer sets it each frame.
extern GLuint map_count_program;
// A BucketCount runner (BucketStatus::run): the next band of the count `c`,
// whose size must be the window's, sized to about `passes` passes at worst
// (every pixel making every pass); returns the passes that band could cost.
long long map_count_run(BucketCount* c, long long passes);
