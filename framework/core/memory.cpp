// Checked heap blocks and text copies: heap exhaustion is the one failure
// here, and it is fatal.
#include "framework/core/memory.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "framework/core/error.h"

[[noreturn]] static void out_of_memory() { fatal_error("Out of memory"); }

// A zero-byte request may give null, which would read as a failure.
void* heap_alloc(size_t bytes) {
    void* p = malloc(bytes ? bytes : 1);
    if (!p) out_of_memory();
    return p;
}

void* heap_alloc_zeroed(size_t count, size_t size) {
    void* p = calloc(count ? count : 1, size ? size : 1);
    if (!p) out_of_memory();
    return p;
}

void* heap_resize(void* block, size_t bytes) {
    void* p = realloc(block, bytes ? bytes : 1);
    if (!p) out_of_memory();
    return p;
}

char* heap_copy_n(const char* text, size_t n) {
    if (n == (size_t)-1) out_of_memory();
    char* p = (char*)heap_alloc(n + 1);
    if (n) memcpy(p, text, n);
    p[n] = 0;
    return p;
}

char* heap_copy(const char* text) {
    if (!text) text = "";
    return heap_copy_n(text, strlen(text));
}

char* heap_format_list(const char* format, va_list args) {
    va_list again;
    va_copy(again, args);
    int n = vsnprintf(nullptr, 0, format, args);
    char* text;
    if (n < 0) {
        text = heap_copy("");  // an encoding error: nothing to show
    } else {
        text = (char*)heap_alloc((size_t)n + 1);
        vsnprintf(text, (size_t)n + 1, format, again);
    }
    va_end(again);
    return text;
}

char* heap_format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    char* text = heap_format_list(format, args);
    va_end(args);
    return text;
}
