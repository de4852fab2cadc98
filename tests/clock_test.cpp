// The clock: the first reading picks the clock for good, readings are seconds
// that never run backwards, the tick clock counts whole milliseconds, and the
// two halves of a 64-bit count join exactly.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

#include "framework/platform/platform.h"
#include "framework/window/clock.h"
#include "framework/window/graphics.h"

static double steady_seconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Spins until the steady clock has moved on by `seconds`.
static void spin(double seconds) {
    double end = steady_seconds() + seconds;
    while (steady_seconds() < end) {
    }
}

TEST(ClockChoice, FirstReadingIsValidAndPicksTheClock) {
    graphics.timer = choose_timer;  // as at process start
    graphics.timer_period = 0;
    unsigned low = 0;
    int high = 0;
    bool has_counter = plat_perf_frequency(&low, &high);

    double first = timer();
    EXPECT_TRUE(std::isfinite(first));
    EXPECT_GT(first, 0.0);
    EXPECT_NE(graphics.timer, &choose_timer);
    EXPECT_EQ(graphics.timer, has_counter ? &qpc_time : &tick_time);
    if (has_counter) {
        EXPECT_DOUBLE_EQ(graphics.timer_period, 1.0 / join_halves(low, high));
    }
    // The first reading came from the clock that was chosen.
    double direct = graphics.timer();
    EXPECT_GE(direct, first);
    EXPECT_LT(direct - first, 1.0);
}

TEST(ClockChoice, SwitchesOnlyOnce) {
    graphics.timer = choose_timer;
    timer();
    double (*chosen)() = graphics.timer;
    double period = graphics.timer_period;
    for (int i = 0; i < 1000; i++) timer();
    EXPECT_EQ(graphics.timer, chosen);
    EXPECT_EQ(graphics.timer_period, period);
}

TEST(ClockJoinHalves, SignedHighUnsignedLow) {
    EXPECT_EQ(join_halves(0xFFFFFFFFu, 0), 4294967295.0);
    EXPECT_EQ(join_halves(0, -1), -4294967296.0);
    EXPECT_EQ(join_halves(0, 1), 4294967296.0);
    EXPECT_EQ(join_halves(0xFFFFFFFFu, -1), -1.0);
    EXPECT_EQ(join_halves(0x89ABCDEFu, 0x01234567), (double)0x0123456789ABCDEFLL);
    EXPECT_EQ(join_halves(0, INT32_MIN), -9223372036854775808.0);
}

TEST(ClockReadings, NeverRunBackwards) {
    double before = timer();
    int backwards = 0;
    for (int i = 0; i < 200000; i++) {
        double now = timer();
        if (now < before) backwards++;
        before = now;
    }
    EXPECT_EQ(backwards, 0);
}

TEST(ClockReadings, CountSeconds) {
    double t0 = timer(), tick0 = tick_time(), s0 = steady_seconds();
    spin(0.2);
    double t1 = timer(), tick1 = tick_time(), s1 = steady_seconds();
    double real = s1 - s0;
    // Both readings are taken back to back with the reference: a wrong period
    // would be off by orders of magnitude, scheduling noise by milliseconds.
    EXPECT_NEAR(t1 - t0, real, 0.02 + 0.05 * real);
    // The tick count may be as coarse as the system timer (about 16 ms).
    EXPECT_NEAR(tick1 - tick0, real, 0.05 + 0.05 * real);
}

TEST(ClockTicks, WholeMillisecondsThatWrapAt32Bits) {
    double first = tick_time();
    double next = first;
    double give_up = steady_seconds() + 2.0;
    while (next == first && steady_seconds() < give_up) next = tick_time();
    ASSERT_GT(next, first) << "the tick count did not move in 2 s";
    EXPECT_GE(next - first, 0.001 - 1e-9);
    for (double t : {first, next}) {
        EXPECT_NEAR(t * 1000.0, std::round(t * 1000.0), 1e-5);
        EXPECT_GE(t, 0.0);
        EXPECT_LT(t, 4294967.296);  // an unsigned 32-bit count of milliseconds
    }
}
