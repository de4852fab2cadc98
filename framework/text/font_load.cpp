// Font loading: font data (glyph records of width, height and colour-index
// pixels) laid out into one RGBA atlas with a full mipmap chain, then
// registered. Relies on the colour index table and build_mipmaps (draw).
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "framework/core/error.h"
#include "framework/core/memory.h"
#include "framework/draw/palette.h"
#include "framework/draw/texture.h"
#include "framework/platform/gl.h"
#include "framework/text/font.h"
#include "framework/window/pixel_store.h"

int font_max_texture_size_override = 0;

// Only the first 512 records count, each at most 2 + 255 x 255 bytes: nothing
// past this many bytes of a file can reach the atlas.
static const uint32_t MAX_USEFUL_BYTES = 512u * (2u + 255u * 255u);

// One glyph record. A record cut short by the end of the data keeps the width
// and height it declares (a missing height byte reads as 0); `available` says
// how many of its pixels the data really holds.
struct FontRecord {
    uint32_t w, h;
    uint64_t pixels;     // offset of the first pixel
    uint64_t available;  // pixels present, <= w * h
    uint64_t next;       // offset of the next record
};

static bool font_read_record(const unsigned char* data, uint32_t length, uint64_t offset, FontRecord* r) {
    if (offset >= length) return false;
    r->w = data[offset];
    r->h = offset + 1 < length ? data[offset + 1] : 0;
    r->pixels = offset + 2;
    uint64_t size = (uint64_t)r->w * r->h;
    r->available = r->pixels >= length ? 0 : length - r->pixels;
    if (r->available > size) r->available = size;
    r->next = r->pixels + size;
    return true;
}

static int font_query_max_texture_size() {
    if (font_max_texture_size_override) return font_max_texture_size_override;
    GLint v = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &v);
    return v;
}

void font_layout(Font* f, const unsigned char* data, uint32_t length, uint32_t limit) {
    if (!data) length = 0;
    uint32_t max_height = 1;
    FontRecord r;
    uint64_t offset = 0;
    for (int n = 0; n < 512 && font_read_record(data, length, offset, &r); n++) {
        if (r.h > max_height) max_height = r.h;
        offset = r.next;
    }
    f->max_height = (uint8_t)max_height;
    uint32_t gap = max_height >> 2;

    // Wider than the limit, a glyph could never fit a row: it keeps only its
    // left `limit` columns, and advances by that much.
    uint64_t cx = 0, cy = 0, right = 1;
    offset = 0;
    for (int k = 0; k < 512; k++) {
        f->glyph_x[k] = (int32_t)cx;
        f->glyph_y[k] = (int32_t)cy;
        if (!font_read_record(data, length, offset, &r)) {
            f->glyph_width[k] = 0;
            continue;
        }
        offset = r.next;
        uint32_t w = r.w < limit ? r.w : limit;
        f->glyph_width[k] = (int32_t)w;
        cx += w + gap;
        if (cx > limit) {  // the gap counts: a glyph that would just fit still wraps
            f->glyph_x[k] = 0;
            cy += max_height + gap;
            f->glyph_y[k] = (int32_t)cy;
            cx = w + gap;
        }
        if ((uint64_t)f->glyph_x[k] + w > right) right = (uint64_t)f->glyph_x[k] + w;
    }
    f->texture_width = (int32_t)next_power_of_two((uint32_t)right);
    f->texture_height = (int32_t)next_power_of_two((uint32_t)(cy + max_height));
}

// Writes every glyph's pixels into the zeroed atlas. Pixels a cut-short record
// lacks, and columns beyond a clipped width, stay (0, 0, 0, 0).
static void font_fill_texels(const Font* f, const unsigned char* data, uint32_t length, bool coverage_alpha,
                             unsigned char* texels) {
    float red[256], green[256], blue[256];
    build_colour_index_table(red, green, blue);
    const uint64_t tw = (uint32_t)f->texture_width, th = (uint32_t)f->texture_height;
    FontRecord r;
    uint64_t offset = 0;
    for (int k = 0; k < 512 && font_read_record(data, length, offset, &r); k++) {
        offset = r.next;
        const uint64_t x0 = (uint32_t)f->glyph_x[k], y0 = (uint32_t)f->glyph_y[k];
        const uint32_t w = (uint32_t)f->glyph_width[k];
        for (uint32_t row = 0; row < r.h; row++) {
            for (uint32_t c = 0; c < w; c++) {
                uint64_t i = (uint64_t)row * r.w + c;
                if (i >= r.available || x0 + c >= tw || y0 + row >= th) continue;
                unsigned v = data[r.pixels + i];
                unsigned char* t = texels + ((y0 + row) * tw + x0 + c) * 4;
                if (coverage_alpha) {
                    float sum = red[v] + green[v] + blue[v];
                    double a = v == 255 ? 0 : 85.1 * sum;
                    t[0] = t[1] = t[2] = 255;
                    t[3] = (unsigned char)(a >= 255 ? 255 : a > 0 ? (int)a : 0);
                } else if (v != 255) {
                    const float* ch[3] = {red, green, blue};
                    for (int j = 0; j < 3; j++) {
                        double b = 255.9 * ch[j][v];
                        t[j] = (unsigned char)(b >= 255 ? 255 : b > 0 ? (int)b : 0);
                    }
                    t[3] = 255;
                }
            }
        }
    }
}

