// The viewer's own texts' scale (see ui_scale.h).
#include "app/overlays/ui_scale.h"

#include <algorithm>

#include "framework/platform/platform.h"
#include "framework/text/text.h"

int ui_scale_for(int height, double system_scale) {
    int from_system = system_scale > 0 && system_scale < 64 ? (int)(system_scale + 0.5) : 1;
    return std::max({1, height / 1080, from_system});
}

int ui_scale(int height) {
    static double system_scale = plat_display_scale();
    return ui_scale_for(height, system_scale);
}

// The bracket's glScalef applies to positions too: they are given in glyph units.
void begin_ui_text(int k) {
    text_scale_x = text_scale_y = (float)k;
    begin_text();
}

void ui_text(int k, double x, double y, const char* text, int colour) {
    draw_text((float)(x / k), (float)(y / k), 0, 0, text, colour);
}

void end_ui_text() {
    end_text();
    text_scale_x = text_scale_y = 1;
}
