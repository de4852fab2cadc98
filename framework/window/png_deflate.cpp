// The fast PNG zlib stream (see png_deflate.h). RFC 1950 wrapper around one
// RFC 1951 block of fixed Huffman codes (BTYPE 01).
#include "framework/window/png_deflate.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

const int MIN_MATCH = 3, MAX_MATCH = 258, MAX_DISTANCE = 32768;

const uint16_t length_base[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                  31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
const uint8_t length_extra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
const uint16_t distance_base[30] = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
                                    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
const uint8_t distance_extra[30] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

struct BitWriter {
    unsigned char* out;
    size_t at;
    uint64_t bits;
    int count;
    void put(uint32_t value, int n) {  // n <= 32, least significant bit first
        bits |= (uint64_t)value << count;
        count += n;
        while (count >= 8) {
            out[at++] = (unsigned char)bits;
            bits >>= 8;
            count -= 8;
        }
    }
    void flush() {
        if (count > 0) out[at++] = (unsigned char)bits;
        bits = 0;
        count = 0;
    }
};

uint32_t reversed(uint32_t code, int n) {
    uint32_t r = 0;
    for (int i = 0; i < n; i++) r |= ((code >> i) & 1) << (n - 1 - i);
    return r;
}

// The fixed code of a literal/length symbol, reversed for the LSB-first writer.
struct Code {
    uint16_t bits;
    uint8_t n;
};
Code fixed_code(int symbol) {
    if (symbol < 144) return {(uint16_t)reversed(0x30 + symbol, 8), 8};
    if (symbol < 256) return {(uint16_t)reversed(0x190 + symbol - 144, 9), 9};
    if (symbol < 280) return {(uint16_t)reversed(symbol - 256, 7), 7};
    return {(uint16_t)reversed(0xC0 + symbol - 280, 8), 8};
}

struct Tables {
    Code literal[288];
    uint8_t length_code[MAX_MATCH + 1];  // index into length_base
    Tables() {
        for (int s = 0; s < 288; s++) literal[s] = fixed_code(s);
        for (int c = 0; c < 29; c++)
            for (int len = length_base[c]; len <= MAX_MATCH && (c == 28 || len < length_base[c + 1]); len++)
                length_code[len] = (uint8_t)c;
    }
};

uint32_t adler32(const unsigned char* p, int n) {
    uint32_t a = 1, b = 0;
    while (n > 0) {
        int chunk = n < 5552 ? n : 5552;  // the most bytes before b can overflow
        n -= chunk;
        // Four sums at a time: b gains 4a and the bytes weighted 4, 3, 2, 1.
        for (; chunk >= 4; chunk -= 4, p += 4) {
            b += 4 * a + 4u * p[0] + 3u * p[1] + 2u * p[2] + p[3];
            a += (uint32_t)p[0] + p[1] + p[2] + p[3];
        }
        while (chunk--) {
            a += *p++;
            b += a;
        }
        a %= 65521;
        b %= 65521;
    }
    return b << 16 | a;
}

// Eight bytes at a time, then byte by byte where they first differ.
int match_length(const unsigned char* data, int at, int distance, int limit) {
    const unsigned char* p = data + at;
    const unsigned char* q = p - distance;
    int len = 0;
    for (; len + 8 <= limit; len += 8) {
        uint64_t x, y;
        memcpy(&x, p + len, 8);
        memcpy(&y, q + len, 8);
        if (x != y) break;  // the bytes below find where
    }
    while (len < limit && p[len] == q[len]) len++;
    return len;
}

}  // namespace

unsigned char* png_deflate(const unsigned char* data, int n, int pixel, int row, int* out_len) {
    static const Tables t;
    // Literals of 9 bits at most, in a block of unlimited length: n * 9 / 8 and a few bytes.
    size_t bound = (size_t)n + (size_t)n / 8 + 16;
    unsigned char* out = (unsigned char*)malloc(bound);
    if (!out) return nullptr;
    BitWriter w = {out, 0, 0, 0};
    w.put(0x78, 8);  // deflate, 32K window
    w.put(0x01, 8);  // fastest; the header is a multiple of 31
    w.put(1, 1);     // the last block
    w.put(1, 2);     // fixed codes
    const int candidates[2] = {pixel, row <= MAX_DISTANCE ? row : 0};
    for (int i = 0; i < n;) {
        int best = 0, best_distance = 0, limit = n - i < MAX_MATCH ? n - i : MAX_MATCH;
        for (int distance : candidates) {
            if (distance <= 0 || distance > i) continue;
            int len = match_length(data, i, distance, limit);
            if (len > best) best = len, best_distance = distance;
            if (best == limit) break;  // no longer match to be had
        }
        if (best < MIN_MATCH) {
            w.put(t.literal[data[i]].bits, t.literal[data[i]].n);
            i++;
            continue;
        }
        int lc = t.length_code[best];
        w.put(t.literal[257 + lc].bits, t.literal[257 + lc].n);
        w.put(best - length_base[lc], length_extra[lc]);
        int dc = 29;
        while (distance_base[dc] > best_distance) dc--;
        w.put(reversed(dc, 5), 5);
        w.put(best_distance - distance_base[dc], distance_extra[dc]);
        i += best;
    }
    w.put(t.literal[256].bits, t.literal[256].n);  // end of block
    w.flush();
    uint32_t check = adler32(data, n);
    for (int k = 3; k >= 0; k--) out[w.at++] = (unsigned char)(check >> (8 * k));
    *out_len = (int)w.at;
    return out;
}
