// make_font: rasterises DejaVu Sans with FreeType into the framework's font data
// (512 records of width, height and colour-index pixels, exactly 14,555 bytes) and
// writes framework/text/embedded_font.cpp. Run through tools/make_font/make_font.sh.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_MODULE_H
#include FT_DRIVER_H

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "font_preview.h"

static const size_t kTargetBytes = 14555;
static const int kRecords = 512;
static const int kCellHeight = 13;
static const int kBaselineRow = 10;  // lowest row of a capital: capitals are 11 rows high
static const int kPixelSize = 11;    // em size at which DejaVu Sans capitals end on row 10, 'C' 8 wide
static const int kMaxWidth = 16;     // the tab; no other glyph may be wider
static const uint8_t kTransparent = 255;
static const int kRampFirst = 16;  // grey ramp 16..39; 16 (black) is stored as transparent

// Where each glyph comes from: a code point to rasterise, or a fixed image.
enum GlyphKind { kPlaceholder, kTab, kSpace, kRasterised, kEmptySlot };

struct Source {
    GlyphKind kind;
    uint32_t codepoint;
};

static Source glyph_source(int k) {
    if (k == 9) return {kTab, 0};
    if (k == 32) return {kSpace, 0};
    if (k >= 33 && k <= 126) return {kRasterised, (uint32_t)k};
    if (k == 163 || k == 166 || k == 172) return {kRasterised, (uint32_t)k};  // pound, broken bar, not
    if (k >= 256 && k < 280) {  // alpha..omega, skipping final sigma (U+03C2)
        int i = k - 256;
        return {kRasterised, (uint32_t)(0x3B1 + i + (i >= 17 ? 1 : 0))};
    }
    if (k >= 280 && k < 304) {  // Alpha..Omega, skipping the unassigned U+03A2
        int i = k - 280;
        return {kRasterised, (uint32_t)(0x391 + i + (i >= 17 ? 1 : 0))};
    }
    if (k >= 304) return {kEmptySlot, 0};
    return {kPlaceholder, 0};
}

static GlyphImage solid(int w, int h, uint8_t v) {
    return GlyphImage{w, h, std::vector<uint8_t>((size_t)w * h, v)};
}

// A red frame around a cyan bar with a dark red shadow: visible on any background.
static GlyphImage placeholder() {
    static const uint8_t mark[15] = {12, 12, 12,  //
                                     12, 11, 4,   //
                                     12, 11, 4,   //
                                     12, 11, 4,   //
                                     4,  4,  4};
    return GlyphImage{3, 5, std::vector<uint8_t>(mark, mark + 15)};
}

// Coverage 0..255 to the grey ramp; no ink stays transparent rather than black.
static uint8_t quantise(uint8_t coverage) {
    int level = (coverage * 23 + 127) / 255;
    return level == 0 ? kTransparent : (uint8_t)(kRampFirst + level);
}

struct Ink {
    int x, y;
    uint8_t v;
};

// Rasterises one code point into a cell whose row 0 is the top of the line. The image is
// the advance width wide (widened where ink overhangs it) and ends at its lowest inked row.
static bool rasterise(FT_Face face, uint32_t cp, GlyphImage* out) {
    if (FT_Get_Char_Index(face, cp) == 0) {
        fprintf(stderr, "make_font: the font has no glyph for U+%04X\n", cp);
        return false;
    }
    if (FT_Load_Char(face, cp, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) != 0 ||
        face->glyph->bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) {
        fprintf(stderr, "make_font: cannot render U+%04X as grey levels\n", cp);
        return false;
    }
    FT_GlyphSlot g = face->glyph;
    int advance = (int)((g->advance.x + 32) >> 6);
    std::vector<Ink> ink;
    int top = 1 << 20, bottom = -(1 << 20), left = 0, right = advance;
    for (unsigned r = 0; r < g->bitmap.rows; r++)
        for (unsigned c = 0; c < g->bitmap.width; c++) {
            uint8_t v = quantise(g->bitmap.buffer[(size_t)r * g->bitmap.pitch + c]);
            if (v == kTransparent) continue;
            Ink p{g->bitmap_left + (int)c, kBaselineRow + 1 - g->bitmap_top + (int)r, v};
            ink.push_back(p);
            top = p.y < top ? p.y : top;
            bottom = p.y > bottom ? p.y : bottom;
            left = p.x < left ? p.x : left;
            right = p.x + 1 > right ? p.x + 1 : right;
        }
    if (ink.empty()) {
        fprintf(stderr, "make_font: U+%04X has no ink at this size\n", cp);
        return false;
    }
    // Ink that would leave the cell is moved in while there is room (e.g. the long
    // bar '|' reaches one row below the descenders); only what still overflows is lost.
    int shift = 0;
    if (bottom >= kCellHeight) shift = -std::min(bottom - (kCellHeight - 1), top);
    else if (top < 0) shift = std::min(-top, kCellHeight - 1 - bottom);
    int lost = 0, height = 1;
    out->width = right - left;
    out->pixels.assign((size_t)out->width * kCellHeight, kTransparent);
    for (const Ink& p : ink) {
        int y = p.y + shift;
        if (y < 0 || y >= kCellHeight) {
            lost++;
            continue;
        }
        out->pixels[(size_t)y * out->width + (p.x - left)] = p.v;
        height = y + 1 > height ? y + 1 : height;
    }
    if (lost) fprintf(stderr, "make_font: U+%04X loses %d pixels outside the 13-row cell\n", cp, lost);
    out->height = height;
    out->pixels.resize((size_t)out->width * height);
    return true;
}

