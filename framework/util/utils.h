// Small utilities: characters, heap string copies, whole-file reading,
// counted string lists and counted arrays of doubles with arithmetic,
// statistics and sorting; the numeric helpers come from the core. No state.
#pragma once
#include <cstdint>

// The numeric clamps and choices and the random numbers live in the core.
#include "framework/core/numbers.h"

// A list of heap strings: the value points at the first string pointer; the
// block starts one pointer earlier with the count stored there as an int.
typedef char** StringList;
// An array of doubles: the value points at element 0; the block starts 8 bytes
// earlier with the count stored there as an int (the other 4 bytes unused).
typedef double* RealArray;

int lower_ascii(char c);       // A-Z folded, everything else as a signed char
int char_code(char c);         // 0 .. 255
// atoi with a defined result everywhere: values beyond an int clamp to
// INT_MIN / INT_MAX (atoi's overflow is undefined and differs between runtimes).
int parse_int(const char* s);
// trunc(v) as an int, likewise defined everywhere: beyond the int range it
// clamps to INT_MIN / INT_MAX, and NaN gives 0.
int trunc_int(double v);
// v clamped to the int range.
int clamp_to_int(long long v);
int copy_string(char** out, const char* s);     // *out = heap copy; returns strlen(s)
int replace_string(char** p, const char* s);    // frees *p first; s must not be *p
// The file's bytes (not NUL-terminated) and *length; null for an empty file
// (*length = 0). A file that cannot be opened, sized or read completely gives
// null with *length untouched.
void* read_whole_file(const char* path, int* length);

// Pieces between non-overlapping separator matches, leftmost first; an empty
// separator matches nowhere (one piece: the whole text).
StringList split_string(const char* separator, const char* text);
StringList split_words(const char* text);  // runs of non-isspace characters
int list_count(StringList list);
void free_string_list(StringList list);  // strings (last first), then the block
void free_list_block(StringList list);   // the block only
RealArray parse_real_list(const char* text);  // atof of each comma-separated piece

RealArray real_array_new(int n);  // n < 0 is taken as 0; elements not initialised
RealArray real_array_new_zeroed(int n);
int real_array_count(RealArray a);
void real_array_free(RealArray a);
void real_array_zero(RealArray a);
RealArray real_array_copy(RealArray a);
void real_array_copy_into(RealArray a, RealArray b);  // first min(counts) of b over a
void real_array_grow(RealArray* p, int k);  // count + k elements (at least 0), old ones kept
void real_array_resize(RealArray* p, unsigned n);  // grows with zeros; never shrinks
// Elementwise: over the shorter of the two arrays, so a short b is never overrun.
void real_array_scale(RealArray a, double x);
void real_array_add(RealArray a, RealArray b);
void real_array_add_scaled(RealArray a, double x, RealArray b);
void real_array_multiply(RealArray a, RealArray b);
double real_array_max(RealArray a);  // -HUGE_VAL for an empty array
double real_array_sum(RealArray a);
double real_array_mean(RealArray a);  // 0/0 for an empty array
double real_array_sum_squares(RealArray a);
double real_array_norm(RealArray a);
double real_array_rms(RealArray a);
void real_array_sort(RealArray a);  // ascending; quicksort with a fixed 50-int stack
