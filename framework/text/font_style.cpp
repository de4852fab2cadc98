// Font specifications ("normal:size=20px:italic") turned into FontStyle
// records, and style variants: registered fonts that share a base font's
// atlas and differ only in style, found again by a closeness score.
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "framework/core/memory.h"
#include "framework/core/numbers.h"
#include "framework/text/font.h"

static uint32_t font_count() { return fonts ? font_registry.count : 0; }

static bool same_word(const char* a, const char* b) {
    for (; *a && *b; a++, b++)
        if (tolower((unsigned char)*a) != tolower((unsigned char)*b)) return false;
    return *a == *b;
}

static bool same_style(const FontStyle& a, const FontStyle& b) {
    return a.base == b.base && a.x_scale == b.x_scale && a.y_scale == b.y_scale && a.skew == b.skew &&
           a.boldness == b.boldness && a.own_glyph_count == b.own_glyph_count && a.reserved == b.reserved;
}

// One keyword segment applied to s. Keywords that need a value and have none
// (no '=') change nothing.
static void apply_keyword(FontStyle* s, const char* key, const char* value) {
    // Pixel values are relative to the base's cell height (boldness: widest
    // glyph); a font without glyphs counts as 1 pixel wide.
    double mh = s->base && s->base->max_height ? s->base->max_height : 1;
    double mw = s->base && s->base->max_width ? s->base->max_width : 1;
    if (same_word(key, "normal")) {
        Font* base = s->base;
        *s = default_style;
        s->base = base;
    } else if (same_word(key, "big")) {
        s->x_scale = (float)(s->x_scale * 1.5);
        s->y_scale = (float)(s->y_scale * 1.5);
    } else if (same_word(key, "small")) {
        s->x_scale = (float)(s->x_scale * 0.6666666666666666);
        s->y_scale = (float)(s->y_scale * 0.6666666666666666);
    } else if (same_word(key, "demibold")) {
        s->boldness = (float)(s->boldness + 0.03);
    } else if (same_word(key, "bold")) {
        s->boldness = (float)(s->boldness + 0.05);
        s->x_scale = (float)(s->x_scale * 1.1);
    } else if (same_word(key, "black")) {
        s->boldness = (float)(s->boldness + 0.08);
        s->x_scale = (float)(s->x_scale * 1.2);
    } else if (same_word(key, "italic")) {
        s->skew = (float)(s->skew + 0.4);
    } else if (value) {
        double v = atof(value);
        bool px = strstr(value, "px") != nullptr;
        // The degree sign is the Latin-1 byte 0xB0, which UTF-8's C2 B0 also holds.
        bool degrees = strchr(value, '\xB0') != nullptr;
        double factor = strchr(value, '%') ? v * 0.01 : v;
        if (same_word(key, "scale") || same_word(key, "size")) {
            s->x_scale = (float)(px ? v / mh : s->x_scale * factor);
            s->y_scale = (float)(px ? v / mh : s->y_scale * factor);
        } else if (same_word(key, "width")) {
            s->x_scale = (float)(px ? v / mh : s->x_scale * factor);
        } else if (same_word(key, "height")) {
            s->y_scale = (float)(px ? v / mh : s->y_scale * factor);
        } else if (same_word(key, "boldness")) {
            s->boldness = (float)(s->boldness + (px ? v / mw : factor));
        } else if (same_word(key, "skew") || same_word(key, "angle")) {
            if (px)
                s->skew = (float)(s->skew + v / mh);
            else if (degrees)
                s->skew = (float)tan(v * 0.017453292519943295);
            else
                s->skew = (float)(s->skew + factor);
        }
    }
}

FontStyle parse_font_spec(const char* spec) {
    if (!spec) spec = "";
    FontStyle s = default_style;
    if (Font* named = font_find(spec)) {
        s = named->style;
    } else if (current_font) {
        s.base = current_font->style.base;
    } else if (font_count() > 0) {
        s.base = fonts[random_index((int)font_count())]->style.base;
    } else {
        s.base = font_create_empty(spec);
    }
    const char* colon = strchr(spec, ':');
    if (!colon) return s;
    char* rest = heap_copy(colon + 1);
    for (char* segment = rest; segment;) {
        char* next = strchr(segment, ':');
        if (next) *next++ = 0;
        char* value = strchr(segment, '=');
        if (value) *value++ = 0;
        apply_keyword(&s, segment, value);
        segment = next;
    }
    free(rest);
    return s;
}