static size_t data_size(const std::vector<GlyphImage>& glyphs) {
    size_t n = 0;
    for (const GlyphImage& g : glyphs) n += 2 + (size_t)g.width * g.height;
    return n;
}

static bool column_empty(const GlyphImage& g, int c) {
    for (int r = 0; r < g.height; r++)
        if (g.pixels[(size_t)r * g.width + c] != kTransparent) return false;
    return true;
}

static int trailing_empty_columns(const GlyphImage& g) {
    int n = 0;
    while (n < g.width - 1 && column_empty(g, g.width - 1 - n)) n++;
    return n;
}

// Glyphs whose size may change to reach the exact byte count: rasterised ones other than
// letters and digits (capitals stay 11 rows, 'C' stays 8 wide) and the quotation marks.
static bool adjustable(int k) {
    Source s = glyph_source(k);
    if (s.kind != kRasterised) return false;
    if (k < 128) return !isalnum(k) && k != '"' && k != '\'' && k != '`';
    return true;
}

// Too many bytes: drop the transparent right-hand column from the adjustable glyph with the
// most of them (then the tallest, then the lowest index), tightening its advance by a pixel.
static bool trim_one_column(std::vector<GlyphImage>& glyphs) {
    int best = -1, best_empty = 0;
    for (int k = 0; k < kRecords; k++) {
        if (!adjustable(k)) continue;
        int e = trailing_empty_columns(glyphs[k]);
        if (e > best_empty || (e == best_empty && e > 0 && glyphs[k].height > glyphs[best].height)) {
            best = k;
            best_empty = e;
        }
    }
    if (best < 0) return false;
    GlyphImage& g = glyphs[best];
    std::vector<uint8_t> p;
    for (int r = 0; r < g.height; r++)
        p.insert(p.end(), g.pixels.begin() + (size_t)r * g.width, g.pixels.begin() + (size_t)r * g.width + g.width - 1);
    g.width--;
    g.pixels = p;
    return true;
}

// Too few bytes: add transparent bottom rows (never past row 13) to adjustable glyphs so
// the total becomes exact. A subset sum over "one more row of glyph k" costing its width,
// using as few rows as possible; ties go to the first glyphs in index order.
static bool pad_rows(std::vector<GlyphImage>& glyphs, size_t missing) {
    std::vector<int> items;
    for (int k = 0; k < kRecords; k++)
        if (adjustable(k))
            for (int r = glyphs[k].height; r < kCellHeight; r++) items.push_back(k);
    const int kNone = 1 << 30;
    std::vector<int> count(missing + 1, kNone);
    count[0] = 0;
    // 0/1 knapsack; choice[i][s] records that row i improved sum s, so walking the rows
    // backwards recovers one optimal set with each row used at most once.
    std::vector<std::vector<char>> choice(items.size(), std::vector<char>(missing + 1, 0));
    for (size_t i = 0; i < items.size(); i++) {
        int w = glyphs[items[i]].width;
        for (size_t s = missing; s >= (size_t)w && w > 0; s--)
            if (count[s - w] != kNone && count[s - w] + 1 < count[s]) {
                count[s] = count[s - w] + 1;
                choice[i][s] = 1;
            }
    }
    if (count[missing] == kNone) return false;
    size_t s = missing;
    for (size_t i = items.size(); i-- > 0 && s > 0;) {
        if (choice[i][s] != 1) continue;
        GlyphImage& g = glyphs[items[i]];
        g.pixels.insert(g.pixels.end(), (size_t)g.width, kTransparent);
        g.height++;
        s -= g.width;
    }
    return s == 0;
}

