// What the per-second file costs while recording: one second of a real unit (100 wave samples
// handed on in 25 batches, one row written at the end of the second, the tick twice), through
// the real recorder into a real file.

#include "recording/recorder.h"

#include <benchmark/benchmark.h>

#include <array>
#include <filesystem>
#include <unistd.h>

namespace {

using namespace trelvo;

class CountingClock final : public recording::Clock {
public:
    recording::TimeReading Now() override { return {static_cast<int>(second % 60), "00:00:00", second}; }
    std::int64_t EpochSeconds() override { return second; }
    std::int64_t second = 1'796'083'200;
};

class Answer final : public recording::SaveDialog {
public:
    explicit Answer(std::string path) : m_path(std::move(path)) {}
    std::optional<std::string> ShowSave(std::string_view) override { return m_path; }

private:
    std::string m_path;
};

class NoView final : public recording::RecordingView {
public:
    void SetSaveChecked(bool) override {}
    void SetStatusText(std::string_view) override {}
    void ShowMessage(std::string_view) override {}
};

void BM_RecordingOneSecondWithWave(benchmark::State& state)
{
    const auto dir = std::filesystem::temp_directory_path() / ("trelvo-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    core::ProgramState program;
    core::Reading shown{
        .SpO2Text = "97", .PulseText = "72", .StatusText = "OK!", .StatusTip = {}, .Unit = {97, 72, 0, true}};
    CountingClock clock;
    Answer dialog((dir / "night.txt").string());
    recording::DiskRecordStore store;
    NoView view;
    recording::Recorder recorder(program, clock, dialog, store, view);
    recorder.TakeUnitValues(shown.Unit, shown.NoData);
    recorder.Toggle();
    std::array<std::uint8_t, 4> batch{40, 120, 200, 90};
    for (auto _ : state) {
        for (int b = 0; b < 25; ++b) {
            recorder.BeginBatch(clock.EpochSeconds());
            recorder.TakeWaveSamples(batch);
            batch[0] = static_cast<std::uint8_t>(b * 9);
        }
        recorder.Tick(shown);
        recorder.Tick(shown);
        ++clock.second;
    }
    recorder.Toggle();
    state.SetItemsProcessed(state.iterations());
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_RecordingOneSecondWithWave);

}  // namespace

BENCHMARK_MAIN();