float font_match_score(FontStyle a, FontStyle b) {
    if (a.base != b.base) return -1000.0f;
    double mw = a.base ? a.base->max_width : 0, mh = a.base ? a.base->max_height : 0;
    const double step = log(1.05);
    // The smaller of the 5 % steps and twice the pixel change; a NaN ratio
    // (a zero scale) leaves the pixel cost.
    double ratio_x = fabs(log((double)a.x_scale / b.x_scale)) / step;
    double pixel_x = fabs(2.0 * ((double)a.x_scale - b.x_scale) * mw);
    double sx = ratio_x < pixel_x ? ratio_x : pixel_x;
    double ratio_y = fabs(log((double)a.y_scale / b.y_scale)) / step;
    double pixel_y = fabs(2.0 * ((double)a.y_scale - b.y_scale) * mh);
    double sy = ratio_y < pixel_y ? ratio_y : pixel_y;
    return (float)(1.0 - (0.5 * (sx + sy) + 50.0 * fabs((double)a.boldness - b.boldness) +
                          20.0 * fabs((double)a.skew - b.skew)));
}

static char* append_field(char* name, const char* format, float value) {
    char* out = heap_format(format, name, (double)value);
    free(name);
    return out;
}

Font* font_variant(FontStyle s) {
    Font* best = nullptr;
    float best_score = 0;
    Font* fallback = s.base;
    float fallback_score = -1e20f;
    for (uint32_t i = font_count(); i-- > 0;) {
        Font* c = fonts[i];
        float score = font_match_score(s, c->style);
        if (score > best_score) {
            best = c;
            best_score = score;
        }
        if (score > fallback_score && c->style.own_glyph_count == 512) {
            fallback = c;
            fallback_score = score;
        }
    }
    if (best) return best;
    Font* base = fallback ? fallback->style.base : nullptr;
    if (!base) return nullptr;  // a style without a base and no font to fall back on
    Font* v = font_duplicate(base);
    v->style = s;
    v->style.own_glyph_count = 0;
    v->style.reserved = 0;
    if (s.x_scale != 1) v->name = append_field(v->name, "%s:width=%g", s.x_scale);
    if (s.y_scale != 1) v->name = append_field(v->name, "%s:height=%g", s.y_scale);
    if (s.boldness != 0) v->name = append_field(v->name, "%s:boldness=%g", s.boldness);
    if (s.skew != 0) v->name = append_field(v->name, "%s:skew=%g", s.skew);
    font_refresh_metrics(v);
    return v;
}

void select_font_style(FontStyle s) {
    if (same_style(s, current_style)) return;
    Font* v = font_variant(s);
    if (v && v != current_font) font_select(v);
    current_style = s;
}

void select_font(const char* spec) {
    if (!spec) spec = "";
    if (current_font && current_font->name && same_word(current_font->name, spec)) return;
    select_font_style(parse_font_spec(spec));
}

Font* font_from_spec(const char* spec) { return font_variant(parse_font_spec(spec)); }

void font_name_spec(const char* spec, const char* new_name) {
    Font* v = font_variant(parse_font_spec(spec));
    if (v) font_set_name(v, new_name);
}

void font_copy_spec(const char* spec, const char* new_name) {
    Font* v = font_variant(parse_font_spec(spec));
    if (v) font_set_name(font_duplicate(v), new_name);
}

void font_delete_spec(const char* spec) {
    if (!font_find(spec)) return;
    font_delete(font_variant(parse_font_spec(spec)));
}

void font_delete_spec_family(const char* spec) {
    if (!font_find(spec)) return;
    Font* v = font_variant(parse_font_spec(spec));
    if (v) font_delete_based_on(v);
}
