#include "app/widgets/wave_view.h"
#include "core/trace.h"

#include <QApplication>
#include <QPaintEvent>
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

    WaveView view;
    core::MeasurementState measurement;
    struct Trace {
        Trace(const core::MeasurementState& m, WaveView& v) : trace(m), view(v) { trace.SetWidth(447.0F); }
        void DrawWaveSample(std::int16_t sample)
        {
            trace.DrawWaveSample(sample);
            view.DrawSteps(trace.PendingSteps());
            trace.ClearPendingSteps();
            view.ShowChanges();
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

// A batch of samples reaches the screen in one paint, and only the columns it moved through.
TEST_F(WaveViewTest, ABatchIsPaintedOnceAndOnlyWhereItDrew)
{
    QRegion painted;
    int paints = 0;
    struct Counter : QObject {
        int& n;
        QRegion& region;
        Counter(int& count, QRegion& r) : n(count), region(r) {}
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::Paint) {
                ++n;
                region += static_cast<QPaintEvent*>(e)->region();
            }
            return false;
        }
    } counter{paints, painted};
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QTest::qWait(100);  // the first paint of the newly shown window is over
    view.installEventFilter(&counter);
    core::WaveTrace batch(measurement);
    batch.SetWidth(447.0F);
    for (int i = 0; i < 10; ++i)
        batch.DrawWaveSample(100);
    view.DrawSteps(batch.PendingSteps());
    view.ShowChanges();
    EXPECT_TRUE(QTest::qWaitFor([&] { return paints > 0; }, 200));
    QTest::qWait(50);
    EXPECT_EQ(paints, 1) << "ten samples, one paint";
    EXPECT_LE(painted.boundingRect().right(), 1 + 21 + 1) << "the columns up to the newest point and its wipe";
}

// The picture drawn straight into the pixels is the one the lines would draw, sweep after sweep,
// with flat stretches and wraps.
TEST_F(WaveViewTest, TheFastDrawingMakesTheSamePixelsAsTheLines)
{
    WaveView lines;
    lines.setGeometry(0, 0, 449, 153);
    lines.show();
    ASSERT_EQ(lines.Picture().size(), view.Picture().size());
    core::WaveTrace batch(measurement);
    batch.SetWidth(447.0F);
    for (int i = 0; i < 2000; ++i) {
        measurement.ProbeStatus = i / 500 == 2 ? 1 : 0;
        batch.DrawWaveSample(static_cast<std::int16_t>((i * 37) % 248));
        if (i % 7 == 0) {
            view.DrawSteps(batch.PendingSteps());
            core::DrawTraceSteps(batch.PendingSteps(), lines);
            batch.ClearPendingSteps();
        }
    }
    EXPECT_EQ(view.Picture(), lines.Picture());
}

}  // namespace
}  // namespace trelvo::app
