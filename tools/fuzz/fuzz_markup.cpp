// Fuzz target for the text markup: random texts through markup_text,
// markup_commands and markup_scripts in buffers allocated to the exact
// capacity (ASan sees any overrun), checked against a roomy reference run.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "framework/text/markup.h"
#include "tools/fuzz/fuzz_target.h"

// A heap block of exactly capacity bytes holding as much of the text as fits;
// bytes after the terminator are noise, as in a caller's reused buffer.
static char* buffer_with(const uint8_t* text, size_t len, size_t capacity) {
    char* b = (char*)malloc(capacity ? capacity : 1);
    size_t n = len < capacity ? len : capacity;
    memcpy(b, text, n);
    for (size_t i = n; i < capacity; i++) b[i] = (char)(0x5A ^ i);
    if (n < capacity) b[n] = 0;
    return b;
}

// The result must be terminated inside the buffer, at a code boundary.
static size_t result_length(const char* b, size_t capacity) {
    const char* end = encoded_end(b, capacity);
    fuzz_require(end != nullptr, "no terminator at a code boundary inside the buffer");
    return (size_t)(end - b);
}

// Input layout: byte 0 picks the depth (bits 0-2, negated less one when bit 5
// is set) and the pass (bits 3-4), byte 1 the capacity relative to the text;
// the rest is the text.
TESS_FUZZ_TARGET(markup, nullptr) {
    if (size < 2) return 0;
    int depth = data[0] & 7;
    if (data[0] & 0x20) depth = -1 - depth;
    int pass = data[0] >> 3 & 3;
    const uint8_t* text = data + 2;
    size_t len = size - 2;
    size_t capacity;
    switch (data[1] >> 6) {
    case 0: capacity = data[1] & 63; break;                         // tiny, often smaller than the text
    case 1: capacity = len + 1 + (data[1] & 63); break;             // a little room to grow
    case 2: capacity = len + 1 + (len * (data[1] & 63)) / 8; break; // proportional room
    default: capacity = len * 16 + 256; break;                      // more than any growth
    }

    char* b = buffer_with(text, len, capacity);
    if (capacity == 0) {
        markup_text(b, depth, 0);
        free(b);
        return 0;
    }
    // What the buffer holds as the input: the text up to its first zero,
    // or as much as leaves room for a terminator.
    size_t held = strnlen((const char*)text, len);
    if (held > capacity - 1) held = capacity - 1;

    if (pass == 0 || pass == 1) {
        markup_text(b, depth, capacity);
        size_t n = result_length(b, capacity);
        // Reference: the same input in a buffer sized by markup_text_size.
        char* in = (char*)malloc(held + 1);
        memcpy(in, text, held);
        in[held] = 0;
        size_t need = markup_text_size(in, depth);
        fuzz_require(need >= 1, "markup_text_size below 1");
        char* full = buffer_with((const uint8_t*)in, held, need);
        markup_text(full, depth, need);
        size_t fn = result_length(full, need);
        fuzz_require(fn == need - 1 || (fn < need - 1 && need - 1 == held), "markup_text_size is not the size needed");
        // A cut result is a prefix of the full one, short by less than one unit.
        fuzz_require(n <= fn && memcmp(b, full, n) == 0, "a cut result is no prefix of the full one");
        fuzz_require(n == fn || n + 6 >= capacity - 1, "a result cut shorter than the buffer allows");
        if (pass == 1) {
            markup_commands(b, capacity);
            result_length(b, capacity);
        }
        free(full);
        free(in);
    } else if (pass == 2) {
        // Encoded input straight into the later passes, codes cut or whole.
        markup_commands(b, capacity);
        result_length(b, capacity);
        markup_scripts(b, depth, (int16_t)(data[1] * 97), (uint16_t)(len * 31), capacity);
        result_length(b, capacity);  // commands left it whole, whatever the depth
    } else {
        // Depth 0 leaves the text alone, a cut-off code in it included.
        markup_scripts(b, depth, 0, 256, capacity);
        if (depth != 0) result_length(b, capacity);
        markup_greek(b, capacity);
        result_length(b, capacity);
    }
    free(b);
    return 0;
}
