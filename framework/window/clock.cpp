// Clock selection: the first call of timer() picks the performance counter
// when there is one, the millisecond tick count otherwise, for good.
#include "framework/window/clock.h"

#include "framework/window/graphics.h"

double join_halves(unsigned low, int high) { return low + high * 4294967296.0; }

double timer() { return graphics.timer(); }

double qpc_time() {
    unsigned low = 0;
    int high = 0;
    plat_perf_counter(&low, &high);
    return join_halves(low, high) * graphics.timer_period;
}

double tick_time() { return plat_tick_count() * 0.001; }

double choose_timer() {
    unsigned low = 0;
    int high = 0;
    if (plat_perf_frequency(&low, &high)) {
        graphics.timer = qpc_time;
        graphics.timer_period = 1.0 / join_halves(low, high);
    } else {
        graphics.timer = tick_time;
    }
    return graphics.timer();
}
