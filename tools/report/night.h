#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trelvo::report {

// One line of a record file or one row of a per-second file.
struct Reading {
    int lineNumber = 0;
    double seconds = 0;         // since local midnight of the first day; later days add 86,400
    std::optional<int> spo2;    // only for a valid reading
    std::optional<int> pulse;
    // ProbeOff: no probe, or no value from it; NoSignal: no finger in the probe.
    enum class Kind { Valid, NoData, ProbeOff, NoSignal } kind = Kind::Valid;
};

struct CivilDate {
    int year = 1970, month = 1, day = 1;
    friend bool operator==(const CivilDate&, const CivilDate&) = default;
};

inline constexpr double kLineSeconds = 5.0;  // a record file's line every five seconds
inline constexpr double kRowSeconds = 1.0;   // a per-second file's row

struct Night {
    std::vector<Reading> readings;
    std::vector<int> brokenLines;  // line numbers of lines that do not parse
    int totalLines = 0;
    double step = kLineSeconds;    // the time each reading stands for
    std::optional<CivilDate> date; // of the first reading, when the file tells it
};

// Reads a record file's text: "S 97 P 72 T 14:03:25  OK!" with 24-hour or 12-hour times; a time
// earlier than the one before starts the next day. Lines that do not parse are listed, never fatal.
[[nodiscard]] Night ParseNight(std::string_view text);

// The text begins with the per-second file's header row.
[[nodiscard]] bool IsPerSecondFile(std::string_view text);
// Reads a per-second file: "2026-12-07T23:40:01+01:00,97,72,ok" rows under the header row. Times
// are placed on one axis by their UTC offsets, counted from the local midnight of the first row;
// rows out of order (a clock set back) are sorted in. Rows that do not parse are listed.
[[nodiscard]] Night ParsePerSecondFile(std::string_view text);

// Days since 1970-01-01 of a date, and back.
[[nodiscard]] std::int64_t DaysFromCivil(CivilDate date) noexcept;
[[nodiscard]] CivilDate CivilFromDays(std::int64_t days) noexcept;
[[nodiscard]] std::string DateText(CivilDate date);  // "2026-12-07"

// A desaturation: SpO2 at least `depth` points below the mean of the valid values of the 120 s
// before it, lasting at least 10 s, until it is back within 1 point of that baseline.
struct Event {
    double start = 0;
    double end = 0;
    int depth = 0;  // deepest drop below the baseline, in points
};

struct Figures {
    double start = 0, end = 0;     // seconds as in Reading
    double validShare = 0;         // of all readings
    double spo2Mean = 0;
    int spo2Min = 0;
    double spo2MinAt = 0;
    double below90Seconds = 0, below88Seconds = 0;
    double validSeconds = 0;
    std::vector<Event> events3, events4;
    double odi3 = 0, odi4 = 0;     // events per hour of valid recording
    double pulseMean = 0;
    int pulseMin = 0, pulseMax = 0;
    double noDataSeconds = 0;      // "no serial data" or no reading recorded at all
    double probeOffSeconds = 0;
};

// Nothing when the night holds no reading at all.
[[nodiscard]] std::optional<Figures> Analyse(const Night& night);

[[nodiscard]] std::string ClockText(double seconds);       // "23:59:55", days folded away
[[nodiscard]] std::string DurationText(double seconds);    // "7 h 58 min"
// "2026-12-08 07:12:00" when the night's date is known, else the clock time.
[[nodiscard]] std::string MomentText(const Night& night, double seconds);
// source names the file(s) read, as the first line of the summary shows it.
[[nodiscard]] std::string SummaryText(const std::string& source, const Night& night, const Figures& f);

}  // namespace trelvo::report
