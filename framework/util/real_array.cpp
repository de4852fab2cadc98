// RealArray: counted heap arrays of doubles, their elementwise arithmetic and
// statistics (loops run from the last element down), and the quicksort with a
// fixed stack. Pairwise operations stay within the shorter array.
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "framework/util/utils.h"
#include "framework/core/error.h"
#include "framework/core/memory.h"

static const size_t HEADER = 8;

int real_array_count(RealArray a) {
    int n;
    memcpy(&n, (char*)a - HEADER, sizeof n);
    return n;
}

static int count_of(RealArray a) { return a ? real_array_count(a) : 0; }

static RealArray block_for(long long n) {
    if (n < 0) n = 0;
    if (n > INT_MAX || (unsigned long long)n > (SIZE_MAX - HEADER) / sizeof(double))
        fatal_error("Out of memory");
    char* block = (char*)heap_alloc(HEADER + (size_t)n * sizeof(double));
    memset(block, 0, HEADER);
    int c = (int)n;
    memcpy(block, &c, sizeof c);
    return (RealArray)(block + HEADER);
}

RealArray real_array_new(int n) { return block_for(n); }

RealArray real_array_new_zeroed(int n) {
    RealArray a = block_for(n);
    real_array_zero(a);
    return a;
}

void real_array_free(RealArray a) {
    if (a) free((char*)a - HEADER);
}

void real_array_zero(RealArray a) {
    memset(a, 0, (size_t)count_of(a) * sizeof(double));
}

RealArray real_array_copy(RealArray a) {
    int n = count_of(a);
    RealArray b = block_for(n);
    memcpy(b, a, (size_t)n * sizeof(double));
    return b;
}

void real_array_copy_into(RealArray a, RealArray b) {
    unsigned n = (unsigned)count_of(a), m = (unsigned)count_of(b);
    memcpy(a, b, (size_t)(n < m ? n : m) * sizeof(double));
}

// Moves *p into a block of n elements; added elements are zeroed when asked.
static void regrow(RealArray* p, long long n, bool zero) {
    RealArray old = *p;
    int have = count_of(old);
    RealArray b = block_for(n);
    int now = count_of(b);
    int kept = have < now ? have : now;
    memcpy(b, old, (size_t)kept * sizeof(double));
    if (zero) memset(b + kept, 0, (size_t)(now - kept) * sizeof(double));
    real_array_free(old);
    *p = b;
}

void real_array_grow(RealArray* p, int k) { regrow(p, (long long)count_of(*p) + k, false); }

void real_array_resize(RealArray* p, unsigned n) {
    if ((unsigned)count_of(*p) >= n) return;
    regrow(p, n, true);
}

static int shorter(RealArray a, RealArray b) {
    int n = count_of(a), m = count_of(b);
    return n < m ? n : m;
}

void real_array_scale(RealArray a, double x) {
    for (int i = count_of(a); i-- > 0;) a[i] = x * a[i];
}

void real_array_add(RealArray a, RealArray b) {
    for (int i = shorter(a, b); i-- > 0;) a[i] = b[i] + a[i];
}

void real_array_add_scaled(RealArray a, double x, RealArray b) {
    for (int i = shorter(a, b); i-- > 0;) a[i] = x * b[i] + a[i];
}

void real_array_multiply(RealArray a, RealArray b) {
    for (int i = shorter(a, b); i-- > 0;) a[i] = b[i] * a[i];
}

double real_array_max(RealArray a) {
    int n = count_of(a);
    if (n == 0) return -HUGE_VAL;
    double m = a[0];
    for (int i = n - 1; i >= 1; i--)
        if (a[i] > m) m = a[i];
    return m;
}

double real_array_sum(RealArray a) {
    double s = 0;
    for (int i = count_of(a); i-- > 0;) s += a[i];
    return s;
}

double real_array_mean(RealArray a) { return real_array_sum(a) / (unsigned)count_of(a); }

double real_array_sum_squares(RealArray a) {
    double s = 0;
    for (int i = count_of(a); i-- > 0;) s += a[i] * a[i];
    return s;
}

double real_array_norm(RealArray a) { return sqrt(real_array_sum_squares(a)); }

double real_array_rms(RealArray a) { return sqrt(real_array_sum_squares(a) / (unsigned)count_of(a)); }

static inline void swap(double& x, double& y) {
    double t = x;
    x = y;
    y = t;
}

void real_array_sort(RealArray a) {
    int n = count_of(a);
    if (n < 2) return;
    int stack[50];
    int top = 0;
    int l = 0, r = n - 1;
    for (;;) {
        if (r - l <= 6) {
            for (int j = l + 1; j <= r; j++) {
                double v = a[j];
                int i = j - 1;
                for (; i >= l && a[i] > v; i--) a[i + 1] = a[i];
                a[i + 1] = v;
            }
            if (top == 0) return;
            r = stack[--top];
            l = stack[--top];
            continue;
        }
        swap(a[l + (r - l) / 2], a[l + 1]);  // (l + r) div 2 without overflow
        if (a[l] > a[r]) swap(a[l], a[r]);
        if (a[l + 1] > a[r]) swap(a[l + 1], a[r]);
        if (a[l] > a[l + 1]) swap(a[l], a[l + 1]);
        double v = a[l + 1];
        int i = l + 1, j = r;
        // a[l] <= v <= a[r] stop the scans; the index bounds only matter for
        // NaNs, which compare false both ways and would defeat the sentinels.
        for (;;) {
            do i++; while (i < r && a[i] < v);
            do j--; while (j > l && a[j] > v);
            if (j < i) break;
            swap(a[i], a[j]);
        }
        a[l + 1] = a[j];
        a[j] = v;
        if (top + 2 > 50) return;  // only past some 200 million elements
        if (r - i + 1 >= j - l) {
            stack[top++] = i;
            stack[top++] = r;
            r = j - 1;
        } else {
            stack[top++] = l;
            stack[top++] = j - 1;
            l = i;
        }
    }
}
