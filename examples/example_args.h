// Command-line helper shared by the example programs.
#pragma once
#include <cstddef>
#include <cstring>

// The word after "--save" on the command line, quotes removed; false if none.
static inline bool save_path(const char* line, char* out, size_t size) {
    const char* p = line ? strstr(line, "--save") : nullptr;
    if (!p || size == 0) return false;
    p += 6;
    while (*p == ' ' || *p == '\t') p++;
    char end = ' ';
    if (*p == '"') end = *p++;
    size_t n = 0;
    while (*p && *p != end && (end == '"' || *p != '\t') && n + 1 < size) out[n++] = *p++;
    out[n] = 0;
    return n > 0;
}
