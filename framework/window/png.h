// PNG pictures (stb_image_write) carrying text chunks, encoded in memory and
// saved whole; save_png reads a rectangle of the current read buffer, be it a
// window's back buffer or an offscreen target.
#pragma once
#include <cstddef>

// One tEXt chunk: keyword (1 to 79 printable Latin-1 characters, no leading,
// trailing or doubled blanks) and text.
struct PngText {
    const char* keyword;
    const char* text;
};

// Encodes w x h pixels of 3 bytes (red, green, blue), rows stride bytes apart,
// top row first or, with bottom_up, last. The texts go in as tEXt chunks right
// after the header, in order. Returns a heap block (free it) and its *size;
// null when the sizes make no picture or are too big for the encoder, a
// keyword is not valid, or memory runs out.
unsigned char* png_encode(const unsigned char* pixels, int w, int h, long long stride, bool bottom_up,
                          const PngText* texts, int count, size_t* size);

// Saves the w x h rectangle with top-left (x, y), y downwards, of the current
// read buffer as a PNG with the texts, written whole (write_file_whole).
// True when the file was written.
bool save_png(int x, int y, int w, int h, const char* filename, const PngText* texts, int count);
