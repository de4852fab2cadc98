// The framework's clock: seconds as a double from an arbitrary origin, read
// through graphics.timer, which picks the performance counter on first use.
#pragma once

double timer();
double choose_timer();
double qpc_time();
double tick_time();
double join_halves(unsigned low, int high);
