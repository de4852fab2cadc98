// The font fixture of the GL fuzz targets: a real context (the test window,
// so they run under a display) with the embedded font loaded as "normal", and
// after every input the registry put back to that font alone, with the text
// settings as a program starts with them.
#pragma once
#include "framework/text/font.h"
#include "framework/text/text.h"
#include "tests/support/fonts.h"
#include "tests/support/test_window.h"

inline Font* fuzz_normal_font = nullptr;

inline bool fuzz_font_registered(const Font* f) {
    for (uint32_t i = 0; fonts && i < font_registry.count; i++)
        if (fonts[i] == f) return true;
    return false;
}

// Deletes what an input made (variants, copies, placeholders), reloads the
// font if the input deleted it, and selects it under its own name again.
inline void fuzz_fonts_reset() {
    if (!fuzz_font_registered(fuzz_normal_font)) fuzz_normal_font = nullptr;
    while (fonts && font_registry.count > (fuzz_normal_font ? 1u : 0u)) {
        uint32_t i = font_registry.count - 1;
        if (fonts[i] == fuzz_normal_font) i--;
        font_delete(fonts[i]);
    }
    if (!fuzz_normal_font) {
        current_font = nullptr;
        fuzz_normal_font = load_embedded_font("normal");
    }
    font_set_name(fuzz_normal_font, "normal");
    current_font = nullptr;  // font_select ignores the current font
    font_select(fuzz_normal_font);
    restore_text_settings();
}

inline void fuzz_fonts_open() {
    test_window_open(160, 120);
    fuzz_fonts_reset();
}
