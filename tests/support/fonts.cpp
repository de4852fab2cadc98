// Font fixtures (see fonts.h).
#include "tests/support/fonts.h"

void delete_all_fonts() {
    while (fonts && font_registry.count) font_delete(fonts[font_registry.count - 1]);
}

Font* load_embedded_font(const char* name) {
    loadfont_data(embedded_font, embedded_font_size, name, false);
    return fonts[font_registry.count - 1];
}