static bool fit_to_target(std::vector<GlyphImage>& glyphs) {
    for (;;) {
        size_t n = data_size(glyphs);
        if (n <= kTargetBytes && pad_rows(glyphs, kTargetBytes - n)) return true;
        if (!trim_one_column(glyphs)) return false;
    }
}

static std::vector<uint8_t> serialise(const std::vector<GlyphImage>& glyphs) {
    std::vector<uint8_t> data;
    for (const GlyphImage& g : glyphs) {
        data.push_back((uint8_t)g.width);
        data.push_back((uint8_t)g.height);
        data.insert(data.end(), g.pixels.begin(), g.pixels.end());
    }
    return data;
}

struct AtlasSize {
    uint32_t width;
    uint32_t height;
    bool too_tall;  // the loader stops with its size message
};

static uint32_t next_power_of_two(uint32_t v) {
    uint32_t p = 1;
    while (p < v) p <<= 1;
    return p;
}

// The loader's scan and row packing, replayed on the serialised bytes so that the
// atlas sizes the font promises are checked against what the loader will do.
static AtlasSize simulate_atlas(const std::vector<uint8_t>& data, uint32_t max_texture_size) {
    uint32_t max_height = 1;
    size_t at = 0;
    for (int k = 0; k < kRecords && at + 2 <= data.size(); k++) {
        max_height = data[at + 1] > max_height ? data[at + 1] : max_height;
        at += 2 + (size_t)data[at] * data[at + 1];
    }
    uint32_t limit = max_texture_size > 2048 ? 2048 : max_texture_size;
    uint32_t gap = max_height >> 2;
    uint32_t cx = 0, cy = 0, right = 1;
    at = 0;
    for (int k = 0; k < kRecords && at + 2 <= data.size(); k++) {
        uint32_t w = data[at], x = cx;
        cx += w + gap;
        if (cx > limit) {
            x = 0;
            cy += max_height + gap;
            cx = w + gap;
        }
        right = x + w > right ? x + w : right;
        at += 2 + (size_t)w * data[at + 1];
    }
    AtlasSize a{next_power_of_two(right), next_power_of_two(cy + max_height), false};
    a.too_tall = a.height > limit;
    return a;
}

static int failures = 0;

static void expect(bool ok, const char* what) {
    if (!ok) {
        fprintf(stderr, "make_font: check failed: %s\n", what);
        failures++;
    }
}

static void check_font(const std::vector<GlyphImage>& glyphs, const std::vector<uint8_t>& data) {
    expect(glyphs.size() == (size_t)kRecords, "512 records");
    expect(data.size() == kTargetBytes, "exactly 14555 bytes");
    int tallest = 1, widest = 0, widest_other = 0;
    for (int k = 0; k < (int)glyphs.size(); k++) {
        const GlyphImage& g = glyphs[k];
        expect(g.width >= 1 && g.width <= 255 && g.height >= 1 && g.height <= 255, "sizes fit a byte");
        expect(g.pixels.size() == (size_t)g.width * g.height, "pixel count");
        tallest = g.height > tallest ? g.height : tallest;
        widest = g.width > widest ? g.width : widest;
        if (k != 9) widest_other = g.width > widest_other ? g.width : widest_other;
    }
    expect(tallest == kCellHeight, "cell height 13");
    expect(widest == kMaxWidth && widest_other < kMaxWidth, "the tab alone is the widest glyph, 16");
    expect(glyphs[67].width == 8, "glyph 67 ('C') is 8 wide");
    for (int k = 'A'; k <= 'Z'; k++)  // J and Q reach below the baseline in DejaVu Sans
        if (k != 'J' && k != 'Q') expect(glyphs[k].height == 11, "capitals are 11 rows high");
    expect(glyphs['g'].height == 13 && glyphs['p'].height == 13, "descenders reach row 13");

    struct {
        uint32_t limit, width, height;
        bool too_tall;
    } expected[] = {{16384, 2048, 32, false}, {2048, 2048, 32, false}, {1024, 1024, 64, false},
                    {512, 512, 128, false},   {128, 128, 512, true}};
    for (const auto& e : expected) {
        AtlasSize a = simulate_atlas(data, e.limit);
        if (a.width != e.width || a.height != e.height || a.too_tall != e.too_tall) {
            fprintf(stderr, "make_font: with GL_MAX_TEXTURE_SIZE %u the atlas is %ux%u%s, want %ux%u%s\n", e.limit,
                    a.width, a.height, a.too_tall ? " (too tall)" : "", e.width, e.height,
                    e.too_tall ? " (too tall)" : "");
            failures++;
        }
    }
}

