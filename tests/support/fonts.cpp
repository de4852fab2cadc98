// Font fixtures (see fonts.h).
#include "tests/support/fonts.h"

#include "framework/text/text.h"

void delete_all_fonts() {
    while (fonts && font_registry.count) font_delete(fonts[font_registry.count - 1]);
}

Font* load_embedded_font(const char* name) {
    loadfont_data(embedded_font, embedded_font_size, name, false);
    return fonts[font_registry.count - 1];
}

// Read before any test runs: the settings as the program starts with them.
static const float initial_scale_x = text_scale_x, initial_scale_y = text_scale_y, initial_spacing = letter_spacing;
static const int initial_blend = text_blend_mode, initial_passes = text_passes;
static const uint8_t initial_pitch = fixed_pitch;

void restore_text_settings() {
    text_scale_x = initial_scale_x, text_scale_y = initial_scale_y, letter_spacing = initial_spacing;
    text_blend_mode = initial_blend, text_passes = initial_passes, fixed_pitch = initial_pitch;
}
