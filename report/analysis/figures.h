#pragma once

#include "report/night/marks.h"
#include "report/night/night.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace trelvo::report {

// The rules the figures are counted by; the report states them with their parameters.
inline constexpr double kBaselineSeconds = 120;      // baseline: mean of the valid values of the 120 s before
inline constexpr int kDesaturationPoints = 3;        // a desaturation: 3 points or more below the baseline ...
inline constexpr double kShortestDesaturation = 10;  // ... for 10 consecutive seconds or more (ODI3)
inline constexpr int kDeepDesaturationPoints = 4;    // ODI4: those that reach 4 points below
inline constexpr int kRecoveryPoints = 1;            // a desaturation ends back within 1 point of the baseline
inline constexpr int kPulseRise = 5;                 // per minute above the pulse baseline ...
inline constexpr double kShortestPulseRise = 8;      // ... for 8 s or more

// A desaturation: SpO2 3 points or more below the baseline (the mean of the valid values of the
// 120 s before it begins) for at least 10 consecutive seconds of valid readings; it lasts until the
// first second back within 1 point of that baseline, or the first second without a valid reading.
struct Event {
    double start = 0;
    double end = 0;
    double depth = 0;     // the deepest drop below the baseline, in points
    int nadir = 0;        // the lowest SpO2 in it
    double baseline = 0;  // the baseline it was measured against
};

// A pulse rise, of the same shape: the pulse 5 per minute or more above the mean pulse of the
// 120 s before it begins, for at least 8 consecutive seconds; it lasts until the first second
// back below 5 above, or the first second without a valid pulse.
struct PulseRise {
    double start = 0;
    double end = 0;
    int peak = 0;
    double baseline = 0;
};

// One clock hour of the night: how much of it was analysed and the events that began in it.
struct HourFigures {
    double start = 0;  // seconds as in Entry: the full hour
    double analysedSeconds = 0;
    int events3 = 0, events4 = 0;
    int beats = 0;  // found in the wave
};

// Bands of SpO2: ≥ 95, 90–94, 85–89, 80–84, < 80 %.
inline constexpr std::array<int, 5> kBandFloors = {95, 90, 85, 80, 0};

struct Figures {
    double start = 0, end = 0;               // seconds as in Entry: the recording time
    double validSeconds = 0;                 // analysed: time with a valid SpO2
    double validShare = 0;                   // of all readings
    double noDataSeconds = 0;                // excluded: "no serial data", or nothing recorded at all
    double probeOffSeconds = 0;              // excluded: no probe, or no value from it
    double noSignalSeconds = 0;              // excluded: no finger in the probe
    double markedSeconds = 0;                // excluded: readings the person marked as not to be counted
    std::vector<std::string> markedReasons;  // their reasons, each once, in the night's order
    double spo2Mean = 0, spo2Median = 0;
    int spo2Min = 0;
    double spo2MinAt = 0;
    std::optional<double> baselineMedian;  // the median of the baselines over the analysed readings, if any
    std::array<double, 5> bandSeconds{};
    double below90Seconds = 0;      // T90: below 90 %
    double atOrBelow88Seconds = 0;  // at or below 88 %
    std::vector<Event> events3, events4;
    double odi3 = 0, odi4 = 0;  // events per hour of analysed time
    std::vector<HourFigures> hours;
    bool hasPulse = false;  // a valid reading with a pulse; else the pulse figures mean nothing
    double pulseMean = 0;
    int pulseMin = 0, pulseMax = 0;
    std::vector<PulseRise> pulseRises;
    double pulseRisesPerHour = 0;
    // From the wave, when the night has one.
    bool hasWave = false;
    double waveSeconds = 0;  // seconds with wave samples
    std::size_t beats = 0;
    double beatsPerHour = 0;         // per hour of wave
    std::size_t beatsCompared = 0;   // beats with a rate and a unit's pulse to hold it against
    double beatPulseDifference = 0;  // median, per minute
};

// Nothing when the night holds no reading at all. The beats are looked for in the wave unless
// told not to (a summary of many nights has no use for them).
// Readings in a stretch the night marks (Night::marked) count as excluded time: no figure and no
// event is made of them.
[[nodiscard]] std::optional<Figures> Analyse(const Night& night, bool findBeats = true);

// One night in a summary of many.
struct NightRow {
    std::string name;  // the file read
    std::string date;  // of the night's start, "2026-12-07"
    double analysedHours = 0;
    std::optional<double> spo2Mean;  // nothing without a valid reading
    std::optional<int> spo2Min;
    double t90Minutes = 0;
    std::optional<double> odi3, odi4;  // nothing when nothing was analysed
    std::optional<double> pulseMean;
    // For a table of the nights of a folder.
    std::string start, end;  // on the clock, "22:30"
    double recordingHours = 0;
    double t88Minutes = 0;       // at or below 88 %
    double step = kLineSeconds;  // the time one reading stands for: 5 s for a record file, 1 s per second
    bool hasWave = false;
    bool dateFromFileTime = false;  // its date comes only from a record file's modification time
};

// The means over nights for the doctor: a night with less analysed time than this is shown but
// left out, and each counted night weighs the same. Nothing where no counted night has the figure.
inline constexpr double kShortestCountedHours = 4;
[[nodiscard]] bool CountedInMeans(const NightRow& row);
struct NightsMeans {
    std::size_t counted = 0;
    std::optional<double> recordingHours, analysedHours, spo2Mean, spo2Min, t90Minutes, t88Minutes, odi3, odi4,
        pulseMean;
};
[[nodiscard]] NightsMeans MeansOf(const std::vector<NightRow>& rows);
// The medians of the same nights (the middle one, or the mean of the two in the middle).
[[nodiscard]] NightsMeans MediansOf(const std::vector<NightRow>& rows);

// Hourly rates are given for hours with at least this much analysed time.
inline constexpr double kShortestRatedHour = 15 * 60;
[[nodiscard]] NightRow RowOf(const std::string& name, const Night& night, const Figures& f);

// Events per hour of the time given; nothing in no time.
[[nodiscard]] double PerHour(std::size_t count, double seconds);

}  // namespace trelvo::report
