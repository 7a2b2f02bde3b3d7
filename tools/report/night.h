#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trelvo::report {

// One line of a record file, as the program wrote it.
struct Reading {
    int lineNumber = 0;
    double seconds = 0;         // since midnight of the first day; later days add 86,400
    std::optional<int> spo2;    // only for a valid reading
    std::optional<int> pulse;
    enum class Kind { Valid, NoData, ProbeOff } kind = Kind::Valid;
};

struct Night {
    std::vector<Reading> readings;
    std::vector<int> brokenLines;  // line numbers of lines that do not parse
    int totalLines = 0;
};

// Reads a record file's text: "S 97 P 72 T 14:03:25  OK!" with 24-hour or 12-hour times; a time
// earlier than the one before starts the next day. Lines that do not parse are listed, never fatal.
[[nodiscard]] Night ParseNight(std::string_view text);

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

inline constexpr double kLineSeconds = 5.0;

// Nothing when the night holds no reading at all.
[[nodiscard]] std::optional<Figures> Analyse(const Night& night);

[[nodiscard]] std::string ClockText(double seconds);       // "23:59:55", days folded away
[[nodiscard]] std::string DurationText(double seconds);    // "7 h 58 min"
[[nodiscard]] std::string SummaryText(const std::string& fileName, const Night& night, const Figures& f);

}  // namespace trelvo::report
