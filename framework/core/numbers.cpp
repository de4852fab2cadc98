// Numeric helpers and the two random-number formulas.
#include "framework/core/numbers.h"

#include <cmath>
#include <cstdlib>

double max_double(double a, double b) { return b >= a ? b : a; }
int max_int(int a, int b) { return b < a ? a : b; }
int min_int(int a, int b) { return a < b ? a : b; }
double non_negative(double x) { return x >= 0 ? x : 0; }
int non_negative_int(int a) { return a >= 0 ? a : 0; }
uint32_t max_unsigned(uint32_t a, uint32_t b) { return a > b ? a : b; }
double square(double x) { return x * x; }

uint32_t next_power_of_two(uint32_t v) {
    if ((v & (v - 1)) == 0) return v;  // 0 and powers of two
    v |= v >> 1;
    v |= v >> 2;
    v |= v >> 4;
    v |= v >> 8;
    v |= v >> 16;
    return v + 1;  // wraps to 0 above 2^31
}

double growth_divisor(float growth) { return 0.005 * growth + 0.5; }
double growth_factor(float growth) { return 1.0 / growth_divisor(growth); }

// The runtime's rand() gives 15 bits on Windows and 31 on glibc; the formulas
// below are built for 15.
static double random_unit_times_32768() {
    int r1 = rand() & 0x7FFF;
    int r2 = rand() & 0x7FFF;
    return r2 + r1 / 32768.0;
}

double random_real(double x) { return random_unit_times_32768() * x / 32768; }

int random_index(int n) {
    double v = floor(random_unit_times_32768() * n / 32768);
    int i = v >= n ? n - 1 : (int)v;
    return i < 0 ? 0 : i;
}
