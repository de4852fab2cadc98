// Small numeric helpers shared by every layer: clamps and choices, powers of
// two, the GrowArray growth factor, and random numbers from the runtime's rand.
#pragma once
#include <cstdint>

double max_double(double a, double b);  // b when b >= a, else a (so NaN in a wins)
int max_int(int a, int b);
int min_int(int a, int b);
double non_negative(double x);  // NaN gives 0
int non_negative_int(int a);
uint32_t max_unsigned(uint32_t a, uint32_t b);
double square(double x);
// v when v is 0 or a power of two, else the next power of two above it; 0 above 2^31.
uint32_t next_power_of_two(uint32_t v);
// The fill rule of a growth setting in percent: capacities grow by the factor
// 1 / divisor (1.25 for the default 60); the full file form's read rule
// divides by the divisor itself, which can differ from it in the last bit.
double growth_divisor(float growth);  // 0.005 * growth + 0.5
double growth_factor(float growth);

// rand() drawn twice and kept to 15 bits each, whatever the runtime's RAND_MAX.
double random_real(double x);  // [0, x) for positive x, 30 random bits
int random_index(int n);       // 0 .. n-1; 0 when n <= 0
