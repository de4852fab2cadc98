// Colour-index and hue palettes, their packed form, the nearest-index search
// with its lazily filled cache, and the JASC-PAL writer. Component to byte is
// trunc(value * 255.9) throughout, like the font loader.
#include "framework/draw/palette.h"

#include <climits>
#include <cstdio>

static const float grey23_step = 0.04347826f;  // 1/23
static const float grey15_step = 0.06666667f;  // 1/15
static const float byte_scale = 0.003921569f;  // 1/255

// No clamping above 255 (a palette may hold values over 1), but values that
// do not fit an int, NaN included, are pinned rather than left undefined.
static int to_byte(float v) {
    double x = v * 255.9;
    if (!(x > INT_MIN)) return x != x ? 0 : INT_MIN;
    if (x >= 2147483647.0) return INT_MAX;
    return (int)x;
}

void colour_index_rgb(int i, float* red, float* green, float* blue) {
    if (i <= 7 || (i >= 9 && i <= 15)) {
        // Console colours; signed compare so negatives take the dim branch.
        float level = i <= 7 ? 0.5f : 1.0f;
        *red = (i & 4) ? level : 0.0f;
        *green = (i & 2) ? level : 0.0f;
        *blue = (i & 1) ? level : 0.0f;
    } else if (i == 8) {
        *red = *green = *blue = 0.25f;
    } else if (i <= 39) {
        float v = (float)((i - 16) * (double)grey23_step);  // 39 lands exactly on 1
        *red = *green = *blue = v;
    } else {
        int k = i - 40;
        *red = (float)((k % 6) * 0.2);
        *green = (float)((k / 6 % 6) * 0.2);
        *blue = (float)((k / 36) * 0.2);
    }
}

void build_colour_index_table(float* red, float* green, float* blue) {
    for (int i = 0; i < 256; i++) colour_index_rgb(i, &red[i], &green[i], &blue[i]);
}

void colour_index_table_packed(int* out) {
    float red[256], green[256], blue[256];
    build_colour_index_table(red, green, blue);
    for (int i = 255; i >= 0; i--)
        out[i] = to_byte(red[i]) << 16 | to_byte(green[i]) << 8 | to_byte(blue[i]);
}

static float cache_red[256], cache_green[256], cache_blue[256];
static int cache_filled = 0;

static double distance2(double r, double g, double b, int index) {
    double dr = r - cache_red[index], dg = g - cache_green[index], db = b - cache_blue[index];
    return dr * dr + dg * dg + db * db;
}

int nearest_colour_index(int colour) {
    double r = ((colour >> 16) & 255) * (double)byte_scale;
    double g = ((colour >> 8) & 255) * (double)byte_scale;
    double b = (colour & 255) * (double)byte_scale;
    if (!cache_filled) {
        build_colour_index_table(cache_red, cache_green, cache_blue);
        cache_filled = 1;
    }
    int best = 4 * (r >= 0.25) + 2 * (g >= 0.25) + (b >= 0.25);
    double best_d = (float)distance2(r, g, b, best);

    int bright = 8 + 4 * (r >= 0.5) + 2 * (g >= 0.5) + (b >= 0.5);
    double d = (float)distance2(r, g, b, bright);
    if (d < best_d) best = bright, best_d = d;

    int p = (int)((r + g + b) * 7.6666669845581055 + 0.499);
    if (p < 0) p = 0;  // r, g, b are bytes scaled, so 0..23 already; keep the index in range
    if (p > 23) p = 23;
    d = (float)distance2(r, g, b, 16 + p);
    if (d < best_d) best = 16 + p, best_d = d;

    int cr = (int)(5 * r + 0.499), cg = (int)(5 * g + 0.499), cb = (int)(5 * b + 0.499);
    if (cr > 5) cr = 5;
    if (cg > 5) cg = 5;
    if (cb > 5) cb = 5;
    int cube = 40 + cr + 6 * cg + 36 * cb;
    d = distance2(r, g, b, cube);  // deliberately not rounded to single precision
    if (d < best_d) best = cube;
    return best;
}

void build_hue_palette(float* red, float* green, float* blue) {
    for (int i = 0; i < 16; i++) colour_index_rgb(i, &red[i], &green[i], &blue[i]);
    for (int i = 16; i < 32; i++) red[i] = green[i] = blue[i] = (float)((i - 16) * (double)grey15_step);
    for (int l = 0; l < 96; l++) {
        static const float low[4] = {0, 0.5f, 0, 0};
        static const float high[4] = {1, 1, 0.25f, 0.5f};
        float f = low[l / 24], h = high[l / 24];
        int o = l % 8;
        int t = o <= 4 ? o : 8 - o;
        float v = (float)(h * (t * 0.25) + f * (1 - t * 0.25));
        float* rgb[3] = {&red[32 + l], &green[32 + l], &blue[32 + l]};
        switch (l / 4 % 6) {
        case 0: *rgb[0] = v, *rgb[1] = f, *rgb[2] = h; break;
        case 1: *rgb[0] = h, *rgb[1] = f, *rgb[2] = v; break;
        case 2: *rgb[0] = h, *rgb[1] = v, *rgb[2] = f; break;
        case 3: *rgb[0] = v, *rgb[1] = h, *rgb[2] = f; break;
        case 4: *rgb[0] = f, *rgb[1] = h, *rgb[2] = v; break;
        default: *rgb[0] = f, *rgb[1] = v, *rgb[2] = h; break;
        }
    }
    for (int i = 128; i < 253; i++) {
        int m = i - 128;
        red[i] = (float)(m % 5 * 0.25);
        green[i] = (float)(m / 5 % 5 * 0.25);
        blue[i] = (float)(m / 25 * 0.25);
    }
    for (int i = 253; i < 256; i++) red[i] = green[i] = blue[i] = 0;
}

int write_palette(const float* red, const float* green, const float* blue, const char* path) {
    if (!path) return EOF;
    FILE* f = fopen(path, "w");  // text mode: CR LF line ends on Windows
    if (!f) return EOF;
    fputs("JASC-PAL\n0100\n256\n", f);
    for (int i = 0; i < 256; i++) fprintf(f, "%d %d %d\n", to_byte(red[i]), to_byte(green[i]), to_byte(blue[i]));
    int failed = ferror(f);
    int closed = fclose(f);
    return failed ? EOF : closed;
}
