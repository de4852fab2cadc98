// GrowArray: the framework's one container, a heap block of fixed-size
// elements copied bytewise, growing and shrinking by a fill rule, with an
// optional outside pointer kept equal to the block; and its two file forms.
#pragma once
#include <cstdint>
#include <cstdio>

#include "framework/core/numbers.h"  // next_power_of_two, max_unsigned, square

struct GrowArray {
    void* data;        // capacity * element_size bytes
    void** alias;      // outside variable kept equal to data, or null
    uint32_t count;
    uint32_t capacity;
    uint32_t min_capacity;
    int32_t element_size;
    float growth;      // percent, 0 <= growth < 100; default 60 (1.25x growth)
};

extern uint32_t array_default_min_capacity;  // initial 1

GrowArray array_make(int element_size);
GrowArray array_make_sized(int element_size, uint32_t n, bool filled);
GrowArray array_copy(GrowArray a);
void** array_set_alias(GrowArray* a, void** alias);
uint32_t array_append_slow(GrowArray* a, const void* element);  // array_append, out of line

// Byte arrays append one byte at a time, where a call would cost more than
// the copy; that case is inline, every other goes through the library.
inline uint32_t array_append(GrowArray* a, const void* element) {
    uint32_t i = a->count;
    if (a->element_size != 1 || i >= a->capacity) return array_append_slow(a, element);
    ((char*)a->data)[i] = *(const char*)element;
    a->count = i + 1;
    return i;
}
void* array_extend(GrowArray* a, uint32_t n);
void array_append_all(GrowArray* a, GrowArray source);  // nothing if element sizes differ
void* array_insert(GrowArray* a, const void* element, uint32_t index);  // null if index > count
void array_trim(GrowArray* a);
int array_find(GrowArray a, const void* element);
void array_sort(GrowArray* a, int (*compare)(const void*, const void*));
void array_remove_swap(GrowArray* a, uint32_t index);
void array_remove_at(GrowArray* a, uint32_t index);
void array_remove_value(GrowArray* a, const void* element);
void array_clear(GrowArray* a);
void array_free(GrowArray a);
void array_delete(GrowArray* a);  // a record from malloc

// File forms. A reader that meets an unopenable, short or inconsistent file
// (element size 0 or negative, growth outside 0..100, fewer element bytes than
// the count promises) returns an array with null data and count 0, which
// array_free accepts; a successful read always has non-null data. A minimum
// capacity that would reserve more than array_read_reserve_limit bytes beyond
// the elements is refused the same way. array_write_small writes nothing for
// elements that do not fit its one-byte size field; array_save_small returns
// 1 when the whole file was written and closed, else 0 (leaving an existing
// file alone when the element size cannot be written): a yes/no answer, as
// the framework's own results are (write_config).
const uint64_t array_read_reserve_limit = 64u << 20;  // bytes
void array_write(GrowArray a, FILE* f);
GrowArray array_read(FILE* f);
void array_write_small(GrowArray a, FILE* f);
GrowArray array_read_small(FILE* f);
int array_save_small(GrowArray a, const char* path);
GrowArray array_load_small(const char* path);