void loadfont_data(const unsigned char* data, uint32_t length, const char* name, bool coverage_alpha) {
    if (!data) length = 0;
    if (!name) name = "";
    Font* f = (Font*)heap_alloc_zeroed(1, sizeof(Font));
    f->name = heap_copy(name);

    uint32_t limit = (uint32_t)font_query_max_texture_size();
    if (limit > 2048) limit = 2048;
    font_layout(f, data, length, limit);
    // Widths only pass the limit for a limit that is no power of two; such
    // an atlas could not be uploaded either.
    if ((uint32_t)f->texture_height > limit || (uint32_t)f->texture_width > limit)
        fatal_errorf("Font '%s' required texture of size %dx%d but GL_MAX_TEXTURE_SIZE=%d", name, f->texture_width,
                     f->texture_height, font_query_max_texture_size());

    const int w = f->texture_width, h = f->texture_height;
    unsigned char* texels = (unsigned char*)heap_alloc_zeroed((size_t)w * h * 4, 1);
    font_fill_texels(f, data, length, coverage_alpha, texels);

    glGenTextures(1, &f->texture);
    glBindTexture(GL_TEXTURE_2D, f->texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    upload_texture(GL_TEXTURE_2D, 4, w, h, texels);  // rows are w * 4 bytes, unpadded
    free(texels);

    font_minify_contrast(f);
    f->style = default_style;
    f->style.base = f;
    f->style.own_glyph_count = 512;
    font_refresh_metrics(f);
    font_registry_init();
    array_append(&font_registry, &f);
    if (!current_font) font_select(f);
}

void loadfont(const char* path, const char* name) {
    FILE* file = path ? fopen(path, "rb") : nullptr;
    unsigned char* bytes = nullptr;
    uint32_t length = 0, capacity = 0;
    if (file) {
        for (;;) {
            if (length == capacity) {
                if (capacity >= MAX_USEFUL_BYTES) break;
                capacity = capacity ? capacity * 2 : 65536;
                if (capacity > MAX_USEFUL_BYTES) capacity = MAX_USEFUL_BYTES;
                bytes = (unsigned char*)heap_resize(bytes, capacity);
            }
            size_t got = fread(bytes + length, 1, capacity - length, file);
            if (got == 0) break;
            length += (uint32_t)got;
        }
        fclose(file);
    }
    if (length == 0) {
        free(bytes);
        fatal_errorf("loadfont: '%s' not found", path ? path : "");
    }
    loadfont_data(bytes, length, name, false);
    free(bytes);
}

void font_minify_contrast(Font* f) {
    if (!f) return;
    unsigned char table[256];
    for (int i = 0; i < 256; i++) table[i] = (unsigned char)(255.9 * pow(i * 0.003907776475185619, 0.4));

    glBindTexture(GL_TEXTURE_2D, f->texture);
    PixelStore pack = pixel_store_pin(true), unpack = pixel_store_pin(false);
    for (int level = 1; level < 32; level++) {
        GLint lw = 0, lh = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &lw);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &lh);
        if (lw <= 0 || lh <= 0) break;  // no such level (a texture without mipmaps)
        const int64_t W = lw, H = lh;
        unsigned char* buf = (unsigned char*)heap_alloc((size_t)W * H * 4);
        glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, buf);
        for (int k = 48; k < 384; k++) {
            if (k == 58) k = 256;  // the digits, then 256..383
            if (f->glyph_x[k] < 0 || f->glyph_y[k] < 0 || f->glyph_width[k] < 0) continue;
            // The rectangle at this level, kept inside the level's image.
            int64_t x0 = f->glyph_x[k] >> level, n = f->glyph_width[k] >> level;
            int64_t y0 = f->glyph_y[k] >> level, y1 = ((int64_t)f->glyph_y[k] + f->max_height) >> level;
            int64_t x1 = x0 + n < W ? x0 + n : W;
            if (y1 > H) y1 = H;
            if (x0 >= x1 || y0 >= y1) continue;
            double m = 0.001;
            for (int64_t y = y0; y < y1; y++)
                for (int64_t i = (y * W + x0) * 4; i < (y * W + x1) * 4; i++)
                    if (buf[i] > m) m = buf[i];
            for (int64_t y = y0; y < y1; y++) {
                for (int64_t i = (y * W + x0) * 4; i < (y * W + x1) * 4; i++) {
                    int j = (int)(buf[i] * 255.4 / m);
                    buf[i] = table[j > 255 ? 255 : j];
                }
            }
        }
        glTexImage2D(GL_TEXTURE_2D, level, 4, lw, lh, 0, GL_RGBA, GL_UNSIGNED_BYTE, buf);
        free(buf);
        if (lw == 1 && lh == 1) break;
    }
    pixel_store_restore(pack);
    pixel_store_restore(unpack);
}
