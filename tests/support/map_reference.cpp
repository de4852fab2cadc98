// CPU reference of the stability map (see map_reference.h).
#include "tests/support/map_reference.h"

#include <algorithm>
#include <cmath>

int map_passes(float s, float t, float d, float phase, float maxit) {
    const float pi = 3.14159265358979323846264f;
    float x = s * pi * 2.0f;
    float xp = t * 6.0f - 3.0f;
    float sp = 0.5f * pi + phase;
    float ssp = std::sin(sp);
    float i = 0;
    while (i <= maxit && x >= 0 && x <= pi * 2.0f) {
        xp = xp + d * (std::sin(x) - ssp);
        x = x + d * xp;
        i = i + 1;
        if (i > 1e6f) break;  // a huge maxit would never end on the CPU
    }
    return (int)i;
}

static uint8_t to_byte(float c) { return (uint8_t)std::lround(std::min(1.0f, std::max(0.0f, c)) * 255.0f); }

uint32_t map_colour(int passes, float maxit) {
    float i = (float)passes;
    if (i > maxit) return 0;
    return (uint32_t)to_byte(0.01f * i) << 16 | (uint32_t)to_byte(std::min(1.0f, 0.1f * i) - 0.0001f * i) << 8 |
           to_byte(0.5f * i);
}

std::vector<uint32_t> map_picture(int w, int h, float d, float phase, float maxit) {
    std::vector<uint32_t> out((size_t)w * h);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            out[(size_t)y * w + x] = map_colour(map_passes((x + 0.5f) / w, (y + 0.5f) / h, d, phase, maxit), maxit);
    return out;
}

double map_energy(double x, double xp, double phase) {
    return xp * xp / 2 + std::cos(x) + x * std::sin(1.5707963267948966 + phase);
}
