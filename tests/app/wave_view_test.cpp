#include "app/frame_clock.h"
#include "app/wave_view.h"
#include "core/trace.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

namespace trelvo::app {
namespace {

// The trace surface as the window has it, drawn by the real trace.
class WaveViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        view.setGeometry(0, 0, 449, 153);
        view.show();
        ASSERT_EQ(view.Picture().size(), QSize(447, 151)) << "inside the one-pixel border";
    }
    [[nodiscard]] bool Trace(int x, int y) const { return view.Picture().pixel(x, y) == highlight; }
    [[nodiscard]] bool Background(int x, int y) const { return view.Picture().pixel(x, y) == background; }

    FrameClock frames;
    WaveView view{frames};
    core::MeasurementState measurement;
    struct Trace {
        Trace(const core::MeasurementState& m, WaveView& v) : trace(m), view(v) { trace.SetWidth(447.0F); }
        void DrawWaveSample(std::int16_t sample)
        {
            trace.DrawWaveSample(sample);
            core::DrawTraceSteps(trace.PendingSteps(), view);
            trace.ClearPendingSteps();
        }
        [[nodiscard]] const core::TraceState& State() const { return trace.State(); }
        core::WaveTrace trace;
        WaveView& view;
    } trace{measurement, view};
    QRgb highlight = ToQColor(core::SystemColour::Highlight).rgb();
    QRgb background = ToQColor(core::SystemColour::WindowBackground).rgb();
};

TEST_F(WaveViewTest, SamplesBecomeATwoPixelTraceFromPointToPoint)
{
    trace.DrawWaveSample(128);  // x 2, y 64
    trace.DrawWaveSample(128);  // x 4, y 64
    trace.DrawWaveSample(88);   // x 6, y 84
    for (const int x : {3, 4})
        EXPECT_TRUE(Trace(x, 63) && Trace(x, 64)) << "level segment at x " << x;
    EXPECT_TRUE(Trace(5, 74) || Trace(5, 73) || Trace(5, 75)) << "the slope passes between the points";
    EXPECT_TRUE(Trace(6, 84));
    EXPECT_TRUE(Background(10, 64)) << "nothing ahead of the newest point";
}

TEST_F(WaveViewTest, TheSweepWipesTheOldTraceAheadOfItself)
{
    for (int i = 0; i < 300; ++i)  // more than one sweep of 447 pixels at 2 a sample
        trace.DrawWaveSample(static_cast<std::int16_t>(i % 2 ? 20 : 220));
    const int x = trace.State().TraceX;
    for (int y = 1; y < 151; ++y)
        ASSERT_TRUE(Background(x + 1, y)) << "the column after the newest point is wiped, y " << y;
}

TEST_F(WaveViewTest, ChangesReachTheScreenWithinAFrame)
{
    int paints = 0;
    struct Counter : QObject {
        int& n;
        explicit Counter(int& count) : n(count) {}
        bool eventFilter(QObject*, QEvent* e) override
        {
            n += e->type() == QEvent::Paint ? 1 : 0;
            return false;
        }
    } counter{paints};
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QTest::qWait(100);  // the first paint of the newly shown window is over
    view.installEventFilter(&counter);
    for (int i = 0; i < 50; ++i)
        trace.DrawWaveSample(100);
    EXPECT_TRUE(QTest::qWaitFor([&] { return paints > 0; }, 200));
    EXPECT_LE(paints, 2) << "fifty samples, one frame";
}

}  // namespace
}  // namespace trelvo::app
