// Text in scene coordinates: laid out in units of the current font's line
// height and placed through a caller's mapping of every glyph corner, a plain
// scale and offset, or two 3D vectors. Bytes are glyphs except LF and tab.
#pragma once

// Maps a text-space point (u along the line, v down the lines, in line
// heights) to a scene point and a packed colour 0xRRGGBB.
typedef void (*TextMapping)(double u, double v, void* context, double* x, double* y, double* z, int* colour);

// map_scaled's context: the text-space origin in the scene, the scene size of
// one line, and the colour (0xRRGGBB).
struct ScaledTextContext {
    double x;
    double y;
    double unit;
    int colour;
};

// Draws text as its own textured GL_QUADS batch, blending by text_blend_mode
// (1: replace, 2: darken by coverage, 3: add by alpha, 4: alpha). Outside a
// begin_text bracket. Nothing is drawn without a usable current font.
void draw_text_mapped(const char* text, TextMapping map, void* context);

// Flat text at z 0: origin (x, y), unit scene units per line, lines toward +y.
void draw_text_scaled(double x, double y, double unit, const char* text, int colour);

// x = cx + unit u, y = cy + unit v, z = 0, the context's colour.
void map_scaled(double u, double v, void* context, double* x, double* y, double* z, int* colour);

// Glyph vertices only, into a GL_QUADS batch the caller has begun with the
// font texture bound: lines step along line (one glyph height), glyphs along
// advance (one line height per unit). Returns 0.
int draw_text_in_plane(const double origin[3], const char* text, const double line[3], const double advance[3]);

// Width in line heights of all lines together: a tab is 1, a glyph its width
// over the line height, LF nothing. The advance of draw_text_in_plane.
double text_units_width(const char* text);
