// Typed settings on a config list: numbers, yes/no flags and comma-separated
// arrays read with config_get's lookup rule, and setters that format a value
// and replace the first prefix match from the end or append.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "framework/config/config.h"
#include "framework/config/config_keys.h"
#include "framework/core/memory.h"
#include "framework/util/utils.h"

static bool has_prefix(const char* key, const char* query) { return config_prefix_length(key, query) >= 0; }

// Index of the last entry whose key has the query as a prefix, or -1.
static int find_prefix(GrowArray list, const char* query) {
    ConfigEntry* e = config_entries(list);
    for (uint32_t i = list.count; i-- > 0;)
        if (has_prefix(e[i].key, query)) return (int)i;
    return -1;
}

double config_get_double(GrowArray list, const char* query, double fallback) {
    const char* v = config_get(list, query);
    return v ? atof(v) : fallback;
}

int config_get_int(GrowArray list, const char* query) {
    const char* v = config_get(list, query);
    return v ? parse_int(v) : 0;
}

int config_get_flag(GrowArray list, const char* query) {
    const char* v = config_get(list, query);
    if (!v) return 0;
    int c = lower_ascii(v[0]);
    return c == 'y' || c == 't' || c == '1';
}

// Splits the best match at commas and hands each piece that fits to store.
template <typename Store>
static void get_pieces(GrowArray list, const char* query, unsigned capacity, unsigned* count, Store store) {
    const char* v = config_get(list, query);
    if (!v) {
        if (count) *count = 0;
        return;
    }
    StringList pieces = split_string(",", v);
    unsigned k = (unsigned)list_count(pieces);
    if (count) *count = k;
    for (unsigned i = 0; i < k && i < capacity; i++) store(i, pieces[i]);
    free_string_list(pieces);
}

void config_get_ints(GrowArray list, const char* query, int* out, unsigned capacity, unsigned* count) {
    get_pieces(list, query, capacity, count, [&](unsigned i, const char* s) { out[i] = parse_int(s); });
}

void config_get_floats(GrowArray list, const char* query, float* out, unsigned capacity, unsigned* count) {
    get_pieces(list, query, capacity, count, [&](unsigned i, const char* s) { out[i] = (float)atof(s); });
}

void config_get_doubles(GrowArray list, const char* query, double* out, unsigned capacity, unsigned* count) {
    get_pieces(list, query, capacity, count, [&](unsigned i, const char* s) { out[i] = atof(s); });
}

const char* config_get_nth(GrowArray list, const char* query, int n) {
    if (!query || n < 1) return nullptr;
    ConfigEntry* e = config_entries(list);
    for (uint32_t i = 0; i < list.count; i++)
        if (has_prefix(e[i].key, query) && --n == 0) return e[i].value;
    return nullptr;
}

int config_has(GrowArray list, const char* query) { return find_prefix(list, query) >= 0 ? 1 : 0; }

// The copy is made before the old value goes, so value may be that very text.
static void set_value(ConfigEntry* e, const char* value) {
    char* copy = heap_copy(value);
    free(e->value);
    e->value = copy;
}

void config_set(GrowArray* list, const char* query, const char* value) {
    int i = find_prefix(*list, query);
    if (i >= 0) {
        set_value(&config_entries(*list)[i], value);
        return;
    }
    ConfigEntry n = {heap_copy(query), heap_copy(value)};
    array_append(list, &n);
}

void config_set_double(GrowArray* list, const char* key, double value) {
    char text[64];
    snprintf(text, sizeof text, "%.15lg", value);
    config_set(list, key, text);
}

void config_set_float(GrowArray* list, const char* key, float value) {
    char text[64];
    snprintf(text, sizeof text, "%.7g", (double)value);
    config_set(list, key, text);
}

void config_set_int(GrowArray* list, const char* key, int value) {
    char text[16];
    snprintf(text, sizeof text, "%d", value);
    config_set(list, key, text);
}

void config_set_flag(GrowArray* list, const char* question, int flag) {
    char* key = heap_copy(question);  // any length of question
    append_text(&key, " (Y/N)");
    config_set(list, key, flag ? "Y" : "N");
    free(key);
}

// Joins count elements, each formatted by format_one with "" or "," before it.
template <typename Format>
static void set_joined(GrowArray* list, const char* key, unsigned count, Format format_one) {
    char* text = heap_copy("");
    char piece[80];
    for (unsigned i = 0; i < count; i++) {
        format_one(piece, sizeof piece, i == 0 ? "" : ",", i);
        append_text(&text, piece);
    }
    config_set(list, key, text);
    free(text);
}

void config_set_ints(GrowArray* list, const char* key, const int* values, unsigned count) {
    set_joined(list, key, count, [&](char* p, size_t n, const char* pre, unsigned i) {
        snprintf(p, n, "%s%d", pre, values[i]);
    });
}

void config_set_floats(GrowArray* list, const char* key, const float* values, unsigned count) {
    set_joined(list, key, count, [&](char* p, size_t n, const char* pre, unsigned i) {
        snprintf(p, n, "%s%.7g", pre, (double)values[i]);
    });
}

void config_set_doubles(GrowArray* list, const char* key, const double* values, unsigned count) {
    set_joined(list, key, count, [&](char* p, size_t n, const char* pre, unsigned i) {
        snprintf(p, n, "%s%.15lg", pre, values[i]);
    });
}

// The entry at index i (none when i < 0) takes the value.
static int replace_at(GrowArray* list, int i, const char* value) {
    if (i < 0) return 0;
    set_value(&config_entries(*list)[i], value);
    return 1;
}

int config_replace(GrowArray* list, const char* key, const char* value) {
    return replace_at(list, config_find_key(*list, key), value);
}

int config_replace_found(GrowArray* list, const char* query, const char* value) {
    return replace_at(list, config_find(*list, query), value);
}

void append_text(char** text, const char* suffix) {
    const char* old = *text ? *text : "";
    size_t a = strlen(old), b = strlen(suffix);
    char* joined = (char*)heap_alloc(a + b + 1);
    memcpy(joined, old, a);
    memcpy(joined + a, suffix, b + 1);
    free(*text);
    *text = joined;
}
