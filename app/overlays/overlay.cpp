// The viewer's overlay; the tune is physics' synchrotron_tune.
#include "app/overlays/overlay.h"

#include <cstdio>

#include "app/model/physics.h"
#include "framework/text/font.h"
#include "framework/text/text.h"
#include "framework/window/clock.h"
#include "framework/window/graphics.h"

void overlay_load_font() { loadfont_data(embedded_font, embedded_font_size, "normal", false); }

void overlay_start(Overlay* o) { o->last_time = timer(); }

void overlay_draw(Overlay* o, double d, float phase, const char* fragment_log, const char* link_log) {
    double now = timer();
    snprintf(o->text, sizeof o->text, "%lg fps", 1 / (now - o->last_time));
    o->last_time = timer();  // a second reading: formatting and drawing stay out of the rate

    int w2 = graphics.width / 2;
    float h = font_line_height;
    draw_text_once((float)w2, 2 * h, 0, 0, o->text, 0xFFFFFF);
    draw_text_once(0, 0, 0, 0, fragment_log, 0xFFFFFF);
    draw_text_once((float)w2, 0, 0, 0, link_log, 0xFFFFFF);
    snprintf(o->text, sizeof o->text, "Synchrotron tune per cell = %lg degrees", synchrotron_tune(d, phase));
    draw_text_once(0, 2 * h, 0, 0, o->text, 0xFFFFFF);
}
