// Numbers, characters, heap strings, whole-file reading and string lists.
// Heap exhaustion is a fatal error, so callers never see a null list.
#include "framework/util/utils.h"

#include <cctype>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "framework/window/error_log.h"

double max_double(double a, double b) { return b >= a ? b : a; }
int max_int(int a, int b) { return b < a ? a : b; }
int min_int(int a, int b) { return a < b ? a : b; }
double non_negative(double x) { return x >= 0 ? x : 0; }
int non_negative_int(int a) { return a >= 0 ? a : 0; }

// The runtime's rand() gives 15 bits on Windows and 31 on glibc; the formulas
// below are built for 15.
static double random_unit_times_32768() {
    int r1 = rand() & 0x7FFF;
    int r2 = rand() & 0x7FFF;
    return r2 + r1 / 32768.0;
}

double random_real(double x) { return random_unit_times_32768() * x / 32768; }

int random_index(int n) {
    double v = floor(random_unit_times_32768() * n / 32768);
    int i = v >= n ? n - 1 : (int)v;
    return i < 0 ? 0 : i;
}

int lower_ascii(char c) {
    unsigned d = (unsigned char)c - 65u;
    return d <= 25 ? c + 32 : (signed char)c;
}

int char_code(char c) { return (unsigned char)c; }

int parse_int(const char* s) {
    long long v = strtoll(s, nullptr, 10);  // saturates at the long long range
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return (int)v;
}

int trunc_int(double v) {
    if (!(v == v)) return 0;
    if (v >= 2147483647.0) return INT_MAX;
    if (v <= -2147483648.0) return INT_MIN;
    return (int)v;
}

static char* heap_copy(const char* s, size_t n) {
    char* p = (char*)malloc(n + 1);
    if (!p) fatal_error("Out of memory");
    memcpy(p, s, n);
    p[n] = 0;
    return p;
}

int copy_string(char** out, const char* s) {
    size_t n = strlen(s);
    *out = heap_copy(s, n);
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
        block = malloc((size_t)size);
        if (!block) fatal_error("Out of memory");
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
    char** block = (char**)malloc((count + 1) * sizeof(char*));
    if (!block) fatal_error("Out of memory");
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
            list[k++] = heap_copy(start, (size_t)(p - start));
            p += sep;
            start = p;
        } else {
            p++;
        }
    }
    list[k] = heap_copy(start, (size_t)(p - start));
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
        if (w && !in_space) list[k++] = heap_copy(start, (size_t)(p - start));
        in_space = w;
    }
    if (!in_space) list[k++] = heap_copy(start, (size_t)(p - start));
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
