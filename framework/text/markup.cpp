// Markup rewriting. Each pass reads a private copy of its input and writes
// whole units (a byte, a 3-byte glyph code, a 6-byte command) through a
// bounded sink into the caller's buffer, so no text can overrun it.
#include "framework/text/markup.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

// Output cursor over the caller's buffer; a null out only counts.
struct Sink {
    char* out;
    size_t room;  // content bytes available: capacity - 1
    size_t len;
    bool full;    // a unit did not fit: it and everything after it are dropped
};

// A braced group being processed, or the whole text (braced false).
struct Level {
    int depth;        // levels left, this one included; negative: no limit
    int offset;       // base of this level's scripts, 1/256 line height
    int size;         // 1/256 of full size
    int back_offset;  // the code that ends the group returns to these
    int back_size;
    size_t open;      // literal '{' inside the group not yet closed
    bool braced;
};

static const char* const greek_names[24] = {
    "alpha", "beta", "gamma", "delta", "epsilon", "zeta", "eta", "theta",
    "iota", "kappa", "lambda", "mu", "nu", "xi", "omicron", "pi",
    "rho", "sigma", "tau", "upsilon", "phi", "chi", "psi", "omega"};

struct GreekVariant {
    const char* name;
    int glyph;
};

// Tried in this order after the 24 names; none is a prefix of another.
static const GreekVariant greek_variants[5] = {
    {"varomega", 308}, {"varphi", 307}, {"vartheta", 306}, {"varzeta", 305}, {"vardelta", 304}};

// Single precision on purpose: offsets are truncated from products such as
// 0.3f * 256 = 76.800003, and a double 0.3 could land them one lower.
static const double script_rise = 0.3f;

static size_t unit_size(uint8_t b) { return b == 2 ? 3 : b == 5 ? 6 : 1; }

static void put(Sink* s, const uint8_t* bytes, size_t n) {
    if (s->full) return;
    if (n > s->room - s->len) {
        s->full = true;
        return;
    }
    if (s->out) memcpy(s->out + s->len, bytes, n);
    s->len += n;
}

static void put_byte(Sink* s, uint8_t b) { put(s, &b, 1); }

// The whole units in [from, to); a code cut off at to is left out.
static void put_units(Sink* s, const uint8_t* in, size_t from, size_t to) {
    while (from < to && !s->full) {
        size_t k = unit_size(in[from]);
        if (k > to - from) return;
        put(s, in + from, k);
        from += k;
    }
}

static void put_size_code(Sink* s, int size, int offset) {
    uint16_t o = (uint16_t)offset;
    uint8_t code[6] = {5, 2, (uint8_t)(size & 255), (uint8_t)((size >> 8) & 255), (uint8_t)(o & 255),
                       (uint8_t)(o >> 8)};
    put(s, code, 6);
}

static Sink sink_on(char* text, size_t capacity) { return Sink{text, capacity - 1, 0, false}; }

// A plain text's length inside its buffer; a text with no terminator there
// gets one on the buffer's last byte.
static size_t plain_length(char* text, size_t capacity) {
    const void* z = memchr(text, 0, capacity);
    if (z) return (size_t)((const char*)z - text);
    text[capacity - 1] = 0;
    return capacity - 1;
}

// An encoded text's length inside its buffer: up to its terminator at a unit
// boundary, else up to the first unit that would leave no room for one, where
// a terminator is written (so a code cut off by the buffer's end is dropped).
static size_t encoded_length(char* text, size_t capacity) {
    const uint8_t* p = (const uint8_t*)text;
    size_t i = 0;
    while (i < capacity - 1) {
        if (p[i] == 0) return i;
        size_t k = unit_size(p[i]);
        if (k > capacity - 1 - i) break;
        i += k;
    }
    text[i] = 0;
    return i;
}

