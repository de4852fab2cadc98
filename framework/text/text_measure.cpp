// Measuring text with the current font: per-glyph widths, line widths, prefix
// widths and caret positions. Bytes 1-7 are control codes with that many
// payload bytes, skipped without width. Codes 2 and 5 carry binary payloads
// (a glyph code's high byte or a command's value is often 0); the others are
// never written as codes, so a 0 in their payload still ends the text.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "framework/text/font.h"
#include "framework/text/text.h"
#include "framework/util/utils.h"

enum { ELEMENT_END = -1, ELEMENT_CONTROL = -2 };

// One element of s at i: a glyph byte, a control code with its payload, or the
// end (0, 10, the limit). *next is the index after the element, or the index
// of the end.
static int text_element(const unsigned char* s, size_t i, size_t limit, size_t* next) {
    if (i >= limit || s[i] == 0 || s[i] == 10) {
        *next = i;
        return ELEMENT_END;
    }
    unsigned c = s[i];
    if (c > 7) {
        *next = i + 1;
        return (int)c;
    }
    // A cut glyph code or command cannot be told from a whole one whose payload
    // holds zeros, so texts must hold whole ones (markup writes nothing else);
    // any other control byte ends at the first 0, which bounds the read.
    bool binary = c == 2 || c == 5;
    for (size_t k = 1; k <= c; k++) {
        if (i + k >= limit || (!binary && s[i + k] == 0)) {
            *next = i + k;
            return ELEMENT_END;
        }
    }
    *next = i + 1 + c;
    return ELEMENT_CONTROL;
}

// The measuring rule. Spacing and glyph are rounded apart, unlike draw_text's
// advance, so the two may differ by a pixel per glyph. A style can scale a
// glyph past any int; such widths saturate rather than wrap.
static int glyph_measure(int c) {
    if (fixed_pitch) return font_cell_width;
    if (!current_font) return 5;
    const FontStyle& st = current_font->style;
    const Font* base = st.base ? st.base : current_font;
    int w = (c >= 0 && c < 512) ? base->glyph_width[c] : 0;  // outside the tables: spacing only
    int64_t spacing = trunc_int(font_cell_width * letter_spacing + 0.5);
    return clamp_to_int(spacing + trunc_int(w * st.x_scale * (1 + st.boldness) + 0.5));
}

static bool is_space_byte(int c) { return c == 32 || (c >= 9 && c <= 13); }

// Sum of the glyph widths up to the end, or up to whitespace when word is set.
static int measure_sum(const unsigned char* s, size_t limit, bool word) {
    int64_t sum = 0;  // at most 2^31 per byte: no text overflows it
    size_t i = 0;
    for (;;) {
        size_t next;
        int c = text_element(s, i, limit, &next);
        if (c == ELEMENT_END || (word && is_space_byte(c))) break;
        if (c != ELEMENT_CONTROL) sum += glyph_measure(c);
        i = next;
    }
    return clamp_to_int(sum);
}

static int width_of_sum(int sum) { return sum > 1 ? sum - 1 : 0; }

// A missing text is drawn as "NULL?"; it measures the same.
static const unsigned char* text_bytes(const char* text) {
    return (const unsigned char*)(text ? text : "NULL?");
}

int char_advance(int glyph) { return glyph_measure(glyph); }

int text_width(const char* text) { return width_of_sum(measure_sum(text_bytes(text), SIZE_MAX, false)); }

int text_word_width(const char* text) { return width_of_sum(measure_sum(text_bytes(text), SIZE_MAX, true)); }

// Measured with a limit instead of writing a 0 at n: the same result, and the
// caller's text may be read-only.
int text_width_prefix(const char* text, int n) {
    const unsigned char* s = text_bytes(text);
    if (n < 0 || (size_t)n >= strlen((const char*)s)) return text_width(text);
    return width_of_sum(measure_sum(s, (size_t)n, false));
}

int text_index_at(const char* text, int px) {
    if (!text) return 0;
    const unsigned char* s = (const unsigned char*)text;
    size_t i = 0;
    int64_t left = 0;
    for (;;) {
        size_t next;
        int c = text_element(s, i, SIZE_MAX, &next);
        if (c == ELEMENT_END) return (int)next;
        if (c != ELEMENT_CONTROL) {
            int64_t right = left + glyph_measure(c);
            if (right >= px) return px - left < right - px ? (int)i : (int)next;
            left = right;
        }
        i = next;
    }
}
