#include "report/words/figure_lines.h"

#include "lang/string_table.h"
#include "report/night/clock_text.h"
#include "report/words/summary_text.h"

#include <algorithm>

namespace trelvo::report {
namespace {

namespace words = lang::text::report;

// A sign before a number, built by appending (GCC's -O3 takes "x" + string for an overlapping copy).
std::string Signed(const char* sign, const std::string& number)
{
    std::string text(sign);
    text += number;
    return text;
}

std::string Minutes(const Speech& speech, double seconds)
{
    return speech.Text(words::kMinutes, {speech.Number(seconds / 60, 1)});
}

}  // namespace

NightFigureLines FigureLines(const Night& night, const Figures& f, const Speech& speech)
{
    const auto share = [&f](double s) { return f.validSeconds > 0 ? 100.0 * s / f.validSeconds : 0.0; };
    const double recording = f.end - f.start;
    const auto rate = [&](std::size_t count) { return speech.Decimals(RateText(count, f.validSeconds, 0)); };
    const auto name = [&](int n) { return speech.Text(words::kFigureNames + n); };
    const auto perHour = [&](std::size_t count) {
        return speech.Text(words::kPerHourValue, {rate(count), std::to_string(count)});
    };
    const std::string end = MomentText(night, f.end);
    const double excluded = f.noDataSeconds + f.probeOffSeconds + f.noSignalSeconds + f.markedSeconds;
    NightFigureLines lines;
    lines.recording = {
        {name(0), speech.Text(words::kRecordedValue, {speech.Moment(MomentText(night, f.start)),
                                                      end.substr(end.size() - 8), DurationText(recording)})},
        {name(1),
         speech.Text(words::kAnalysedValue, {DurationText(f.validSeconds),
                                             speech.Number(recording > 0 ? 100 * f.validSeconds / recording : 0, 1)})},
        {name(2),
         speech.Text(words::kExcludedValue, {speech.Number(recording > 0 ? 100 * excluded / recording : 0, 1),
                                             Minutes(speech, f.noDataSeconds), Minutes(speech, f.probeOffSeconds),
                                             Minutes(speech, f.noSignalSeconds)})},
        {speech.Text(lang::text::kMarkedName), MarkedText(f, speech)},
        {name(3), f.validSeconds > 0
                      ? speech.Text(words::kSpO2Value, {speech.Number(f.spo2Mean, 1), speech.Number(f.spo2Median, 1),
                                                        std::to_string(f.spo2Min), ClockAt(night, f.spo2MinAt)})
                      : speech.Text(words::kNoValidReading)},
        {name(4), f.baselineMedian ? speech.Text(words::kBaselineValue, {speech.Number(*f.baselineMedian, 1)})
                                   : speech.Text(words::kNoBaseline)},
        {name(5),
         speech.Text(words::kT90Value, {Minutes(speech, f.below90Seconds), speech.Number(share(f.below90Seconds), 1)})},
        {name(6), speech.Text(words::kT88Value,
                              {Minutes(speech, f.atOrBelow88Seconds), speech.Number(share(f.atOrBelow88Seconds), 1)})},
    };
    lines.note = {speech.Text(lang::text::kNoteName), NoteText(night.note, night.tags, speech)};
    // The time marked by the person shows only where there is some.
    if (f.markedSeconds <= 0)
        lines.recording.erase(lines.recording.begin() + 3);
    lines.events = {
        {name(7), perHour(f.events3.size())},
        {name(8), perHour(f.events4.size())},
        {name(9), f.hasPulse ? speech.Text(words::kPulseValue, {speech.Number(f.pulseMean, 0),
                                                                std::to_string(f.pulseMin), std::to_string(f.pulseMax)})
                             : speech.Text(words::kNoValidReading)},
        {name(10), perHour(f.pulseRises.size())},
        {name(11), speech.Text(night.step == kRowSeconds ? words::kResolutionPerSecond : words::kResolutionRecord)},
    };
    return lines;
}

std::vector<FigureLine> BandLines(const Figures& f, const Speech& speech)
{
    std::vector<FigureLine> lines;
    for (std::size_t b = 0; b < f.bandSeconds.size(); ++b) {
        const double share = f.validSeconds > 0 ? f.bandSeconds[b] / f.validSeconds : 0;
        lines.push_back({BandName(b), speech.Text(words::kBandValue, {speech.Number(f.bandSeconds[b] / 60, 1),
                                                                      speech.Number(100 * share, 1)})});
    }
    return lines;
}

std::vector<std::vector<std::string>> HourRows(const Night& night, const Figures& f, const Speech& speech)
{
    std::vector<std::vector<std::string>> rows(1);
    for (int c = 0; c < lang::text::report::kHourColumns; ++c)
        rows[0].push_back(speech.Text(words::kHourHeader + c));
    std::vector<double> starts;
    for (const HourFigures& h : f.hours)
        starts.push_back(h.start);
    const std::vector<std::string> hourTexts = HourTexts(night, starts);
    const auto perHour = [&](int n, double seconds) {
        return speech.Decimals(RateText(static_cast<std::size_t>(n), seconds, kShortestRatedHour));
    };
    for (std::size_t h = 0; h < f.hours.size(); ++h) {
        const HourFigures& hour = f.hours[h];
        rows.push_back({hourTexts[h], speech.Text(words::kMinutes, {speech.Number(hour.analysedSeconds / 60, 0)}),
                        std::to_string(hour.events3), perHour(hour.events3, hour.analysedSeconds),
                        std::to_string(hour.events4), perHour(hour.events4, hour.analysedSeconds)});
    }
    return rows;
}

std::vector<EventLine> EventLines(const Night& night, const Figures& f, const Speech& speech)
{
    namespace text = lang::text;
    std::vector<EventLine> lines;
    const auto seconds = [&](double s) { return speech.Text(text::kSecondsValue, {speech.Number(s, 0)}); };
    for (const Event& e : f.events3) {
        const bool deep = e.depth >= kDeepDesaturationPoints - 1e-9;
        lines.push_back({true,
                         e.start,
                         e.end,
                         {speech.Text(text::kDesaturationKind), ClockAt(night, e.start), seconds(e.end - e.start),
                          std::to_string(e.nadir) + " %", Signed("−", speech.Number(e.depth, 1)),
                          deep ? speech.Text(text::kYes) : std::string()}});
    }
    for (const PulseRise& r : f.pulseRises)
        lines.push_back({false,
                         r.start,
                         r.end,
                         {speech.Text(text::kPulseRiseKind),
                          ClockAt(night, r.start),
                          seconds(r.end - r.start),
                          std::to_string(r.peak) + "/min",
                          Signed("+", speech.Number(r.peak - r.baseline, 1)),
                          {}}});
    std::stable_sort(lines.begin(), lines.end(),
                     [](const EventLine& a, const EventLine& b) { return a.start < b.start; });
    return lines;
}

std::string EventCounts(const Figures& f, const Speech& speech)
{
    return speech.Text(lang::text::kEventCounts, {std::to_string(f.events3.size()), std::to_string(f.events4.size()),
                                                  std::to_string(f.pulseRises.size())});
}

}  // namespace trelvo::report