// Whether name matches the text at i, with A-Z folded to lower case.
static bool name_at(const uint8_t* in, size_t len, size_t i, const char* name, size_t* n) {
    size_t k = 0;
    for (; name[k]; k++) {
        if (i + k >= len) return false;
        uint8_t b = in[i + k];
        if (b >= 'A' && b <= 'Z') b = (uint8_t)(b + ('a' - 'A'));
        if (b != (uint8_t)name[k]) return false;
    }
    if (n) *n = k;
    return true;
}

static void greek_run(const uint8_t* in, size_t len, Sink* s) {
    size_t i = 0;
    while (i < len && !s->full) {
        // Codes already in the text are kept whole and never read as letters;
        // one cut off by the end of the text is dropped.
        size_t unit = unit_size(in[i]);
        if (unit > len - i) break;
        if (unit > 1) {
            put(s, in + i, unit);
            i += unit;
            continue;
        }
        int glyph = -1;
        size_t n = 0;
        for (int k = 0; k < 24 && glyph < 0; k++)
            if (name_at(in, len, i, greek_names[k], &n)) glyph = (in[i] >= 'a' && in[i] <= 'z' ? 256 : 280) + k;
        for (int k = 0; k < 5 && glyph < 0; k++)
            if (name_at(in, len, i, greek_variants[k].name, &n)) glyph = greek_variants[k].glyph;
        if (glyph < 0) {
            put_byte(s, in[i]);
            i++;
            continue;
        }
        uint8_t code[3] = {2, (uint8_t)(glyph >> 8), (uint8_t)(glyph & 255)};
        put(s, code, 3);
        i += n;
    }
}

