// PNG preview of font data: a 32 x 16 grid of all glyphs (each glyph's stored
// box tinted so its size shows) and sample lines, drawn at 3x. Uses zlib.
#include "font_preview.h"

#include <zlib.h>

#include <cstdio>
#include <cstring>

static const int kScale = 3;
static const int kCellW = 19;  // widest glyph 16 plus a margin
static const int kCellH = 16;  // cell height 13 plus a margin
static const int kColumns = 32;

struct Canvas {
    int width;
    int height;
    std::vector<uint8_t> rgb;
};

// The framework's colour index palette, as bytes (trunc(value * 255.9)).
static void palette_rgb(int i, uint8_t out[3]) {
    float r, g, b;
    if (i < 16 && i != 8) {
        float level = i >= 8 ? 1.0f : 0.5f;
        r = (i & 4) ? level : 0;
        g = (i & 2) ? level : 0;
        b = (i & 1) ? level : 0;
    } else if (i == 8) {
        r = g = b = 0.25f;
    } else if (i < 40) {
        r = g = b = (float)((i - 16) * (double)0.04347826f);
    } else {
        int k = i - 40;
        r = (k % 6) * 0.2f;
        g = (k / 6 % 6) * 0.2f;
        b = (k / 36) * 0.2f;
    }
    out[0] = (uint8_t)(r * 255.9f);
    out[1] = (uint8_t)(g * 255.9f);
    out[2] = (uint8_t)(b * 255.9f);
}

static void put(Canvas& c, int x, int y, const uint8_t rgb[3]) {
    if (x < 0 || y < 0 || x >= c.width || y >= c.height) return;
    for (int dy = 0; dy < kScale; dy++)
        for (int dx = 0; dx < kScale; dx++) {
            size_t at = ((size_t)(y * kScale + dy) * c.width * kScale + (size_t)(x * kScale + dx)) * 3;
            memcpy(&c.rgb[at], rgb, 3);
        }
}

// Draws glyph g with its top-left at (x, y); box != null tints the stored box.
static void draw_glyph(Canvas& c, const GlyphImage& g, int x, int y, const uint8_t* box) {
    for (int r = 0; r < g.height; r++)
        for (int col = 0; col < g.width; col++) {
            uint8_t v = g.pixels[(size_t)r * g.width + col];
            if (v == 255) {
                if (box) put(c, x + col, y + r, box);
                continue;
            }
            uint8_t rgb[3];
            palette_rgb(v, rgb);
            put(c, x + col, y + r, rgb);
        }
}

static int draw_line(Canvas& c, const std::vector<GlyphImage>& glyphs, const std::vector<int>& text, int x,
                     int y) {
    for (int k : text) {
        if (k < 0 || k >= (int)glyphs.size()) continue;
        draw_glyph(c, glyphs[k], x, y, nullptr);
        x += glyphs[k].width + 1;  // the text renderer's default letter spacing
    }
    return x;
}

static std::vector<int> ascii(const char* s) {
    std::vector<int> out;
    for (; *s; s++) out.push_back((unsigned char)*s);
    return out;
}

static void put_be32(std::vector<uint8_t>& out, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back((uint8_t)(v >> s));
}

static void put_chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& body) {
    put_be32(out, (uint32_t)body.size());
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), body.begin(), body.end());
    uLong crc = crc32(0, &out[start], (uInt)(out.size() - start));
    put_be32(out, (uint32_t)crc);
}

static bool write_png(const Canvas& c, const std::string& path) {
    int w = c.width * kScale, h = c.height * kScale;
    std::vector<uint8_t> raw;
    raw.reserve((size_t)h * (w * 3 + 1));
    for (int y = 0; y < h; y++) {
        raw.push_back(0);  // filter: none
        raw.insert(raw.end(), &c.rgb[(size_t)y * w * 3], &c.rgb[(size_t)y * w * 3] + (size_t)w * 3);
    }
    uLongf packed_size = compressBound((uLong)raw.size());
    std::vector<uint8_t> packed(packed_size);
    if (compress2(packed.data(), &packed_size, raw.data(), (uLong)raw.size(), 9) != Z_OK) return false;
    packed.resize(packed_size);

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    std::vector<uint8_t> ihdr;
    put_be32(ihdr, (uint32_t)w);
    put_be32(ihdr, (uint32_t)h);
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, no interlace
    put_chunk(png, "IHDR", ihdr);
    put_chunk(png, "IDAT", packed);
    put_chunk(png, "IEND", {});

    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = fwrite(png.data(), 1, png.size(), f) == png.size();
    return fclose(f) == 0 && ok;
}

bool write_font_preview(const std::vector<GlyphImage>& glyphs, const std::string& path) {
    int rows = ((int)glyphs.size() + kColumns - 1) / kColumns;
    Canvas c;
    c.width = kColumns * kCellW + 2;
    c.height = rows * kCellH + 6 * 15 + 4;
    c.rgb.assign((size_t)c.width * kScale * c.height * kScale * 3, 0);
    const uint8_t background[3] = {24, 28, 40};
    const uint8_t box[3] = {52, 58, 80};
    for (int y = 0; y < c.height; y++)
        for (int x = 0; x < c.width; x++) put(c, x, y, background);

    for (int k = 0; k < (int)glyphs.size(); k++)
        draw_glyph(c, glyphs[k], 2 + k % kColumns * kCellW, 2 + k / kColumns * kCellH, box);

    int y = rows * kCellH + 6;
    const char* samples[] = {
        "The quick brown fox jumps over the lazy dog. 0123456789",
        "SPHINX OF BLACK QUARTZ, JUDGE MY VOW! fps: 59.94 Qs = 0.0731",
        "!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~ gjpqy Aa Bb Cc",
    };
    for (const char* s : samples) {
        draw_line(c, glyphs, ascii(s), 4, y);
        y += 15;
    }
    std::vector<int> greek_lower, greek_upper;
    for (int k = 256; k < 280; k++) greek_lower.push_back(k);
    for (int k = 280; k < 304; k++) greek_upper.push_back(k);
    draw_line(c, glyphs, greek_lower, 4, y);
    draw_line(c, glyphs, greek_upper, 4, y + 15);
    std::vector<int> latin = {163, 32, 166, 32, 172, 32, 0, 127, 255};
    draw_line(c, glyphs, latin, 4, y + 30);

    if (!write_png(c, path)) {
        fprintf(stderr, "make_font: cannot write preview '%s'\n", path.c_str());
        return false;
    }
    return true;
}
