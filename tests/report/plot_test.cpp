#include "report/render/plot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace trelvo::report {
namespace {

// The trend's value axis: ticks at round values (1, 2, 5 times a power of ten), never 1.25 or
// 3.75, five at most, the last at or just past the highest bar.
TEST(Plot, TrendTicksAreRoundForAnyTop)
{
    EXPECT_EQ(RoundTicks(3.7).step, 1);
    EXPECT_EQ(RoundTicks(3.7).count, 4);
    EXPECT_EQ(RoundTicks(12).step, 5);
    EXPECT_EQ(RoundTicks(12).count, 3);
    EXPECT_NEAR(RoundTicks(0.3).step, 0.1, 1e-12);
    std::mt19937 random(11);
    std::uniform_real_distribution<double> exponent(-2, 4);
    for (int i = 0; i < 10'000; ++i) {
        const double top = std::pow(10, exponent(random));
        const Ticks t = RoundTicks(top);
        const double mantissa = t.step / std::pow(10, std::floor(std::log10(t.step) + 1e-9));
        EXPECT_TRUE(std::abs(mantissa - 1) < 1e-6 || std::abs(mantissa - 2) < 1e-6 || std::abs(mantissa - 5) < 1e-6)
            << top << " → " << t.step;
        EXPECT_LE(t.count, 5);
        EXPECT_GE(t.step * t.count, top * (1 - 1e-9));
        EXPECT_LT(t.step * (t.count - 1), top) << top;
    }
}

// The clock's labels under a night's panels never run into each other: on any width the step
// leaves room for a label (or is the longest, six hours), and is never shorter than the span alone
// asks for. A whole night of 8 h on 300 units: 2 h, not the hour of a wide chart.
TEST(Plot, ClockTicksLeaveRoomForTheirLabelsOnAnyWidth)
{
    EXPECT_EQ(TickSeconds(8 * 3600, 1000), 3600);
    EXPECT_EQ(TickSeconds(8 * 3600, 300), 7200);
    std::mt19937 random(12);
    std::uniform_real_distribution<double> span(20, 7 * 86400.0), width(100, 3000);
    for (int i = 0; i < 10'000; ++i) {
        const double s = span(random), w = width(random), tick = TickSeconds(s, w);
        EXPECT_GE(tick, TickSeconds(s));
        EXPECT_TRUE(w * tick / s >= kTickLabelRoom || tick == 21600) << s << " s on " << w << ": " << tick;
    }
}

}  // namespace
}  // namespace trelvo::report