static bool is_letter(uint8_t b) { return (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z'); }
static bool is_digit(uint8_t b) { return b >= '0' && b <= '9'; }

// Offsets stay 16-bit; clamping keeps an absurd caller size from flipping sign.
static int clamp16(double v) { return v < -32768.0 ? -32768 : v > 32767.0 ? 32767 : (int)v; }

struct Script {
    int size;          // e
    int code_offset;   // trunc(offset + delta), written in the opening code
    int inner_offset;  // offset + trunc(delta), the base inside a braced group
};

static Script script_for(int size, int offset, bool up) {
    double s = size;
    Script r;
    r.size = (int)std::trunc(s * 1792.0 / (3.0 * s + 1792.0) + 0.5) & 0xFFFF;
    double f = (s - r.size) * 0.5;
    double d = (up ? script_rise : -script_rise) * s - f;
    r.code_offset = clamp16(std::trunc(offset + d));
    r.inner_offset = clamp16(offset + std::trunc(d));
    return r;
}

// Index of the '}' closing a group whose text starts at i, counting nested
// braces and stepping over codes; else where the text (or its whole units) ends.
static size_t group_end(const uint8_t* in, size_t len, size_t i) {
    size_t open = 0;
    while (i < len) {
        size_t k = unit_size(in[i]);
        if (k > len - i) return i;
        if (in[i] == '{') {
            open++;
        } else if (in[i] == '}') {
            if (open == 0) return i;
            open--;
        }
        i += k;
    }
    return len;
}

// The open levels, innermost last, on the heap: nesting is bounded only by
// the text, and recursion that deep could exhaust the call stack.
struct LevelStack {
    Level* items;
    size_t count;
    size_t capacity;
};

static bool push_level(LevelStack* st, const Level& level) {
    if (st->count == st->capacity) {
        size_t c = st->capacity ? st->capacity * 2 : 16;
        if (c > SIZE_MAX / sizeof(Level)) return false;
        Level* p = (Level*)realloc(st->items, c * sizeof(Level));
        if (!p) return false;
        st->items = p;
        st->capacity = c;
    }
    st->items[st->count++] = level;
    return true;
}

// One pass over whole units; depth is not 0.
static void scripts_run(const uint8_t* in, size_t len, int depth, int offset, int size, Sink* s) {
    LevelStack stack = {nullptr, 0, 0};
    Level whole = {depth, offset, size, 0, 0, 0, false};
    if (!push_level(&stack, whole)) {
        put_units(s, in, 0, len);  // no memory for levels: the text stays as it was
        return;
    }
    size_t i = 0;
    while (i < len && !s->full) {
        Level* lv = &stack.items[stack.count - 1];
        uint8_t b = in[i];
        size_t k = unit_size(b);
        if (k > len - i) break;  // a code cut off by the end of the text: dropped
        if (k > 1) {
            put(s, in + i, k);
            i += k;
            continue;
        }
        if (lv->braced && b == '}') {
            i++;
            if (lv->open == 0) {
                put_size_code(s, lv->back_size, lv->back_offset);
                stack.count--;
            } else {
                lv->open--;
                put_byte(s, b);
            }
            continue;
        }
        if (lv->braced && b == '{') lv->open++;
        if (b != '^' && b != '_') {
            put_byte(s, b);
            i++;
            continue;
        }
        size_t j = i + 1;  // where the script starts
        // Nothing to raise (end of text or group, a command, a cut-off code):
        // the mark stays as text rather than splitting what follows.
        if (j >= len || in[j] == 5 || unit_size(in[j]) > len - j || (lv->braced && in[j] == '}' && lv->open == 0)) {
            put_byte(s, b);
            i = j;
            continue;
        }
        Script sc = script_for(lv->size, lv->offset, b == '^');
        uint8_t first = in[j];
        put_size_code(s, sc.size, sc.code_offset);
        if (first == '{') {
            // A negative depth never counts down to 0 (nor overflows): every level is processed.
            int inner = lv->depth < 0 ? lv->depth : lv->depth - 1;
            Level group = {inner, sc.inner_offset, sc.size, lv->offset, lv->size, 0, true};
            // Beyond the depth (or the heap) the group's text stays as it is,
            // braces dropped.
            if (group.depth == 0 || !push_level(&stack, group)) {
                size_t e = group_end(in, len, j + 1);
                put_units(s, in, j + 1, e);
                put_size_code(s, group.back_size, group.back_offset);
                i = e < len && in[e] == '}' ? e + 1 : e;
            } else {
                i = j + 1;
            }
            continue;
        }
        size_t end = j + 1;
        if (is_letter(first)) {
            while (end < len && is_letter(in[end])) end++;
        } else if (is_digit(first)) {
            while (end < len && is_digit(in[end])) end++;
        } else if (first == 2) {
            end = j + 3;
            while (end < len && in[end] == 2 && len - end >= 3) end += 3;
        } else if (first == '}' && lv->braced) {
            lv->open--;  // closes a literal '{' of this group (open > 0 here)
        }
        put_units(s, in, j, end);
        put_size_code(s, lv->size, lv->offset);
        i = end;
    }
    // Groups still open at the end of the text close there.
    while (stack.count > 1) {
        Level* g = &stack.items[--stack.count];
        put_size_code(s, g->back_size, g->back_offset);
    }
    free(stack.items);
}

static void commands_run(const uint8_t* in, size_t len, Sink* s) {
    static const char* const words[2] = {"#col=", "#tab="};
    size_t i = 0;
    while (i < len && !s->full) {
        size_t k = unit_size(in[i]);
        if (k > len - i) break;
        int sub = -1;
        for (int w = 0; w < 2 && sub < 0; w++)
            if (name_at(in, len, i, words[w], nullptr)) sub = w;
        if (sub < 0) {
            put(s, in + i, k);
            i += k;
            continue;
        }
        // Any byte counts as a digit, as it always has; the number stops
        // short of a code so that no code is split. Unsigned arithmetic
        // wraps where a long number would overflow.
        size_t j = i + 5;
        uint32_t n = 0;
        while (j < len && in[j] != '#' && unit_size(in[j]) == 1) {
            n = n * 10u + (uint32_t)((int)in[j] - '0');
            j++;
        }
        if (j < len && in[j] == '#') j++;
        uint32_t bits = n;
        if (sub == 1) {
            float x = (float)(int32_t)n;
            memcpy(&bits, &x, 4);
        }
        uint8_t code[6] = {5, (uint8_t)sub, (uint8_t)(bits & 255), (uint8_t)((bits >> 8) & 255),
                           (uint8_t)((bits >> 16) & 255), (uint8_t)(bits >> 24)};
        put(s, code, 6);
        i = j;
    }
}

// A private copy of the input, so that the output may overtake it.
static uint8_t* copy_input(const char* text, size_t len) {
    uint8_t* c = (uint8_t*)malloc(len ? len : 1);
    if (c) memcpy(c, text, len);
    return c;
}

char* markup_greek(char* text, size_t capacity) {
    if (!text || capacity == 0) return text;
    size_t len = plain_length(text, capacity);
    uint8_t* in = copy_input(text, len);
    if (!in) return text;
    Sink s = sink_on(text, capacity);
    greek_run(in, len, &s);
    text[s.len] = 0;
    free(in);
    return text;
}

// The Greek pass into a heap block that always has room: only the 2-letter
// names grow, by one byte each, so the result is at most 1.5 times as long.
static uint8_t* greek_to_heap(const char* text, size_t len, size_t* out_len) {
    if (len > SIZE_MAX / 2 - 1) return nullptr;
    size_t room = len + len / 2;
    uint8_t* g = (uint8_t*)malloc(room + 1);
    if (!g) return nullptr;
    Sink s = {(char*)g, room, 0, false};
    greek_run((const uint8_t*)text, len, &s);
    *out_len = s.len;
    return g;
}

char* markup_text(char* text, int depth, size_t capacity) {
    if (!text || capacity == 0) return text;
    if (depth == 0) return markup_greek(text, capacity);
    size_t len = plain_length(text, capacity);
    size_t glen = 0;
    uint8_t* greek = greek_to_heap(text, len, &glen);
    if (!greek) return text;
    Sink s = sink_on(text, capacity);
    scripts_run(greek, glen, depth, 0, 256, &s);
    text[s.len] = 0;
    free(greek);
    return text;
}

void markup_scripts(char* text, int depth, int16_t offset, uint16_t size, size_t capacity) {
    if (!text || capacity == 0 || depth == 0) return;
    size_t len = encoded_length(text, capacity);
    uint8_t* in = copy_input(text, len);
    if (!in) return;
    Sink s = sink_on(text, capacity);
    scripts_run(in, len, depth, offset, size, &s);
    text[s.len] = 0;
    free(in);
}

char* markup_commands(char* text, size_t capacity) {
    if (!text || capacity == 0) return text;
    size_t len = encoded_length(text, capacity);
    uint8_t* in = copy_input(text, len);
    if (!in) return text;
    Sink s = sink_on(text, capacity);
    commands_run(in, len, &s);
    text[s.len] = 0;
    free(in);
    return text;
}

const char* encoded_end(const char* text) {
    if (!text) return nullptr;
    const uint8_t* p = (const uint8_t*)text;
    while (*p) p += unit_size(*p);
    return (const char*)p;
}

const char* encoded_end(const char* text, size_t capacity) {
    if (!text) return nullptr;
    const uint8_t* p = (const uint8_t*)text;
    size_t i = 0;
    while (i < capacity) {
        if (p[i] == 0) return text + i;
        size_t k = unit_size(p[i]);
        if (k >= capacity - i) return nullptr;  // no room for the unit and a terminator
        i += k;
    }
    return nullptr;
}

size_t markup_text_size(const char* text, int depth) {
    if (!text) return 1;
    size_t len = strlen(text), glen = 0;
    uint8_t* greek = greek_to_heap(text, len, &glen);
    if (!greek) return 0;
    size_t n = glen;
    if (depth != 0) {
        Sink count = {nullptr, SIZE_MAX - 1, 0, false};
        scripts_run(greek, glen, depth, 0, 256, &count);
        n = count.len;
    }
    free(greek);
    // The buffer holds the input before it holds the result.
    return (n > len ? n : len) + 1;
}
