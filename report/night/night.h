#pragma once

#include "report/night/clock_text.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace trelvo::report {

// One entry of a night: a line of a record file or a row of a per-second file (core::Reading is
// what the value fields show).
struct Entry {
    int lineNumber = 0;
    double seconds = 0;       // since local midnight of the first day; later days add 86,400
    std::optional<int> spo2;  // only for a valid reading
    std::optional<int> pulse;
    // ProbeOff: no probe, or no value from it; NoSignal: no finger in the probe. Marked: a reading
    // the person marked as not to be counted (only in the copy a night's figures are counted from).
    enum class Kind { Valid, NoData, ProbeOff, NoSignal, Marked } kind = Kind::Valid;
    // The wave samples of this second: Night::wave[waveBegin, waveBegin + waveCount).
    std::uint32_t waveBegin = 0;
    std::uint32_t waveCount = 0;
    std::int32_t utcOffset = 0;  // seconds east of UTC in force then (per-second files)
};

// A stretch of a night's axis (Entry::seconds): from, to, and why (a stretch the person marked as
// not to be counted).
struct Stretch {
    double from = 0, to = 0;
    std::string reason;
    friend bool operator==(const Stretch&, const Stretch&) = default;
};

inline constexpr double kLineSeconds = 5.0;  // a record file's line every five seconds
inline constexpr double kRowSeconds = 1.0;   // a per-second file's row
// A longer span is no night: a hand-edited time can put rows years apart, and the hourly table
// and the second-by-second exports would grow with it.
inline constexpr double kLongestNight = 7 * 86400.0;

struct Night {
    std::vector<Entry> readings;
    std::vector<int> brokenLines;  // line numbers of the first lines that do not parse
    int brokenCount = 0;           // how many do not parse
    static constexpr std::size_t kKeptBrokenLines = 100;
    int totalLines = 0;
    double step = kLineSeconds;     // the time each reading stands for
    std::optional<CivilDate> date;  // of the first reading, when the file tells it
    bool hasWave = false;
    // A per-second file says the UTC offset of every second: the clock shows local time, a change
    // of summer time included. The axis (Entry::seconds) runs on the first row's offset.
    bool hasOffsets = false;
    std::vector<std::pair<double, std::int32_t>>
        offsetChanges;  // from this second on, this offset            // a per-second file with the wave column
    std::vector<std::uint8_t> wave;  // every reading's wave samples, one after the other
    // What the person wrote of the night (the notes file beside its files): the note, its tags and
    // the stretches marked as not to be counted. Its figures leave those stretches out.
    std::string note;
    std::vector<std::string> tags;
    std::vector<Stretch> marked;

    [[nodiscard]] std::span<const std::uint8_t> WaveOf(const Entry& r) const
    {
        return std::span(wave).subspan(r.waveBegin, r.waveCount);
    }
};

// Reads a record file's text: "S 97 P 72 T 14:03:25  OK!" with 24-hour or 12-hour times; a time
// earlier than the one before starts the next day. Lines that do not parse are listed, never fatal.
[[nodiscard]] Night ParseNight(std::string_view text);

// The text begins with the per-second file's header row.
[[nodiscard]] bool IsPerSecondFile(std::string_view text);
// Reads a per-second file: "2026-12-07T23:40:01+01:00,97,72,ok" rows under the header row. Times
// are placed on one axis by their UTC offsets, counted from the local midnight of the first row;
// rows out of order (a clock set back) are sorted in. Rows that do not parse are listed. Without
// keepWave the wave column is read (a row with a broken wave is still broken) but not kept.
[[nodiscard]] Night ParsePerSecondFile(std::string_view text, bool keepWave = true);

// Each second once: the readings in time order, and one that begins within the time the one before
// stands for (the same instant told twice, a line written twice) left out.
void CountEachSecondOnce(Night& night);

// Why the night cannot be reported: its readings span more than kLongestNight (nothing when
// they do not).
[[nodiscard]] std::string SpanProblem(const Night& night);

// The local clock at a second of the night's axis: the axis itself for a record file, shifted by
// the change of UTC offset since the first row for a per-second file.
[[nodiscard]] double LocalSeconds(const Night& night, double seconds);
[[nodiscard]] std::int32_t OffsetAt(const Night& night, double seconds);
// "23:59:55" on the local clock.
[[nodiscard]] std::string ClockAt(const Night& night, double seconds);
// "2026-12-08 07:12:00" on the local clock when the night's date is known, else the clock time.
[[nodiscard]] std::string MomentText(const Night& night, double seconds);
// "2026-10-25T02:03:00+01:00" (without the offset for a record file, which does not say it).
[[nodiscard]] std::string IsoMomentText(const Night& night, double seconds);
// "02:00", or "02:00 (+01:00)" for an hour the clock shows twice (the end of summer time).
[[nodiscard]] std::vector<std::string> HourTexts(const Night& night, const std::vector<double>& hourStarts);

}  // namespace trelvo::report
