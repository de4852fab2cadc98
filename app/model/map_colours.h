// The map's colours as a function of the passes a start point makes (what the
// fragment program counts): the program's own scale, and a perceptual one
// over log(cells survived) for figures. Packed 0xRRGGBB, no GL.
#pragma once

enum MapScale { MAP_SCALE_PROGRAM, MAP_SCALE_LOG };

// The program's colour for `passes` (above maxit: survived, black), each
// component clamped and rounded to a byte as the pipeline stores it.
int map_program_colour(double passes, float maxit);
// Viridis (matplotlib's published 256-entry table) at t in [0, 1].
int viridis_colour(double t);
// Where passes falls on the log scale: 1 cell at 0, maxit cells at 1.
double map_log_position(double passes, float maxit);
// The log scale: survivors black, starts outside the map (no pass) the
// neutral grey, the rest viridis over log(passes).
int map_log_colour(double passes, float maxit);
int map_scale_colour(int scale, double passes, float maxit);
