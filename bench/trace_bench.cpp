// The pulse-wave trace into the real widget: one DrawWaveSample (three lines into the kept
// picture), and one repaint of the widget, which happens at most once per screen frame.

#include "app/widgets/wave_view.h"
#include "core/trace.h"
#include "tools/sim/oximeter_stream.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

using namespace trelvo;

std::vector<std::int16_t> Samples()
{
    tools::OximeterStream stream({.seed = 5});
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < 4096; ++i)
        stream.NextPeriod(bytes);
    std::vector<std::int16_t> samples;
    for (const std::uint8_t b : bytes)
        if (b < 248)
            samples.push_back(b);
    return samples;
}

// The trace surface at the size it has in the main window.
struct Surface {
    Surface()
    {
        view.setGeometry(0, 0, 449, 153);
        view.show();
    }
    app::WaveView view;
};

void BM_DrawWaveSample(benchmark::State& state)
{
    static const auto samples = Samples();
    Surface surface;
    core::MeasurementState measurement;
    core::WaveTrace trace(measurement);
    trace.SetWidth(447.0F);
    std::size_t i = 0;
    for (auto _ : state) {
        trace.DrawWaveSample(samples[i]);
        surface.view.DrawSteps(trace.PendingSteps());
        trace.ClearPendingSteps();
        i = (i + 1) % samples.size();
    }
    benchmark::DoNotOptimize(surface.view.Picture().constBits());
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DrawWaveSample);

void BM_RepaintTrace(benchmark::State& state)
{
    Surface surface;
    core::MeasurementState measurement;
    core::WaveTrace trace(measurement);
    trace.SetWidth(447.0F);
    for (int i = 0; i < 300; ++i)
        trace.DrawWaveSample(static_cast<std::int16_t>(i % 200));
    surface.view.DrawSteps(trace.PendingSteps());
    QImage target(surface.view.size(), QImage::Format_RGB32);
    for (auto _ : state) {
        surface.view.render(&target);
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(BM_RepaintTrace);

}  // namespace

int main(int argc, char* argv[])
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
