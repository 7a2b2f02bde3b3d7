#pragma once

#include "tools/report/figures.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace trelvo::report {

// One second of the night on a regular one-second grid.
struct Second {
    std::optional<int> spo2;
    std::optional<int> pulse;
    Reading::Kind kind = Reading::Kind::NoData;
    std::span<const std::uint8_t> wave;  // the wave samples that arrived in it
};

// The night second by second from its first reading to the end of its last: each reading fills
// the seconds it stands for (one row, or the five seconds of a line) up to the next reading;
// seconds nothing covers are seconds without data.
[[nodiscard]] std::vector<Second> Seconds(const Night& night);

// The local date and time of a second of the night, the night's date known.
struct LocalMoment {
    CivilDate date;
    int hour = 0, minute = 0, second = 0;
};
[[nodiscard]] LocalMoment MomentOf(CivilDate firstDate, double seconds);

// The readings as rows of the per-second file (its header row first): time with the UTC offset
// this computer's time zone has at that moment, SpO2, pulse, status.
[[nodiscard]] std::string CsvText(const Night& night, CivilDate firstDate);

// The sample rate for the wave in EDF: the unit's rate measured over the night (samples per
// second that had any), rounded; nothing without a wave.
[[nodiscard]] std::optional<int> PlethRate(const Night& night);
// One second's samples resampled to `rate` points by linear interpolation, sample i of n standing
// at i/n of the second; the same samples when there are `rate` of them.
[[nodiscard]] std::vector<double> Resampled(std::span<const std::uint8_t> samples, int rate);

// EDF+ (continuous), written with edflib: signals SpO2 (%, 0..100) and Pulse (bpm, 0..255) at
// 1 Hz, a second without a value stored as the digital minimum (0); runs of such seconds and the
// 3-point desaturations as annotations. With a wave, a third signal Pleth (0..247) at
// PlethRate(), each second's samples resampled to it; a second without wave holds the digital
// minimum and runs of them (outside the time without data) are annotated "No wave".
// Returns why it failed, or nothing.
[[nodiscard]] std::string WriteEdf(const std::string& path, const Night& night, const Figures& figures,
                                   CivilDate firstDate);

// The oximetry files OSCAR imports: one 5-byte record per 4 seconds (the mean SpO2 and pulse of
// those of its seconds that have both, rounded; none: a gap), under a 40-byte header; a file
// holds at most kOscarRecordsPerFile records and is named after its start, "YYYYMMDDhhmmss".
struct OscarFile {
    std::string name;
    std::vector<std::uint8_t> bytes;
};
inline constexpr int kOscarStepSeconds = 4;
inline constexpr int kOscarHeaderBytes = 40;
inline constexpr int kOscarRecordBytes = 5;
// The largest count whose file size still fits the header's 16-bit size field: 14 h 33 min.
inline constexpr int kOscarRecordsPerFile = (65535 - kOscarHeaderBytes) / kOscarRecordBytes;
[[nodiscard]] std::vector<OscarFile> OscarFiles(const Night& night, CivilDate firstDate);

}  // namespace trelvo::report
