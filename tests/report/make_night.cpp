// Writes a simulated night's record file and its per-second file: the simulator's streams decoded
// by the real decoder and pipeline, a row every second (with its wave) and a record line every five seconds of
// stream, as the program records. A normal night with two spells of the desaturation scenario
// (01:00-01:45 and 04:00-04:30), starting at hh:30 local time on 2026-12-07. Night n of a series
// starts n days later with other seeds, and with n % 3 spells (none, the first, both).
//   make_night <file> [hours] [start hh] [n]

#include "core/pipeline.h"
#include "lang/string_table.h"
#include "recording/per_second_file.h"
#include "recording/record_line.h"
#include "tools/sim/oximeter_stream.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>

namespace {

using namespace trelvo;

class NoTone final : public core::ToneOutput {
public:
    void Beep(std::int32_t, std::int32_t) override {}
};

class WaveOfSecond final : public core::MeasurementTap {
public:
    void BeginBatch(std::int64_t) override {}
    void TakeWaveSamples(std::span<const std::uint8_t> samples) override
    {
        wave.insert(wave.end(), samples.begin(), samples.end());
    }
    void TakeUnitValues(const core::UnitValues&, bool) override {}
    std::vector<std::uint8_t> wave;
};

}  // namespace

int main(int argc, char* argv[])
{
    if (argc < 2)
        return 2;
    const double hours = argc > 2 ? std::atof(argv[2]) : 8.0;
    const int startHour = argc > 3 ? std::atoi(argv[3]) : 22;
    const int n = argc > 4 ? std::atoi(argv[4]) : 0;
    const int spells = n == 0 ? 2 : n % 3;
    tools::OximeterStream normal({.seed = 4 + 2 * static_cast<unsigned>(n), .scenario = tools::Scenario::Normal});
    tools::OximeterStream desaturation(
        {.seed = 5 + 2 * static_cast<unsigned>(n), .scenario = tools::Scenario::Desaturation});
    const std::int16_t language = lang::kEnglish;
    NoTone tone;
    core::MeasurementPipeline pipeline(language, tone);
    WaveOfSecond wave;
    pipeline.SetTap(&wave);
    std::ofstream out(argv[1], std::ios::binary);
    std::ofstream rows(recording::PerSecondPath(argv[1], 1), std::ios::binary);
    rows << recording::kPerSecondHeader << "\r\n";
    std::tm start{};
    start.tm_year = 2026 - 1900;
    start.tm_mon = 11;
    start.tm_mday = 7 + n;
    start.tm_hour = startHour;
    start.tm_min = 30;
    start.tm_isdst = -1;
    const std::int64_t startEpoch = std::mktime(&start);
    const long periodsPerSecond = 100;  // a sample every 10 ms
    const long seconds = static_cast<long>(hours * 3600);
    std::vector<std::uint8_t> bytes;
    for (long second = 0; second < seconds; ++second) {
        const long s = (startHour * 3600 + 30 * 60 + second) % 86400;
        const bool spell = (spells >= 1 && s >= 3600 && s < 3600 + 45 * 60) ||
                           (spells >= 2 && s >= 4 * 3600 && s < 4 * 3600 + 30 * 60);
        for (long p = 0; p < periodsPerSecond; ++p) {
            bytes.clear();
            (spell ? desaturation : normal).NextPeriod(bytes);
            pipeline.Decode(bytes, 0);
        }
        pipeline.Trace().ClearPendingSteps();
        const core::Reading& shown = pipeline.CurrentReading();
        // Now and then the probe slips off for a minute, as in a real night.
        const bool slipped = second % 7500 >= 7440;
        const core::UnitValues unit = slipped ? core::UnitValues{127, 255, 1, true} : shown.Unit;
        rows << recording::PerSecondRow(startEpoch + second, {unit, false}, wave.wave);
        wave.wave.clear();
        if (s % 5 != 0)
            continue;
        char time[16];
        std::snprintf(time, sizeof time, "%02ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
        out << (slipped ? recording::RecordLine("--", "---", time, "No Probe!")
                        : recording::RecordLine(shown.SpO2Text, shown.PulseText, time, shown.StatusText));
    }
    return 0;
}
