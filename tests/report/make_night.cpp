// Writes a simulated night's record file: the simulator's streams decoded by the real decoder and
// pipeline, one record line per five seconds of stream, as the program records. A normal
// night with two spells of the desaturation scenario (01:00-01:45 and 04:00-04:30).
//   make_night <file> [hours] [start hh]

#include "core/pipeline.h"
#include "lang/string_table.h"
#include "recording/record_line.h"
#include "tools/sim/oximeter_stream.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

using namespace trelvo;

class NoTone final : public core::ToneOutput {
public:
    void Beep(std::int32_t, std::int32_t) override {}
};

}  // namespace

int main(int argc, char* argv[])
{
    if (argc < 2)
        return 2;
    const double hours = argc > 2 ? std::atof(argv[2]) : 8.0;
    const int startHour = argc > 3 ? std::atoi(argv[3]) : 22;
    tools::OximeterStream normal({.seed = 4, .scenario = tools::Scenario::Normal});
    tools::OximeterStream desaturation({.seed = 5, .scenario = tools::Scenario::Desaturation});
    const std::int16_t language = lang::kEnglish;
    NoTone tone;
    core::MeasurementPipeline pipeline(language, tone);
    std::ofstream out(argv[1], std::ios::binary);
    const long periodsPerLine = 500;  // 5 s at 100 samples a second
    const long lines = static_cast<long>(hours * 720);
    std::vector<std::uint8_t> bytes;
    for (long line = 0; line < lines; ++line) {
        const long s = (startHour * 3600 + 30 * 60 + line * 5) % 86400;
        const bool spell = (s >= 3600 && s < 3600 + 45 * 60) || (s >= 4 * 3600 && s < 4 * 3600 + 30 * 60);
        for (long p = 0; p < periodsPerLine; ++p) {
            bytes.clear();
            (spell ? desaturation : normal).NextPeriod(bytes);
            pipeline.Decode(bytes);
        }
        pipeline.Trace().ClearPendingSteps();
        const core::Reading& shown = pipeline.CurrentReading();
        char time[16];
        std::snprintf(time, sizeof time, "%02ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
        // Now and then the probe slips off for a minute, as in a real night.
        const bool slipped = line % 1500 >= 1488;
        out << (slipped ? recording::RecordLine("--", "---", time, "No Probe!")
                        : recording::RecordLine(shown.SpO2Text, shown.PulseText, time, shown.StatusText));
    }
    return 0;
}
