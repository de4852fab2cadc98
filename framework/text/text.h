// Text drawing in window pixels with the current font, its settings
// (TextState), and the measuring operations that match its layout.
// Encoded text: 2,hi,lo names a glyph; 5 starts a six-byte command; 10 breaks.
// Texts hold whole codes: the payload of a 2 or 5 is read in full, zeros
// included, so a text must not end inside one (the markup writes whole codes
// only). When measuring, other control bytes (1, 3, 4, 6, 7) end at a 0 in
// their payload.
#pragma once
#include <cstdint>

// TextState: plain globals, set by callers before the bracket that uses them.
extern float text_scale_x;        // initial 1; applied to the whole bracket
extern float text_scale_y;        // initial 1
extern int text_blend_mode;       // initial 3; see begin_text
extern float letter_spacing;      // initial 0.13, fraction of font_cell_width
extern int text_pass_colour;      // 0xRRGGBB remembered for the anti-aliasing replay
extern unsigned text_list;        // display list of the open bracket while passes are on
extern int text_passes;           // initial 0: draw directly; never change inside a bracket
extern uint8_t fixed_pitch;       // initial 0; glyphs advance by font_cell_width, centred

// Drawing. Between begin_text and end_text only draw_text belongs.
void begin_text();
void draw_text(float x, float y, float wrap, float limit, const char* text, int colour);
void end_text();
void draw_text_once(float x, float y, float wrap, float limit, const char* text, int colour);
void draw_text_boxed(int x, int y, const char* text, int colour, int background);
int set_text_blend_mode(int mode);

// Measuring, in pixels of the current font and style.
int char_advance(int glyph);
int text_width(const char* text);
int text_width_prefix(const char* text, int n);
int text_index_at(const char* text, int px);

// Width of the word that starts at text, up to the next whitespace byte or the
// end, by the measuring rule; draw_text's word wrap asks this after a space.
int text_word_width(const char* text);
