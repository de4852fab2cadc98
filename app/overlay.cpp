// The viewer's overlay. The tune comes from the trace of the map's Jacobian at
// the stable fixed point (sin x0 = sin sp, cos x0 < 0): 2 - d^2 |cos sp|, so
// cos(tune) = 1 - d^2 |cos sp| / 2, with sp = pi/2 + phase the synchronous
// phase. The map sees the phase only through sin sp: a positive phase has the
// bucket of its negative, mirrored.
#include "app/overlay.h"

#include <cmath>
#include <cstdio>

#include "framework/text/font.h"
#include "framework/text/text.h"
#include "framework/window/clock.h"
#include "framework/window/graphics.h"

void overlay_load_font() { loadfont_data(embedded_font, embedded_font_size, "normal", false); }

void overlay_start(Overlay* o) { o->last_time = timer(); }

double synchrotron_tune_degrees(double d, double phase) {
    double sp = 1.5707963267948966 + phase;
    return acos(1 - d * d * fabs(cos(sp)) * 0.5) * 57.29577951308232;
}

void overlay_draw(Overlay* o, double d, float phase, const char* fragment_log, const char* link_log) {
    double now = timer();
    snprintf(o->text, sizeof o->text, "%lg fps", 1 / (now - o->last_time));
    o->last_time = timer();  // a second reading: formatting and drawing stay out of the rate

    int w2 = graphics.width / 2;
    float h = font_line_height;
    begin_text();
    draw_text((float)w2, 2 * h, 0, 0, o->text, 0xFFFFFF);
    end_text();
    begin_text();
    draw_text(0, 0, 0, 0, fragment_log, 0xFFFFFF);
    end_text();
    begin_text();
    draw_text((float)w2, 0, 0, 0, link_log, 0xFFFFFF);
    end_text();
    snprintf(o->text, sizeof o->text, "Synchrotron tune per cell = %lg degrees", synchrotron_tune_degrees(d, phase));
    begin_text();
    draw_text(0, 2 * h, 0, 0, o->text, 0xFFFFFF);
    end_text();
}