static bool write_source(const std::vector<uint8_t>& data, const std::string& path) {
    FILE* f = fopen(path.c_str(), "w");
    if (!f) {
        fprintf(stderr, "make_font: cannot write '%s'\n", path.c_str());
        return false;
    }
    fprintf(f,
            "// Generated by tools/make_font (make_font.sh) from DejaVu Sans; do not edit by hand.\n"
            "// The embedded default font: 512 records of width, height and colour-index pixels\n"
            "// (255 = transparent). Glyph origin and licence: tools/make_font/README.md.\n"
            "#include \"framework/text/font.h\"\n\n"
            "const unsigned char embedded_font[%zu] = {\n",
            data.size());
    const size_t kPerLine = 20;
    for (size_t i = 0; i < data.size(); i += kPerLine) {
        fputs("   ", f);
        for (size_t j = i; j < i + kPerLine && j < data.size(); j++) fprintf(f, " %u,", data[j]);
        fputc('\n', f);
    }
    fputs("};\n\nconst uint32_t embedded_font_size = sizeof embedded_font;\n", f);
    return fclose(f) == 0;
}

int main(int argc, char** argv) {
    std::string font_path = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    std::string out_path = "framework/text/embedded_font.cpp";
    std::string preview_path;
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        if (i + 1 < argc && a == "--font") font_path = argv[++i];
        else if (i + 1 < argc && a == "--out") out_path = argv[++i];
        else if (i + 1 < argc && a == "--preview") preview_path = argv[++i];
        else {
            fprintf(stderr, "usage: make_font [--font TTF] [--out CPP] [--preview PNG]\n");
            return 2;
        }
    }

    FT_Library library;
    FT_Face face;
    if (FT_Init_FreeType(&library) != 0) return 1;
    // The classic TrueType interpreter hints horizontally too, which keeps stems on whole
    // pixels: at 11 pixels that reads better than the default's blurred verticals.
    FT_UInt interpreter = TT_INTERPRETER_VERSION_35;
    FT_Property_Set(library, "truetype", "interpreter-version", &interpreter);
    if (FT_New_Face(library, font_path.c_str(), 0, &face) != 0 || FT_Set_Pixel_Sizes(face, 0, kPixelSize) != 0) {
        fprintf(stderr, "make_font: cannot open '%s' at %d pixels\n", font_path.c_str(), kPixelSize);
        return 1;
    }

    std::vector<GlyphImage> glyphs(kRecords);
    bool ok = true;
    for (int k = 0; k < kRecords; k++) {
        Source s = glyph_source(k);
        switch (s.kind) {
            case kPlaceholder: glyphs[k] = placeholder(); break;
            case kTab: glyphs[k] = solid(16, 1, kTransparent); break;
            case kSpace: glyphs[k] = solid(2, 1, kTransparent); break;
            case kEmptySlot: glyphs[k] = solid(1, 1, 1); break;
            case kRasterised: ok = rasterise(face, s.codepoint, &glyphs[k]) && ok; break;
        }
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    if (!ok) return 1;

    size_t raw = data_size(glyphs);
    std::vector<GlyphImage> before = glyphs;
    if (!fit_to_target(glyphs)) {
        fprintf(stderr, "make_font: cannot bring %zu bytes to exactly %zu\n", raw, kTargetBytes);
        return 1;
    }
    for (int k = 0; k < kRecords; k++)
        if (glyphs[k].width != before[k].width || glyphs[k].height != before[k].height)
            printf("make_font: glyph %d adjusted from %dx%d to %dx%d\n", k, before[k].width, before[k].height,
                   glyphs[k].width, glyphs[k].height);
    std::vector<uint8_t> data = serialise(glyphs);
    check_font(glyphs, data);
    if (!preview_path.empty() && !write_font_preview(glyphs, preview_path)) return 1;
    if (failures) {
        fprintf(stderr, "make_font: %d checks failed; %s not written\n", failures, out_path.c_str());
        return 1;
    }
    if (!write_source(data, out_path)) return 1;
    printf("make_font: %zu bytes rasterised, %zu written to %s\n", raw, data.size(), out_path.c_str());
    return 0;
}
