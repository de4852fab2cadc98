// Status line and help panel. Texts are plain ASCII: the embedded font has
// Latin-1 glyphs, but a degree sign would be the only one used.
#include "app/overlays/status.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "app/model/map_space.h"
#include "app/model/pointer_probe.h"
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
    char part[80];
    if (harmonic_on(s.harmonic)) {
        snprintf(part, sizeof part, "harmonic %d ratio %.4g phase %.6g deg", s.harmonic.number, s.harmonic.ratio,
                 s.harmonic.phase_degrees);
        add(part);
    }
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
    char area[24] = "...", ratio[24] = "...", half[24] = "...";
    if (!pending) snprintf(area, sizeof area, "%.4g", f.measured_area);
    if (!f.exists) {
        int n = 0;
        if (f.limit_d <= 0 && f.d == 0) n = snprintf(out, size, "no bucket at this phase");
        else if (f.limit_d <= 0) n = snprintf(out, size, "no bucket at this phase   surviving area %s", area);
        else if (f.d == 0) n = snprintf(out, size, "no bucket: there is one for 0 < d < %.4g", f.limit_d);
        else
            n = snprintf(out, size, "centre unstable past d = %.4g: survivors are islands, area %s (continuum bucket %.4g)",
                         f.limit_d, area, f.continuum_area);
        if (pending && f.d != 0 && n >= 0 && (size_t)n < size) snprintf(out + n, size - n, "   %s", pending);
        return;
    }
    if (!pending) {
        snprintf(ratio, sizeof ratio, "%.2f%%", 100 * f.ratio);
        snprintf(half, sizeof half, "%.4g", f.measured_half_height);
    }
    char tune[24] = "flat bottom";
    if (!f.flat_bottom) snprintf(tune, sizeof tune, "tune %.4g deg", f.tune_degrees);
    int n = snprintf(out, size, "area %s / %.4g (%s)   half-height %s / %.4g   %s", area, f.continuum_area, ratio,
                     half, f.continuum_half_height, tune);
    if (pending && n >= 0 && (size_t)n < size) snprintf(out + n, size - n, "   %s", pending);
}

void status_draw(const ViewerState& s, float progress, const BucketStatus& bucket, const char* orbit) {
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
    if (s.status_shown && orbit && orbit[0]) n += snprintf(text + n, sizeof text - n, "   %s", orbit);
    n = std::min(n, sizeof text - 1);
    char probe[96];
    pointer_probe_text(s, graphics.width, graphics.height, probe, sizeof probe);
    if (s.status_shown && probe[0]) n += snprintf(text + n, sizeof text - n, "   %s", probe);
    n = std::min(n, sizeof text - 1);
    if (s.notice[0]) snprintf(text + n, sizeof text - n, "   %s", s.notice);
    const int k = ui_scale(graphics.height);
    float h = (float)font_line_height * k;
    float y = graphics.height - h - 4 * k;
    shade_box(0, y, graphics.width, h + 4 * k, overlay_band_colour);
    begin_ui_text(k);
    ui_text(k, 6 * k, y + 2 * k, text, 0xFFFFFF);
    end_ui_text();
}

// What the picture means, under the keys.
static const char* const HELP_NOTES[] = {
    "Colours: the cells a particle starting at the pixel survives - dark blue 1, blue 2, cyan about 10,",
    "nearly white about 100 and more; black survives every cell tracked (the bucket).",
    "d: the step of one cell, so cells x d is the time tracked; the tune is the phase advance per cell.",
    "Separatrix (S): the bucket's edge in the limit d -> 0, which a small step's black bucket fills.",
    "Orbits (click): one start tracked in float as the map tracks it, a dot per cell; the area plot (G):",
    "the measured black area against d, the continuum area in yellow. Axes (A): the legend's colours.",
};
static const int HELP_NOTE_COUNT = (int)(sizeof HELP_NOTES / sizeof HELP_NOTES[0]);

void help_draw() {
    const int lines = viewer_key_count, k = ui_scale(graphics.height);
    float h = (font_line_height + 2.0f) * k;
    int key_w = 0, text_w = 0, note_w = 0;
    for (int i = 0; i < lines; i++) {
        key_w = std::max(key_w, text_width(viewer_keys[i].keys) * k);
        text_w = std::max(text_w, text_width(viewer_keys[i].action) * k);
    }
    for (const char* note : HELP_NOTES) note_w = std::max(note_w, text_width(note) * k);
    float w = std::max(key_w + text_w + 16.0f * k, (float)note_w) + 2 * 16.0f * k;
    float height = (lines + 1 + HELP_NOTE_COUNT) * h + 2 * 12.0f * k;
    float x = (graphics.width - w) / 2, y = (graphics.height - height) / 2;
    shade_box(x, y, w, height, overlay_band_colour);
    begin_ui_text(k);
    for (int i = 0; i < lines; i++) {
        ui_text(k, x + 16 * k, y + 12 * k + i * h, viewer_keys[i].keys, 0xFFFF80);
        ui_text(k, x + 32 * k + key_w, y + 12 * k + i * h, viewer_keys[i].action, 0xFFFFFF);
    }
    for (int i = 0; i < HELP_NOTE_COUNT; i++) ui_text(k, x + 16 * k, y + 12 * k + (lines + 1 + i) * h, HELP_NOTES[i], 0xC0C0C0);
    end_ui_text();
}
