// PNG writing: stb_image_write encodes the pixels, then the tEXt chunks are
// put in after IHDR with the CRC-32 of stb's own PNG writer. stb is compiled
// here, static, so its names stay out of every other file.
#include "framework/window/png.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "framework/platform/gl.h"
#include "framework/window/file_write.h"
#include "framework/window/png_deflate.h"
#include "framework/window/screenshot.h"

// stb lays out and filters the rows; the deflate stream is ours (png_deflate),
// told the row length of the picture being encoded.
static int deflate_row_bytes;
static unsigned char* deflate_rows(unsigned char* data, int n, int* out_len, int) {
    return png_deflate(data, n, 3, deflate_row_bytes, out_len);
}
#define STBIW_ZLIB_COMPRESS deflate_rows
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include "stb_image_write.h"

namespace {

const size_t SIGNATURE_AND_IHDR = 8 + 4 + 4 + 13 + 4;

// Printable Latin-1, blanks only singly and inside, as the PNG format asks.
bool valid_keyword(const char* k) {
    size_t n = k ? strlen(k) : 0;
    if (n < 1 || n > 79 || k[0] == ' ' || k[n - 1] == ' ') return false;
    for (size_t i = 0; i < n; i++) {
        unsigned char c = (unsigned char)k[i];
        if (c < 32 || (c > 126 && c < 161)) return false;
        if (c == ' ' && k[i + 1] == ' ') return false;
    }
    return true;
}

void put_u32_be(unsigned char* p, uint32_t v) {
    p[0] = (unsigned char)(v >> 24);
    p[1] = (unsigned char)(v >> 16);
    p[2] = (unsigned char)(v >> 8);
    p[3] = (unsigned char)v;
}

// A w x h picture whose rows lie stride bytes apart that stb can encode: stb
// sizes its buffers with int products, so (3 w + 1) h and the stride times h
// must stay inside an int.
bool png_size_fits(int w, int h, long long stride) {
    if (w < 1 || h < 1 || stride < 3LL * w) return false;
    return (3LL * w + 1) <= INT_MAX / h && stride <= INT_MAX / h;
}

}  // namespace

unsigned char* png_encode(const unsigned char* pixels, int w, int h, long long stride, bool bottom_up,
                          const PngText* texts, int count, size_t* size) {
    if (!pixels || !png_size_fits(w, h, stride) || count < 0 || (count > 0 && !texts)) return nullptr;
    size_t extra = 0;
    for (int i = 0; i < count; i++) {
        if (!valid_keyword(texts[i].keyword) || !texts[i].text) return nullptr;
        size_t data = strlen(texts[i].keyword) + 1 + strlen(texts[i].text);
        if (data > INT_MAX / 2) return nullptr;
        extra += 12 + data;
        if (extra > INT_MAX / 2) return nullptr;
    }
    // stb's settings are this file's own (static); they are set for every call.
    stbi_flip_vertically_on_write(bottom_up ? 1 : 0);
    // No row filter: the maps' flat bands compress best unfiltered, and the
    // stream matches against the row above itself (a filter byte, then 3 per pixel).
    stbi_write_force_png_filter = 0;
    deflate_row_bytes = 1 + 3 * w;
    int length = 0;
    unsigned char* png = stbi_write_png_to_mem(pixels, (int)stride, w, h, 3, &length);
    if (!png) return nullptr;
    if ((size_t)length < SIGNATURE_AND_IHDR || memcmp(png + 12, "IHDR", 4) != 0) {
        STBIW_FREE(png);
        return nullptr;
    }
    unsigned char* out = (unsigned char*)malloc((size_t)length + extra);
    if (!out) {
        STBIW_FREE(png);
        return nullptr;
    }
    memcpy(out, png, SIGNATURE_AND_IHDR);
    unsigned char* p = out + SIGNATURE_AND_IHDR;
    for (int i = 0; i < count; i++) {
        size_t k = strlen(texts[i].keyword), t = strlen(texts[i].text);
        put_u32_be(p, (uint32_t)(k + 1 + t));
        memcpy(p + 4, "tEXt", 4);
        memcpy(p + 8, texts[i].keyword, k);
        p[8 + k] = 0;
        memcpy(p + 9 + k, texts[i].text, t);
        put_u32_be(p + 9 + k + t, stbiw__crc32(p + 4, (int)(4 + k + 1 + t)));  // type and data
        p += 13 + k + t;
    }
    memcpy(p, png + SIGNATURE_AND_IHDR, (size_t)length - SIGNATURE_AND_IHDR);
    STBIW_FREE(png);
    *size = (size_t)length + extra;
    return out;
}

bool save_png(int x, int y, int w, int h, const char* filename, const PngText* texts, int count) {
    long long stride = bmp_stride(w);  // the rows as read_pixel_rows lays them out
    if (!png_size_fits(w, h, stride)) return false;
    unsigned char* pixels = (unsigned char*)calloc((size_t)(stride * h), 1);
    if (!pixels) return false;
    read_pixel_rows(x, y, w, h, GL_RGB, pixels);
    size_t size = 0;
    unsigned char* png = png_encode(pixels, w, h, stride, true, texts, count, &size);
    free(pixels);
    bool ok = png && write_file_whole(filename, png, size);
    free(png);
    return ok;
}
