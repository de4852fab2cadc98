// Fuzz target for measuring and drawing text: any bytes as a text, measured
// (widths, prefixes, caret indices, word width) and drawn with the text
// settings the input picks, into a real context (the test window, so run
// under a display). The text sits in a heap block of exactly its size, so
// ASan sees any read past it. Texts hold whole codes (text.h): six zeros
// close the input, enough to complete a glyph code or a command cut by its
// end and still terminate the text.
//
// Input: byte 0 the settings (bit 0 fixed pitch, bits 1-2 passes, bit 3 wrap,
// bit 4 limit, bits 5-7 blend mode), byte 1 the letter spacing, byte 2 the
// text scale, bytes 3-4 the wrap and limit; the rest is the text.
#include <string>
#include <vector>

#include "framework/platform/gl.h"
#include "tools/fuzz/fuzz_fonts.h"
#include "tools/fuzz/fuzz_target.h"

namespace {

GLint gl_int(GLenum what) {
    GLint v = -1;
    glGetIntegerv(what, &v);
    return v;
}

void measure(const char* text, size_t block) {
    int w = text_width(text);
    fuzz_require(w >= 0 && text_word_width(text) >= 0, "negative width");
    for (int n : {0, 1, 3, (int)block / 2, (int)block, -1})
        fuzz_require(text_width_prefix(text, n) >= 0, "negative prefix width");
    for (int px : {-5, 0, 1, w / 2, w, w + 40}) {
        int i = text_index_at(text, px);
        fuzz_require(i >= 0 && (size_t)i < block, "caret index outside the text");
    }
}

}  // namespace

TESS_FUZZ_TARGET(text, fuzz_fonts_open) {
    FuzzInput in = {data, size, 0};
    uint8_t settings = in.byte();
    fixed_pitch = settings & 1;
    text_passes = settings >> 1 & 3;
    letter_spacing = in.byte() / 100.0f;
    static const float scales[4] = {1.0f, 0.5f, 2.0f, 3.0f};
    text_scale_x = text_scale_y = scales[in.byte() & 3];
    uint8_t wrap_byte = in.byte(), limit_byte = in.byte();
    float wrap = settings & 8 ? wrap_byte : 0.0f, limit = settings & 16 ? limit_byte : 0.0f;
    set_text_blend_mode(settings >> 5);
    const std::string rest = in.rest();
    std::vector<char> text(rest.begin(), rest.end());
    text.resize(text.size() + 6, 0);

    const Font* entry = current_font;
    const GLint attribs = gl_int(GL_ATTRIB_STACK_DEPTH), modelview = gl_int(GL_MODELVIEW_STACK_DEPTH);
    measure(text.data(), text.size());
    begin_text();
    draw_text(3, 5, wrap, limit, text.data(), 0xC0FFEE);
    fuzz_require(current_font == entry, "draw_text left another font current");
    end_text();
    draw_text_boxed(1, 30, text.data(), 0xFFFFFF, 0x202020);
    fuzz_require(current_font == entry, "draw_text_boxed left another font current");
    fuzz_require(gl_int(GL_ATTRIB_STACK_DEPTH) == attribs && gl_int(GL_MODELVIEW_STACK_DEPTH) == modelview,
                 "a text bracket left the GL stacks deeper");
    fuzz_require(glGetError() == GL_NO_ERROR, "GL error while drawing");
    fuzz_fonts_reset();
    return 0;
}
