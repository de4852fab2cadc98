// The stability map computed on the CPU in 32-bit float, pixel by pixel, as
// the fragment program computes it: the reference the rendered picture is
// compared with.
#pragma once
#include <cstdint>
#include <vector>

// Passes made for the starting point at texture coordinate (s, t).
int map_passes(float s, float t, float d, float phase, float maxit);
// The colour the program writes for that many passes, as 0xRRGGBB bytes.
uint32_t map_colour(int passes, float maxit);
// Expected picture of a w x h window, rows top first, pixel centres sampled.
std::vector<uint32_t> map_picture(int w, int h, float d, float phase, float maxit);

// The map's continuum invariant H = xp^2/2 + cos x + x sin(sp), sp = pi/2 + phase,
// in double: conserved by the flow the map approaches as d goes to 0.
double map_energy(double x, double xp, double phase);
