// Fuzz target for the font style parser and the variants it makes: any
// specifications through parse_font_spec, selection, naming, copying and
// deleting, with text measured and drawn in whatever font is current after
// each step. A real context (the test window), so run under a display.
//
// Input: operations of one byte each, followed by their specification and,
// for naming and copying, a new name (both one byte of length, then the text).
#include <string>

#include "framework/platform/gl.h"
#include "tools/fuzz/fuzz_fonts.h"
#include "tools/fuzz/fuzz_target.h"

namespace {

void check_current() {
    fuzz_require(current_font == nullptr || fuzz_font_registered(current_font), "the current font is not registered");
    fuzz_require(fonts == nullptr || font_registry.count < 10000, "the registry runs away");
}

void use_current_font() {
    if (!current_font) return;
    const char* text = "Abg\xce x";
    int w = text_width(text);
    fuzz_require(w >= 0 && text_index_at(text, w / 2) >= 0, "measuring in the current font");
    draw_text_once(2, 2, 40, 60, text, 0xFFFFFF);
    fuzz_require(glGetError() == GL_NO_ERROR, "GL error while drawing");
}

}  // namespace

TESS_FUZZ_TARGET(font_spec, fuzz_fonts_open) {
    FuzzInput in = {data, size, 0};
    for (int n = 0; n < 16 && !in.done(); n++) {
        uint8_t op = in.byte() % 7;
        std::string spec = in.piece();
        const char* s = spec.c_str();
        switch (op) {
        case 0: {
            FontStyle st = parse_font_spec(s);
            fuzz_require(fuzz_font_registered(st.base), "a parsed style has an unregistered base");
            break;
        }
        case 1: select_font(s); break;
        case 2: fuzz_require(fuzz_font_registered(font_from_spec(s)), "font_from_spec gave no registered font"); break;
        case 3: font_name_spec(s, in.piece().c_str()); break;
        case 4: font_copy_spec(s, in.piece().c_str()); break;
        case 5: font_delete_spec(s); break;
        default: font_delete_spec_family(s); break;
        }
        check_current();
        use_current_font();
    }
    fuzz_fonts_reset();
    return 0;
}
