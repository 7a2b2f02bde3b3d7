#include "core/trace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace trelvo::core {
namespace {

struct Segment {
    float x1, y1, x2, y2;
    Colour colour;
    int width;
    friend bool operator==(const Segment&, const Segment&) = default;
};

class FakeSurface final : public DrawingSurface {
public:
    void SetDrawWidth(int pixels) override { width = pixels; }
    [[nodiscard]] float ScaleHeight() const override { return scaleHeight; }
    void SetForeColor(Colour c) override { colour = c; }
    void Line(float x1, float y1, float x2, float y2) override { lines.push_back({x1, y1, x2, y2, colour, width}); }

    // Trace segments only, leaving out the wipe lines.
    [[nodiscard]] std::vector<Segment> Trace() const
    {
        std::vector<Segment> out;
        for (const Segment& s : lines)
            if (s.colour == Colour(SystemColour::Highlight))
                out.push_back(s);
        return out;
    }

    float scaleHeight = 151.0F;
    int width = 0;
    Colour colour = SystemColour::WindowBackground;
    std::vector<Segment> lines;
};

// The trace as the window runs it: each sample's step drawn on the surface straight away.
class WaveTraceTest : public ::testing::Test {
protected:
    void SetUp() override { trace.SetWidth(10.0F); }
    void Draw(std::int16_t sample)
    {
        trace.DrawWaveSample(sample);
        DrawTraceSteps(trace.PendingSteps(), surface);
        trace.ClearPendingSteps();
    }

    MeasurementState measurement;
    FakeSurface surface;
    WaveTrace trace{measurement};
};

TEST_F(WaveTraceTest, SweepStepsByTwoAndWrapsToZero)
{
    std::vector<int> xs;
    for (int i = 0; i < 7; ++i) {
        Draw(100);
        xs.push_back(trace.State().TraceX);
    }
    EXPECT_EQ(xs, (std::vector<int>{2, 4, 6, 8, 10, 0, 2}));
}

TEST_F(WaveTraceTest, EachSampleWipesTwoColumnsThenDrawsOneSegment)
{
    Draw(128);
    ASSERT_EQ(surface.lines.size(), 3u);
    const Colour background = SystemColour::WindowBackground;
    EXPECT_EQ(surface.lines[0], (Segment{2, 1, 2, 151, background, 2}));
    EXPECT_EQ(surface.lines[1], (Segment{3, 1, 3, 151, background, 2}));
    // The very first segment starts from the zeroed state.
    EXPECT_EQ(surface.lines[2], (Segment{0, 0, 2, 64, SystemColour::Highlight, 2}));
}

TEST_F(WaveTraceTest, AtTheWrapOnlyTheWipeIsDrawnAndTheNextSegmentStartsThere)
{
    for (int i = 0; i < 5; ++i)
        Draw(100);
    surface.lines.clear();
    Draw(247);  // x = 0
    EXPECT_EQ(surface.lines.size(), 2u) << "no segment across the wrap";
    EXPECT_TRUE(surface.Trace().empty());
    Draw(0);  // x = 2
    ASSERT_EQ(surface.Trace().size(), 1u);
    EXPECT_EQ(surface.Trace()[0], (Segment{0, 4, 2, 128, SystemColour::Highlight, 2}));
}

TEST_F(WaveTraceTest, SamplesMapToRowsRoundedHalfToEven)
{
    const std::pair<std::int16_t, std::int16_t> cases[] = {{0, 128},  {1, 128}, {3, 126}, {5, 126},
                                                           {128, 64}, {247, 4}, {2, 127}, {246, 5}};
    for (const auto& [sample, y] : cases)
        EXPECT_EQ(WaveTrace::SampleY(sample), y) << "sample " << sample;
}

TEST_F(WaveTraceTest, AnyFaultStatusDrawsAFlatLineAt64)
{
    for (const std::uint8_t status : {1, 2, 3, 255}) {
        measurement.ProbeStatus = status;
        for (const std::int16_t sample : {0, 50, 247}) {
            Draw(sample);
            EXPECT_EQ(trace.State().TracePrevY, 64) << "status " << int(status) << ", sample " << sample;
        }
    }
}

TEST_F(WaveTraceTest, TheSurfaceSizeIsTakenAnewEverySample)
{
    Draw(10);
    Draw(10);
    EXPECT_EQ(trace.State().TraceX, 4);
    trace.SetWidth(4.0F);  // the surface shrank
    Draw(10);
    EXPECT_EQ(trace.State().TraceX, 0);
    surface.scaleHeight = 40.0F;
    Draw(10);
    EXPECT_EQ(surface.lines[surface.lines.size() - 2].y2, 40.0F) << "the wipe reaches the new height";
}

}  // namespace
}  // namespace trelvo::core

namespace trelvo::core {
namespace {

// Steps nobody draws (a minimised window) are kept to about one sweep, and drawing what is kept
// gives the same picture as drawing every step: the older ones are drawn over anyway.
TEST(WaveTraceSteps, UndrawnStepsStayBoundedAndTheKeptOnesCoverTheSweep)
{
    MeasurementState measurement;
    WaveTrace trace(measurement);
    trace.SetWidth(447.0F);
    std::vector<TraceStep> all;
    for (int i = 0; i < 100'000; ++i) {
        trace.DrawWaveSample(static_cast<std::int16_t>(i * 7 % 248));
        all.push_back(trace.PendingSteps().back());
        ASSERT_LE(trace.PendingSteps().size(), 600u);
    }
    const auto kept = trace.PendingSteps();
    ASSERT_GE(kept.size(), 447u / 2 + 2) << "at least one whole sweep";
    EXPECT_TRUE(std::equal(kept.begin(), kept.end(), all.end() - static_cast<std::ptrdiff_t>(kept.size())))
        << "the newest steps, in order";

    trace.SetWidth(40.0F);  // the surface shrank with steps still undrawn
    ASSERT_FALSE(trace.PendingSteps().empty());
    EXPECT_EQ(trace.PendingSteps().back(), all.back()) << "the newest step is kept";
    EXPECT_LE(trace.PendingSteps().size(), 2u * (40u / 2 + 4) + 64);
}

}  // namespace
}  // namespace trelvo::core
