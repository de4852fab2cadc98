// Text markup: Greek letter names, '^'/'_' scripts with braces, and
// "#col=N#" / "#tab=N#" rewritten in place into the encoded text of text.h.
// Every writer takes the buffer's full size and never writes past it.
#pragma once
#include <cstddef>
#include <cstdint>

// Capacity is the size of the whole buffer in bytes, terminator included.
// When the result does not fit, it is cut after the last whole byte or code
// that fits and stays terminated; a text with no terminator inside the
// buffer is taken to end at its last byte. A code is never left half
// written, so the result is always safe for encoded_end and draw_text.
// The overloads for char arrays take the capacity from the array.

// markup_text and markup_greek take readable text, which ends at its first
// zero byte; markup_scripts and markup_commands take encoded text, whose
// codes may hold zeros.

// markup_greek, then markup_scripts(text, depth, 0, 256).
char* markup_text(char* text, int depth, size_t capacity);

// Greek names (anywhere, A-Z folded) become glyph codes 2, hi, lo: 256 + k
// when the name starts lower case, 280 + k otherwise; the var- names fixed.
char* markup_greek(char* text, size_t capacity);

// '^' and '_' raise or lower the script after them by size-and-offset codes,
// braced groups nested up to depth levels; depth 0 changes nothing, and a
// negative depth processes every level.
// A '^' or '_' with nothing after it (end of text or group, or a command
// code) stays as it is. Size is in 1/256 of full size, offset in 1/256 of
// the line height.
void markup_scripts(char* text, int depth, int16_t offset, uint16_t size, size_t capacity);

// "#col=N#" and "#tab=N#" become the colour and tab commands.
char* markup_commands(char* text, size_t capacity);

// The terminating zero, stepping over glyph codes (3 bytes) and commands
// (6 bytes). The bounded form stays inside capacity bytes and returns null
// when the text has no terminator there at a code boundary.
const char* encoded_end(const char* text);
const char* encoded_end(const char* text, size_t capacity);

// The buffer size, terminator included, that markup_text needs for text
// without cutting it (never less than the text's own size); 0 when no working memory could be had.
size_t markup_text_size(const char* text, int depth);

template <size_t N>
char* markup_text(char (&text)[N], int depth) { return markup_text(text, depth, N); }
template <size_t N>
char* markup_greek(char (&text)[N]) { return markup_greek(text, N); }
template <size_t N>
void markup_scripts(char (&text)[N], int depth, int16_t offset, uint16_t size) {
    markup_scripts(text, depth, offset, size, N);
}
template <size_t N>
char* markup_commands(char (&text)[N]) { return markup_commands(text, N); }
