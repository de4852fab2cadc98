// Fuzz target for loadfont_data: any bytes as font data, loaded into a real
// atlas (GL context from the test window, so run under a display) and deleted again.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "framework/platform/gl.h"
#include "framework/text/font.h"
#include "tests/support/test_window.h"
#include "tools/fuzz/fuzz_target.h"

static uint32_t layout_limit = 2048;

// A small texture limit keeps every load quick and makes wide glyphs and wrapped rows
// common; TESS_FUZZ_TEXTURE_LIMIT sets it (initial 256, 2048 at most as for the loader).
static void open_font_load() {
    test_window_open(64, 64);
    const char* text = getenv("TESS_FUZZ_TEXTURE_LIMIT");
    int limit = text ? atoi(text) : 256;
    if (limit < 1) limit = 256;
    font_max_texture_size_override = limit;
    layout_limit = limit > 2048 ? 2048 : (uint32_t)limit;
}

static void require(bool ok, const char* what, int k) {
    if (!ok) fprintf(stderr, "glyph %d\n", k);
    fuzz_require(ok, what);
}

TESS_FUZZ_TARGET(font_load, open_font_load) {
    if (size > UINT32_MAX) return 0;
    // An atlas over the limit ends the process through fatal_error with the size
    // message, the loader's deliberate answer and not a finding: such inputs are
    // only laid out.
    static Font probe;
    font_layout(&probe, data, (uint32_t)size, layout_limit);
    if ((uint32_t)probe.texture_width > layout_limit || (uint32_t)probe.texture_height > layout_limit) return 0;

    uint32_t before = font_registry.count;
    bool coverage_alpha = size & 1;  // both encodings, chosen by the input alone
    loadfont_data(data, (uint32_t)size, "fuzz", coverage_alpha);
    require(font_registry.count == before + 1, "the font was not registered", -1);
    Font* f = fonts[font_registry.count - 1];
    require(f->texture_width >= 1 && f->texture_height >= 1, "empty atlas", -1);
    require((f->texture_width & (f->texture_width - 1)) == 0 && (f->texture_height & (f->texture_height - 1)) == 0,
            "atlas size is no power of two", -1);
    for (int k = 0; k < 512; k++) {
        require(f->glyph_x[k] >= 0 && f->glyph_y[k] >= 0 && f->glyph_width[k] >= 0, "negative glyph entry", k);
        // Every drawn glyph's cell lies inside the atlas, so drawing never samples past it.
        // Glyphs missing from the data keep the cursor, which may stand past the right edge.
        if (f->glyph_width[k] == 0) continue;
        require((int64_t)f->glyph_x[k] + f->glyph_width[k] <= f->texture_width, "glyph right of the atlas", k);
        require((int64_t)f->glyph_y[k] + f->max_height <= f->texture_height, "glyph below the atlas", k);
    }
    require(glGetError() == GL_NO_ERROR, "GL error while loading", -1);
    font_delete(f);
    return 0;
}
