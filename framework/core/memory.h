// Checked heap blocks and heap copies of text. Every function here either
// succeeds or ends the process through fatal_error("Out of memory"), so
// callers never see null; blocks are released with free.
#pragma once
#include <cstdarg>
#include <cstddef>

void* heap_alloc(size_t bytes);                 // at least one byte is taken
void* heap_alloc_zeroed(size_t count, size_t size);  // count * size bytes of zeros
void* heap_resize(void* block, size_t bytes);   // realloc; at least one byte
char* heap_copy(const char* text);              // null copies as ""
char* heap_copy_n(const char* text, size_t n);  // the first n bytes, terminated
// printf into a block of exactly the needed size.
char* heap_format(const char* format, ...) __attribute__((format(printf, 1, 2)));
char* heap_format_list(const char* format, va_list args);
