#pragma once

#include "report/analysis/figures.h"
#include "report/files/problem.h"

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
    Entry::Kind kind = Entry::Kind::NoData;
    std::span<const std::uint8_t> wave;  // the wave samples that arrived in it
};

// The night second by second from its first reading to the end of its last: each reading fills
// the seconds it stands for (one row, or the five seconds of a line) up to the next reading;
// seconds nothing covers are seconds without data. Walked in order, without holding a grid of
// the whole span: memory grows with the file, not with the time it spans.
class SecondWalk {
public:
    explicit SecondWalk(const Night& night);
    // Nothing for a night without readings or longer than kLongestNight.
    [[nodiscard]] std::size_t Count() const { return m_count; }
    // Second s of the night; s must not decrease from one call to the next.
    [[nodiscard]] Second At(std::size_t s);

private:
    [[nodiscard]] std::size_t Index(double seconds) const;
    const Night& m_night;
    std::size_t m_count = 0;
    std::size_t m_next = 0;  // the reading that holds the second asked for last
};
// The same, all at once.
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
// EDF and OSCAR files hold a record for every second (or four) of the night's span: a night whose
// readings cover less than a tenth of it (two rows days apart) would make a file far larger than
// the night's own. Why not, or nothing.
inline constexpr double kShortestCoveredShare = 10;
[[nodiscard]] std::optional<Problem> GridProblem(const Night& night);

// The EDF carries the wave only where it covers at least a tenth of the night: the Pleth signal
// fills every second of the span, so a few seconds of wave in a long night would make a file
// far larger than the night's own. Nothing then, or the PlethRate().
inline constexpr double kShortestWaveShare = 10;
[[nodiscard]] std::optional<int> EdfPlethRate(const Night& night);
// One second's samples resampled to `rate` points by linear interpolation, sample i of n standing
// at i/n of the second; the same samples when there are `rate` of them.
[[nodiscard]] std::vector<double> Resampled(std::span<const std::uint8_t> samples, int rate);

// EDF+ (continuous), written with edflib: signals SpO2 (%, 0..100) and Pulse (bpm, 0..255) at
// 1 Hz, a second without a value stored as the digital minimum (0); runs of such seconds and the
// 3-point desaturations as annotations. With a wave (EdfPlethRate()), a third signal Pleth
// (0..247) at that rate, each second's samples resampled to it; a second without wave holds the digital
// minimum and runs of them (outside the time without data) are annotated "No wave".
// Returns why it failed, or nothing.
[[nodiscard]] std::optional<Problem> WriteEdf(const std::string& path, const Night& night, const Figures& figures,
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
