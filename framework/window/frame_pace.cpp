// Frame pacing (see frame_pace.h).
#include "framework/window/frame_pace.h"

#include "framework/platform/platform.h"
#include "framework/window/clock.h"

namespace {
double period = 0;      // seconds; learnt on first use
double last_end = -1;   // clock reading at the previous return

// 1 / the display's refresh rate; 60 Hz, the common rate, when it cannot be learnt.
double frame_period() {
    if (period <= 0) {
        int hz = plat_refresh_rate();
        period = 1.0 / (hz > 0 ? hz : 60);
    }
    return period;
}
}  // namespace

void pace_frame() {
    double p = frame_period();
    double left = last_end < 0 ? 0 : last_end + p - timer();
    // Whole milliseconds, rounded down: a frame a little early beats one late.
    if (left >= 0.001) plat_sleep((unsigned)(left * 1000));
    last_end = timer();
}
