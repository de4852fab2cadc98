// Characters, heap strings, whole-file reading and string lists.
// Heap exhaustion is a fatal error, so callers never see a null list.
#include "framework/util/utils.h"

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "framework/core/error.h"
#include "framework/core/memory.h"

int lower_ascii(char c) {
    unsigned d = (unsigned char)c - 65u;
    return d <= 25 ? c + 32 : (signed char)c;
}

int char_code(char c) { return (unsigned char)c; }

int parse_int(const char* s) {
    return clamp_to_int(strtoll(s, nullptr, 10));  // strtoll saturates at the long long range
}

int clamp_to_int(long long v) { return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : (int)v; }

int trunc_int(double v) {
    if (!(v == v)) return 0;
    if (v >= 2147483647.0) return INT_MAX;
    if (v <= -2147483648.0) return INT_MIN;
    return (int)v;
}

int copy_string(char** out, const char* s) {
    size_t n = strlen(s);
    *out = heap_copy_n(s, n);
    return (int)n;
}

int replace_string(char** p, const char* s) {
    free(*p);
    return copy_string(p, s);
}

void* read_whole_file(const char* path, int* length) {
    FILE* f = path ? fopen(path, "rb") : nullptr;
    if (!f) return nullptr;
    // A directory opens on some systems and a file may exceed an int: both are
    // refused rather than trusted as a size.
    long size = -1;
    if (fseek(f, 0, SEEK_END) == 0) size = ftell(f);
    if (size < 0 || size > INT_MAX || fseek(f, 0, SEEK_SET) != 0) {
        fclose(f);
        return nullptr;
    }
    void* block = nullptr;
    if (size > 0) {
        block = heap_alloc((size_t)size);
        if (fread(block, 1, (size_t)size, f) != (size_t)size) {
            free(block);
            fclose(f);
            return nullptr;
        }
    }
    fclose(f);
    *length = (int)size;
    return block;
}

// ---- string lists ----

static StringList list_new(size_t count) {
    if (count >= (size_t)INT_MAX) fatal_error("Out of memory");
    char** block = (char**)heap_alloc((count + 1) * sizeof(char*));
    int n = (int)count;
    memcpy(block, &n, sizeof n);
    return block + 1;
}

int list_count(StringList list) {
    int n;
    memcpy(&n, list - 1, sizeof n);
    return n;
}

static bool separator_at(const char* p, const char* separator, size_t length) {
    return length && *p == *separator && strncmp(p, separator, length) == 0;
}

StringList split_string(const char* separator, const char* text) {
    size_t sep = strlen(separator);
    size_t count = 1;
    for (const char* p = text; *p;) {
        if (separator_at(p, separator, sep)) {
            count++;
            p += sep;
        } else {
            p++;
        }
    }
    StringList list = list_new(count);
    size_t k = 0;
    const char* start = text;
    const char* p = text;
    while (*p) {
        if (separator_at(p, separator, sep)) {
            list[k++] = heap_copy_n(start, (size_t)(p - start));
            p += sep;
            start = p;
        } else {
            p++;
        }
    }
    list[k] = heap_copy_n(start, (size_t)(p - start));
    return list;
}

static bool white(char c) { return isspace((unsigned char)c) != 0; }

StringList split_words(const char* text) {
    size_t count = 0;
    bool in_space = true;
    for (const char* p = text; *p; p++) {
        bool w = white(*p);
        if (!w && in_space) count++;
        in_space = w;
    }
    StringList list = list_new(count);
    size_t k = 0;
    const char* start = text;
    in_space = true;
    const char* p = text;
    for (; *p; p++) {
        bool w = white(*p);
        if (!w && in_space) start = p;
        if (w && !in_space) list[k++] = heap_copy_n(start, (size_t)(p - start));
        in_space = w;
    }
    if (!in_space) list[k++] = heap_copy_n(start, (size_t)(p - start));
    return list;
}

void free_string_list(StringList list) {
    if (!list) return;
    for (int i = list_count(list); i-- > 0;) free(list[i]);
    free(list - 1);
}

void free_list_block(StringList list) {
    if (list) free(list - 1);
}

RealArray parse_real_list(const char* text) {
    StringList pieces = split_string(",", text);
    int n = list_count(pieces);
    RealArray a = real_array_new(n);
    for (int i = n; i-- > 0;) a[i] = atof(pieces[i]);
    free_string_list(pieces);
    return a;
}
