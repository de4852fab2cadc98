// Typed settings on a config list: numbers, yes/no flags and comma-separated
// arrays read with config_get's lookup rule, and setters that format a value
// and replace the first prefix match from the end or append.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "framework/config/config.h"
#include "framework/core/memory.h"
#include "framework/util/utils.h"

static ConfigEntry* entries(GrowArray list) { return (ConfigEntry*)list.data; }

static bool has_prefix(const char* key, const char* query) {
    for (; *query; key++, query++)
        if (lower_ascii(*key) != lower_ascii(*query)) return false;
    return true;
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
    ConfigEntry* e = entries(list);
    for (uint32_t i = 0; i < list.count; i++)
        if (has_prefix(e[i].key, query) && --n == 0) return e[i].value;
    return nullptr;
}

int config_has(GrowArray list, const char* query) {
    ConfigEntry* e = entries(list);
    for (uint32_t i = list.count; i-- > 0;)
        if (has_prefix(e[i].key, query)) return 1;
    return 0;
}

// The copy is made before the old value goes, so value may be that very text.
static void set_value(ConfigEntry* e, const char* value) {
    char* copy;
    copy_string(&copy, value);
    free(e->value);
    e->value = copy;
}

void config_set(GrowArray* list, const char* query, const char* value) {
    ConfigEntry* e = entries(*list);
    for (uint32_t i = list->count; i-- > 0;) {
        if (has_prefix(e[i].key, query)) {
            set_value(&e[i], value);
            return;
        }
    }
    ConfigEntry n;
    copy_string(&n.key, query);
    copy_string(&n.value, value);
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
    char* key = nullptr;
    copy_string(&key, question);  // any length of question
    append_text(&key, " (Y/N)");
    config_set(list, key, flag ? "Y" : "N");
    free(key);
}

// Joins count elements, each formatted by format_one with "" or "," before it.
template <typename Format>
static void set_joined(GrowArray* list, const char* key, unsigned count, Format format_one) {
    char* text = nullptr;
    copy_string(&text, "");
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

int config_replace(GrowArray* list, const char* key, const char* value) {
    ConfigEntry* e = entries(*list);
    for (uint32_t i = list->count; i-- > 0;) {
        const char *a = e[i].key, *b = key;
        while (*a && lower_ascii(*a) == lower_ascii(*b)) a++, b++;
        if (lower_ascii(*a) == lower_ascii(*b)) {
            set_value(&e[i], value);
            return 1;
        }
    }
    return 0;
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
