// GrowArray: growth and shrink by the fill rule, the alias and the element
// operations (the file forms are in grow_array_file.cpp). Blocks come from
// the core's checked heap; a size beyond 32-bit counts is a fatal error.
#include "framework/util/grow_array.h"

#include <cstdlib>
#include <cstring>

#include "framework/core/error.h"
#include "framework/core/memory.h"

uint32_t array_default_min_capacity = 1;

// Every block holds at least one byte, so that a live array never has null
// data and a failed read (null data) cannot be mistaken for an empty array.
static size_t block_bytes(uint64_t slots, int32_t element_size) {
    uint64_t size = element_size > 0 ? (uint64_t)element_size : 0;
    if (slots != 0 && size > UINT64_MAX / slots) fatal_error("Out of memory");
    uint64_t bytes = slots * size;
    if (bytes > (uint64_t)SIZE_MAX) fatal_error("Out of memory");
    return bytes ? (size_t)bytes : 1;
}

static void* take_block(uint64_t slots, int32_t element_size) { return heap_alloc(block_bytes(slots, element_size)); }

static size_t slot_bytes(const GrowArray* a, uint64_t slots) {
    return a->element_size > 0 ? (size_t)(slots * (uint64_t)a->element_size) : 0;
}

// Moves the live elements to a block of new_capacity (>= count) slots and
// tells the alias. realloc is the "new block, copy, release" of the fill rule,
// but can often extend in place or remap pages instead of copying.
static void reallocate(GrowArray* a, uint32_t new_capacity) {
    void* block = heap_resize(a->data, block_bytes(new_capacity, a->element_size));
    a->data = block;
    a->capacity = new_capacity;
    if (a->alias) *a->alias = block;
}

// Truncates v to a capacity, keeping at least `floor`: a growth setting
// outside 0..100 (or NaN) must never leave too few slots.
static uint32_t capacity_from(double v, uint64_t floor) {
    uint64_t c = v >= 4294967295.0 ? 4294967295u : (v >= 0 ? (uint64_t)v : 0);
    if (c < floor) c = floor;
    return (uint32_t)c;
}

static void grow(GrowArray* a, uint32_t n) {
    uint64_t needed = (uint64_t)a->count + n;
    if (needed > UINT32_MAX) fatal_error("GrowArray: count beyond 32 bits");
    if (needed <= a->capacity) return;
    reallocate(a, capacity_from((double)needed * growth_factor(a->growth), needed));
}

static void shrink(GrowArray* a) {
    uint32_t c = a->count;
    if (!(0.01 * a->growth > (double)c / a->capacity) || a->capacity <= a->min_capacity) return;
    uint32_t cap = capacity_from((double)c * growth_factor(a->growth), c);
    if (cap < a->min_capacity) cap = a->min_capacity;
    if (cap < a->capacity) reallocate(a, cap);
}

static GrowArray make_record(int element_size, uint32_t capacity, uint32_t min_capacity) {
    GrowArray a;
    a.data = take_block(capacity, element_size);
    a.alias = nullptr;
    a.count = 0;
    a.capacity = capacity;
    a.min_capacity = min_capacity;
    a.element_size = element_size;
    a.growth = 60;
    return a;
}

GrowArray array_make(int element_size) {
    return make_record(element_size, array_default_min_capacity, array_default_min_capacity);
}

GrowArray array_make_sized(int element_size, uint32_t n, bool filled) {
    GrowArray a = make_record(element_size, n, n);
    if (filled) a.count = n;
    return a;
}

GrowArray array_copy(GrowArray a) {
    GrowArray b = a;
    b.data = take_block(a.capacity, a.element_size);
    if (a.data) memcpy(b.data, a.data, slot_bytes(&a, a.capacity));
    b.alias = nullptr;
    return b;
}

void** array_set_alias(GrowArray* a, void** alias) {
    void** previous = a->alias;
    a->alias = alias;
    if (alias) *alias = a->data;
    return previous;
}

static char* slot(const GrowArray* a, uint32_t i) { return (char*)a->data + slot_bytes(a, i); }

uint32_t array_append_slow(GrowArray* a, const void* element) {
    if (a->count >= a->capacity) grow(a, 1);
    char* to = slot(a, a->count);
    // Fixed-size copies for the common sizes become plain moves.
    switch (a->element_size) {
        case 4: memcpy(to, element, 4); break;
        case 8: memcpy(to, element, 8); break;
        case 16: memcpy(to, element, 16); break;
        default:
            if (a->element_size > 0) memcpy(to, element, (size_t)a->element_size);
    }
    return a->count++;
}

void* array_extend(GrowArray* a, uint32_t n) {
    grow(a, n);
    void* first = slot(a, a->count);
    a->count += n;
    return first;
}

void array_append_all(GrowArray* a, GrowArray source) {
    // Differing element sizes would copy the wrong number of bytes into slots
    // sized for a's elements, so such a call leaves a alone.
    if (source.element_size != a->element_size || source.count == 0 || !source.data) return;
    grow(a, source.count);
    memcpy(slot(a, a->count), source.data, slot_bytes(&source, source.count));
    a->count += source.count;
}

void* array_insert(GrowArray* a, const void* element, uint32_t index) {
    if (index > a->count) return nullptr;  // would leave a gap of uninitialised slots
    grow(a, 1);
    size_t size = slot_bytes(a, 1);
    for (uint32_t i = a->count; i > index; i--) memcpy(slot(a, i), slot(a, i - 1), size);
    if (size) memcpy(slot(a, index), element, size);
    a->count++;
    return slot(a, index);
}

void array_trim(GrowArray* a) {
    reallocate(a, a->count);
}

int array_find(GrowArray a, const void* element) {
    size_t size = slot_bytes(&a, 1);
    for (uint32_t i = a.count; i-- > 0;)
        if (memcmp(slot(&a, i), element, size) == 0) return (int)i;
    return -1;
}

void array_sort(GrowArray* a, int (*compare)(const void*, const void*)) {
    if (a->count < 2 || a->element_size <= 0) return;
    qsort(a->data, a->count, (size_t)a->element_size, compare);
}

void array_remove_swap(GrowArray* a, uint32_t index) {
    if (index >= a->count) return;
    uint32_t last = a->count - 1;
    if (index != last) memcpy(slot(a, index), slot(a, last), slot_bytes(a, 1));
    a->count = last;
    shrink(a);
}

void array_remove_at(GrowArray* a, uint32_t index) {
    if (index >= a->count) return;
    size_t size = slot_bytes(a, 1);
    for (uint32_t i = index + 1; i < a->count; i++) memcpy(slot(a, i - 1), slot(a, i), size);
    a->count--;
    shrink(a);
}

void array_remove_value(GrowArray* a, const void* element) {
    int i = array_find(*a, element);
    if (i >= 0) array_remove_swap(a, (uint32_t)i);
}

void array_clear(GrowArray* a) {
    free(a->data);
    a->data = nullptr;
    a->count = 0;
    reallocate(a, a->min_capacity);
}

void array_free(GrowArray a) {
    if (a.alias) *a.alias = nullptr;
    free(a.data);
}

void array_delete(GrowArray* a) {
    if (!a) return;
    array_free(*a);
    free(a);
}
