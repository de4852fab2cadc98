// --render's figures: with --axes, --flip, --colours log or an SVG name the
// map is drawn into a corner of the target, read back, recoloured and
// flipped as asked, and framed by the figure's layout; the overlays asked
// for go over the map (as paths in the SVG).
#pragma once
#include "app/headless/headless.h"
#include "framework/platform/gl.h"

// Whether the options ask for more than the bare map that --render always drew.
bool figure_wanted(const CliOptions& o);
// The overlays asked for (--separatrix, --orbit) over a w x h map in window coordinates.
void render_overlays(const CliOptions& o, const HeadlessParams& p, int w, int h);
// The figure on the run's current context and W x H target, with the map's
// program; written to o.output. Returns the exit code, reported on stderr.
int figure_render(const CliOptions& o, const HeadlessParams& p, GLuint program);
