// Font and FontStyle records, the font registry and the current-font state
// shared by loading, styles and text drawing. Single-threaded: everything
// here belongs to the thread that owns the GL context.
#pragma once
#include <cstdint>
#include "framework/util/grow_array.h"

struct Font;

struct FontStyle {
    Font* base;          // font built from font data whose atlas and glyph table are used
    float x_scale;       // initial 1
    float y_scale;       // initial 1
    float skew;          // tan of the slant angle
    float boldness;      // fraction of glyph width
    int32_t own_glyph_count;  // 512 for a font built from data, 0 for a variant
    int32_t reserved;    // always 0
};

struct Font {
    uint32_t texture;        // atlas texture name, shared by variants
    int32_t glyph_x[512];    // left edge in the atlas, texels
    int32_t glyph_y[512];    // top edge in the atlas, texels
    int32_t glyph_width[512];  // 0 for glyphs missing from the data
    int32_t texture_width;   // level 0 as GL reports it
    int32_t texture_height;
    uint8_t max_width;
    uint8_t max_height;      // cell height, at least 1
    uint8_t cell_width;      // glyph_width[67] + 1, kept to 8 bits
    char* name;              // owned; compared ignoring case
    FontStyle style;
};

extern const FontStyle default_style;
extern uint8_t font_cell_width;
extern uint8_t font_line_height;
extern uint8_t font_max_width;
extern Font* current_font;
extern Font** fonts;  // alias of font_registry.data; null until the registry exists
extern GrowArray font_registry;
extern FontStyle current_style;

// Registry and selection.
void font_registry_init();
int font_exists(const char* spec);
void font_set_name(Font* f, const char* name);
void font_refresh_metrics(Font* f);
Font* font_duplicate(Font* f);
void font_select(Font* f);
// Deleting a base that other registered fonts still use deletes them with it.
void font_delete(Font* f);
void font_delete_family(Font* f);
// Deletes every registered font whose style.base is b (b itself only when it
// is its own base), last entry first; fonts based on those go as well.
void font_delete_based_on(Font* b);
Font* font_create_empty(const char* name);
uint32_t font_memory_estimate();
// The first registered font (first entry to last) whose name equals the name
// part of spec (the text before the first ':') ignoring case; null if none.
Font* font_find(const char* spec);

// Loading.
// Test seam: when nonzero, used in place of the queried GL_MAX_TEXTURE_SIZE
// (both for the layout limit and in the size message). Initial 0: ask GL.
extern int font_max_texture_size_override;
// Scans the font data and lays the glyphs out for a texture size limit
// (already lowered to 2048): fills max_height, the glyph tables and
// texture_width/height of f. No GL. Never reads past data + length.
void font_layout(Font* f, const unsigned char* data, uint32_t length, uint32_t limit);
void loadfont(const char* path, const char* name);
void loadfont_data(const unsigned char* data, uint32_t length, const char* name, bool coverage_alpha);
void font_minify_contrast(Font* f);
extern const unsigned char embedded_font[];
extern const uint32_t embedded_font_size;  // bytes of embedded_font

// Style specifications and variants.
FontStyle parse_font_spec(const char* spec);
float font_match_score(FontStyle a, FontStyle b);
Font* font_variant(FontStyle s);
void select_font_style(FontStyle s);
void select_font(const char* spec);
Font* font_from_spec(const char* spec);
void font_name_spec(const char* spec, const char* new_name);
void font_copy_spec(const char* spec, const char* new_name);
void font_delete_spec(const char* spec);
void font_delete_spec_family(const char* spec);
