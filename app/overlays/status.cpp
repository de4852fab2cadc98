// Status line and help panel. Texts are plain ASCII: the embedded font has
// Latin-1 glyphs, but a degree sign would be the only one used.
#include "app/overlays/status.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "app/model/map_space.h"
#include "app/model/viewer_keys.h"
#include "app/overlays/overlay_draw.h"
#include "app/overlays/ui_scale.h"
#include "framework/draw/draw2d.h"
#include "framework/platform/gl.h"
#include "framework/text/font.h"
#include "framework/text/text.h"
#include "framework/window/graphics.h"

void status_text(const ViewerState& s, float progress, char* out, size_t size) {
    int n = snprintf(out, size, "d %.6g%s   phase %.6g deg   cells %d   x %.6g .. %.6g   xp %.6g .. %.6g   zoom %.4gx",
                     s.d, s.d_locked ? " locked" : "", s.phase_degrees, s.cells, s.view.x0, s.view.x1, s.view.xp0,
                     s.view.xp1, view_zoom(s.view));
    auto add = [&](const char* text) {
        if (n >= 0 && (size_t)n < size) n += snprintf(out + n, size - n, "   %s", text);
    };
    char part[48];
    if (s.zoom_limited) add("zoom limit: float precision");
    if (s.cells > viewer_cells_cap) {
        snprintf(part, sizeof part, "over %d cells: frames will be slow", viewer_cells_cap);
        add(part);
    }
    if (s.cells > map_max_cells) {
        snprintf(part, sizeof part, "counted to %d cells at most", map_max_cells);
        add(part);
    }
    if (progress < 1) {
        snprintf(part, sizeof part, "drawing %d%%", (int)(progress * 100));
        add(part);
    }
}

void status_bucket_text(const BucketFigures& f, const char* pending, char* out, size_t size) {
    if (!f.exists) {
        if (f.limit_d > 0) snprintf(out, size, "no bucket: there is one for 0 < d < %.4g", f.limit_d);
        else snprintf(out, size, "no bucket at this phase");
        return;
    }
    char area[24] = "...", ratio[24] = "...", half[24] = "...";
    if (!pending) {
        snprintf(area, sizeof area, "%.4g", f.measured_area);
        snprintf(ratio, sizeof ratio, "%.2f%%", 100 * f.ratio);
        snprintf(half, sizeof half, "%.4g", f.measured_half_height);
    }
    int n = snprintf(out, size, "area %s / %.4g (%s)   half-height %s / %.4g   tune %.4g deg", area, f.continuum_area,
                     ratio, half, f.continuum_half_height, f.tune_degrees);
    if (pending && n >= 0 && (size_t)n < size) snprintf(out + n, size - n, "   %s", pending);
}

void status_draw(const ViewerState& s, float progress, const BucketStatus& bucket) {
    if (!s.status_shown && !s.notice[0]) return;
    char text[768];
    status_text(s, progress, text, sizeof text);
    size_t n = strlen(text);
    if (s.status_shown && n + 3 < sizeof text) {
        strcpy(text + n, "   ");
        char pending[48];
        if (bucket.maxit > bucket.max_cells)
            snprintf(pending, sizeof pending, "not measured above %.0f cells", (double)bucket.max_cells);
        else
            snprintf(pending, sizeof pending, "measuring %d%%", (int)(bucket_status_progress(bucket) * 100));
        status_bucket_text(bucket.figures, bucket.have ? nullptr : pending, text + n + 3,
                           sizeof text - n - 3);
    }
    n = strlen(text);
    if (s.notice[0]) snprintf(text + n, sizeof text - n, "   %s", s.notice);
    const int k = ui_scale(graphics.height);
    float h = (float)font_line_height * k;
    float y = graphics.height - h - 4 * k;
    shade_box(0, y, graphics.width, h + 4 * k, overlay_band_colour);
    begin_ui_text(k);
    ui_text(k, 6 * k, y + 2 * k, text, 0xFFFFFF);
    end_ui_text();
}

void help_draw() {
    const int lines = viewer_key_count, k = ui_scale(graphics.height);
    float h = (font_line_height + 2.0f) * k;
    int key_w = 0, text_w = 0;
    for (int i = 0; i < lines; i++) {
        key_w = std::max(key_w, text_width(viewer_keys[i].keys) * k);
        text_w = std::max(text_w, text_width(viewer_keys[i].action) * k);
    }
    float w = key_w + text_w + 3 * 16.0f * k, height = lines * h + 2 * 12.0f * k;
    float x = (graphics.width - w) / 2, y = (graphics.height - height) / 2;
    shade_box(x, y, w, height, overlay_band_colour);
    begin_ui_text(k);
    for (int i = 0; i < lines; i++) {
        ui_text(k, x + 16 * k, y + 12 * k + i * h, viewer_keys[i].keys, 0xFFFF80);
        ui_text(k, x + 32 * k + key_w, y + 12 * k + i * h, viewer_keys[i].action, 0xFFFFFF);
    }
    end_ui_text();
}
