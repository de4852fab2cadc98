// What the overlays share: their colours and the pixel-exact GL state they
// draw their shapes in. The separatrix, orbits, plot and texts borrow it from
// here rather than from one another.
#pragma once

// Pure yellow, which the map never draws: the continuum separatrix and the
// plot's continuum line.
const int separatrix_colour = 0xFFFF00;
// The band under the viewer's own texts (status line, help, plot): the map
// behind at a quarter of its brightness (shade_box), so white text reads over
// any colour.
const int overlay_band_colour = 0x404040;

// Window pixels for the overlays' own shapes: no texture, blending, lighting
// or smoothing, lines and points one pixel wide; the end restores it all.
void begin_overlay_pixels();
void end_overlay_pixels();
