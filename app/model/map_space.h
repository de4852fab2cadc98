// The phase-space window of the full map, how the pointer picks the step, and
// the program's units and cell limit: the one place for these numbers, shared
// by the view, the physics, the command line and the tests. The fragment program itself keeps its own literals (x = 2 pi s,
// xp = 6 t - 3), which these describe.
#pragma once

const double map_two_pi = 6.283185307179586;
const double map_x_min = 0;              // phase at the left edge
const double map_x_max = map_two_pi;     // phase at the right edge
const double map_xp_top = -3;            // momentum deviation at the top edge
const double map_xp_bottom = 3;          // momentum deviation at the bottom edge
const double map_d_across = 5;           // the window's full width in steps d

const double map_degrees_to_radians = 0.017453292519943295;  // pi / 180, as "config.txt"'s phase is read

inline double map_radians(double degrees) { return degrees * map_degrees_to_radians; }
// The program's phase uniform for a phase in degrees: converted in double, then rounded once.
inline float map_phase_radians(double degrees) { return (float)map_radians(degrees); }

// The program counts cells in a float: past 2^24 adding one no longer changes
// the count, so a larger limit would keep a surviving point looping forever.
const int map_max_cells = 16777215;

// The program's maxit for a cell count: the count as float, never past what
// its counter can reach. The viewer and the command line both draw with it.
inline float map_maxit(int cells) { return (float)(cells < map_max_cells ? cells : map_max_cells); }

// Starting points outside 0 <= x <= 2 pi make no pass: a neutral mid grey where a scale shows them.
const int map_outside_colour = 0x808080;
