// PNG preview of font data for make_font: every glyph on a grid plus a line of
// sample text, in the colour index palette, scaled up so it can be inspected.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct GlyphImage {
    int width;
    int height;
    std::vector<uint8_t> pixels;  // width * height colour indices, 255 = transparent
};

// Writes the preview; returns false (after a message on stderr) if the file cannot be written.
bool write_font_preview(const std::vector<GlyphImage>& glyphs, const std::string& path);
