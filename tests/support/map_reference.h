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
// Expected picture of a w x h window, rows top first, pixel centres sampled;
// texture coordinates s0..s1 across and t0..t1 down (the full map by default).
std::vector<uint32_t> map_picture(int w, int h, float d, float phase, float maxit, float s0 = 0, float s1 = 1,
                                  float t0 = 0, float t1 = 1);
// Share of pixels whose three channels all lie within `tolerance` levels of the reference.
double map_agreement(const std::vector<uint32_t>& got, const std::vector<uint32_t>& want, int tolerance = 2);

// The map's continuum invariant H = xp^2/2 + cos x + x sin(sp), sp = pi/2 + phase,
// in double: conserved by the flow the map approaches as d goes to 0.
double map_energy(double x, double xp, double phase);
// Phase advance per cell, degrees, of a particle tracked in double through
// `cells` cells from just beside the stable fixed point (sin x0 = sin sp,
// cos x0 < 0): half the sign changes of its offset from x0.
double map_tracked_tune(double d, double phase, int cells = 20000);
