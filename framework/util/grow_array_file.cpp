// GrowArray file forms: the full form (count, element size, minimum capacity,
// growth, elements) and the small form (count, one-byte element size, elements),
// little-endian. Readers trust nothing in a file: see read_elements.
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "framework/util/grow_array.h"

static void put_u32(unsigned char* p, uint32_t v) {
    p[0] = (unsigned char)v;
    p[1] = (unsigned char)(v >> 8);
    p[2] = (unsigned char)(v >> 16);
    p[3] = (unsigned char)(v >> 24);
}

static uint32_t get_u32(const unsigned char* p) {
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

static GrowArray failed_array() {
    GrowArray a;
    memset(&a, 0, sizeof a);
    a.growth = 60;
    return a;
}

static size_t element_bytes(GrowArray a) {
    if (!a.data || a.element_size <= 0) return 0;
    return (size_t)((uint64_t)a.count * (uint64_t)a.element_size);
}

// Reads exactly `bytes` bytes into a block of `block_bytes` (>= bytes). The
// block grows with what actually arrives, so a count that promises more than
// the stream holds costs at most twice the bytes present, never the count.
static void* read_elements(FILE* f, uint64_t bytes, uint64_t block_bytes) {
    if (block_bytes > (uint64_t)SIZE_MAX) return nullptr;
    size_t have = 0;
    size_t size = (size_t)(bytes < 65536 ? bytes : 65536);
    unsigned char* buf = (unsigned char*)malloc(size ? size : 1);
    while (buf && have < bytes) {
        if (have == size) {
            uint64_t next = (uint64_t)size * 2;
            if (next > bytes) next = bytes;
            unsigned char* bigger = (unsigned char*)realloc(buf, (size_t)next);
            if (!bigger) break;
            buf = bigger;
            size = (size_t)next;
        }
        size_t got = fread(buf + have, 1, size - have, f);
        have += got;
        if (got == 0) break;
    }
    if (!buf || have < bytes) {
        free(buf);
        return nullptr;
    }
    if (block_bytes > size) {
        unsigned char* block = (unsigned char*)realloc(buf, (size_t)block_bytes);
        if (!block) free(buf);
        buf = block;
    }
    return buf;
}

// Truncates a read-rule capacity, never below the count it must hold.
static uint32_t read_capacity(double v, uint32_t count) {
    uint64_t c = v >= 4294967295.0 ? 4294967295u : (uint64_t)v;
    return (uint32_t)(c < count ? count : c);
}

// A minimum capacity from a file that reserves more than the elements need is
// honoured only up to array_read_reserve_limit bytes.
static GrowArray read_body(FILE* f, uint32_t count, int32_t element_size, uint32_t min_capacity,
                           float growth, uint32_t capacity) {
    if (element_size <= 0) return failed_array();
    uint64_t size = (uint64_t)element_size;
    uint32_t cap = capacity > min_capacity ? capacity : min_capacity;
    if (cap > capacity && (uint64_t)cap * size > array_read_reserve_limit) return failed_array();
    uint64_t block = (uint64_t)cap * size;
    void* data = read_elements(f, (uint64_t)count * size, block ? block : 1);
    if (!data) return failed_array();
    GrowArray a;
    a.data = data;
    a.alias = nullptr;
    a.count = count;
    a.capacity = cap;
    a.min_capacity = min_capacity;
    a.element_size = element_size;
    a.growth = growth;
    return a;
}

// Both forms start with the count (0 when there are no element bytes to
// follow) and end with the elements; header holds the rest of the form's fields.
static void write_form(GrowArray a, FILE* f, unsigned char* header, size_t header_size) {
    size_t bytes = element_bytes(a);
    put_u32(header, bytes ? a.count : 0);
    fwrite(header, 1, header_size, f);
    if (bytes) fwrite(a.data, 1, bytes, f);
}

void array_write(GrowArray a, FILE* f) {
    if (!f) return;
    unsigned char h[16];
    uint32_t growth_bits;
    memcpy(&growth_bits, &a.growth, 4);
    put_u32(h + 4, (uint32_t)a.element_size);
    put_u32(h + 8, a.min_capacity);
    put_u32(h + 12, growth_bits);
    write_form(a, f, h, sizeof h);
}

GrowArray array_read(FILE* f) {
    unsigned char h[16];
    if (!f || fread(h, 1, sizeof h, f) != sizeof h) return failed_array();
    uint32_t count = get_u32(h);
    int32_t element_size = (int32_t)get_u32(h + 4);
    uint32_t min_capacity = get_u32(h + 8);
    uint32_t growth_bits = get_u32(h + 12);
    float growth;
    memcpy(&growth, &growth_bits, 4);
    // Outside 0..100 the growth rule would not make room for appended elements.
    if (!(growth >= 0 && growth < 100)) return failed_array();
    uint32_t capacity = read_capacity(count / growth_divisor(growth), count);
    return read_body(f, count, element_size, min_capacity, growth, capacity);
}

static bool small_form_fits(GrowArray a) { return a.element_size > 0 && a.element_size <= 255; }

void array_write_small(GrowArray a, FILE* f) {
    // An element size that does not fit the one-byte field would make a file
    // that reads back as different data; nothing is written instead.
    if (!f || !small_form_fits(a)) return;
    unsigned char h[5];
    h[4] = (unsigned char)a.element_size;
    write_form(a, f, h, sizeof h);
}

GrowArray array_read_small(FILE* f) {
    unsigned char h[5];
    if (!f || fread(h, 1, sizeof h, f) != sizeof h) return failed_array();
    uint32_t count = get_u32(h);
    uint32_t capacity = read_capacity(count * 1.25, count);
    GrowArray a = read_body(f, count, h[4], array_default_min_capacity, 60, capacity);
    return a;
}

int array_save_small(GrowArray a, const char* path) {
    if (!path || !small_form_fits(a)) return 0;  // checked first: an existing file is kept
    FILE* f = fopen(path, "wb");
    if (!f) return 0;
    array_write_small(a, f);
    bool ok = !ferror(f);
    if (fclose(f) != 0) ok = false;
    return ok ? 1 : 0;
}

GrowArray array_load_small(const char* path) {
    FILE* f = path ? fopen(path, "rb") : nullptr;
    if (!f) return failed_array();
    GrowArray a = array_read_small(f);
    fclose(f);
    return a;
}
