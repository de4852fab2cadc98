// CPU reference of the stability map (see map_reference.h).
#include "tests/support/map_reference.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

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

std::vector<uint32_t> map_picture(int w, int h, float d, float phase, float maxit, float s0, float s1, float t0,
                                  float t1) {
    std::vector<uint32_t> out((size_t)w * h);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            float s = s0 + (s1 - s0) * ((x + 0.5f) / w), t = t0 + (t1 - t0) * ((y + 0.5f) / h);
            out[(size_t)y * w + x] = map_colour(map_passes(s, t, d, phase, maxit), maxit);
        }
    return out;
}

double map_energy(double x, double xp, double phase) {
    return xp * xp / 2 + std::cos(x) + x * std::sin(1.5707963267948966 + phase);
}

double map_tracked_tune(double d, double phase, int cells) {
    const double pi = 3.14159265358979323846;
    double sp = pi / 2 + phase, ssp = std::sin(sp);
    double x0 = std::cos(sp) > 0 ? pi - sp : sp;
    double x = x0 + 1e-7, xp = 0, last = x - x0;
    int changes = 0;
    for (int i = 0; i < cells; i++) {
        xp = xp + d * (std::sin(x) - ssp);
        x = x + d * xp;
        double u = x - x0;
        changes += (u > 0) != (last > 0);
        last = u;
    }
    return 360.0 * (changes / 2.0) / cells;
}

double map_agreement(const std::vector<uint32_t>& got, const std::vector<uint32_t>& want, int tolerance) {
    if (got.size() != want.size() || got.empty()) return 0;
    size_t same = 0;
    for (size_t i = 0; i < got.size(); i++) {
        bool ok = true;
        for (int shift = 0; shift < 24; shift += 8)
            ok = ok && std::abs((int)((got[i] >> shift) & 0xFF) - (int)((want[i] >> shift) & 0xFF)) <= tolerance;
        same += ok;
    }
    return (double)same / got.size();
}
