// blur_screen: softens the frame drawn so far, in place, before the swap, by
// copying it into a texture and blending shifted copies back over it at
// halving distances. OpenGL 1.1 only; draws in window coordinates.
#pragma once

extern unsigned blur_texture;  // generated on the first blur_screen, then reused

// The smallest power of two not below n (1 for n below 1).
int blur_texture_size(int n);
// How many scales a radius gives: radius, radius/2, ... down to the last not below 1.
int blur_scale_count(float radius);

void blur_screen(float radius);  // radius in pixels; below 1 draws nothing
