#include "report/words/summary_text.h"

#include "lang/string_table.h"
#include "report/analysis/beats.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string_view>

namespace trelvo::report {
namespace {

// Widths count characters, not bytes: the band names hold "≥" and "–", a rate may be "–".
std::size_t Characters(const std::string& text)
{
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// Pads on the right to a width in characters.
std::string Padded(std::string text, std::size_t width)
{
    const std::size_t characters = Characters(text);
    if (characters < width)
        text.append(width - characters, ' ');
    return text;
}

// printf into a string as long as the text needs: file names can be long.
std::string Format(const char* format, auto... args)
{
    const int size = std::snprintf(nullptr, 0, format, args...);
    std::string text(static_cast<std::size_t>(std::max(size, 0)), '\0');
    std::snprintf(text.data(), text.size() + 1, format, args...);
    return text;
}

// A text cell a spreadsheet would take for a formula gets a leading apostrophe.
std::string SpreadsheetText(std::string text)
{
    if (!text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos)
        text.insert(0, 1, '\'');
    return text;
}

// Pads on the left to a width in characters.
std::string RightAligned(const std::string& text, std::size_t width)
{
    const std::size_t characters = Characters(text);
    return characters < width ? std::string(width - characters, ' ') + text : text;
}

}  // namespace

std::string LineName(const Speech& speech, int offset)
{
    return Padded(speech.Text(offset), 16);
}

std::string TagName(std::string_view tag, const Speech& speech)
{
    for (std::size_t i = 0; i < std::size(kKnownTags); ++i)
        if (kKnownTags[i] == tag)
            return speech.Text(lang::text::kTagNames + static_cast<int>(i));
    return std::string(tag);
}

std::string NoteText(std::string_view note, const std::vector<std::string>& tags, const Speech& speech)
{
    std::string text;
    for (const char c : note)
        if (c == '\n') {
            if (!text.empty() && text.back() != ' ')
                text += ' ';
        } else if (c != '\r') {
            text += c;
        }
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    std::string names;
    for (const std::string& tag : tags)
        names += (names.empty() ? "" : ", ") + TagName(tag, speech);
    if (!names.empty())
        text += (text.empty() ? "(" : " (") + names + ")";
    return text;
}

std::string MarkedText(const Figures& f, const Speech& speech)
{
    std::string reasons;
    for (const std::string& reason : f.markedReasons)
        reasons += (reasons.empty() ? "" : "; ") + reason;
    return speech.Text(lang::text::kMarkedValue, {speech.Number(f.markedSeconds / 60, 1), reasons});
}

std::string RateText(std::size_t count, double seconds, double shortest)
{
    return seconds >= shortest && seconds > 0 ? Format("%.1f", PerHour(count, seconds)) : std::string("–");
}

std::string BandName(std::size_t band)
{
    static const char* const names[] = {"≥ 95 %", "90–94 %", "85–89 %", "80–84 %", "< 80 %"};
    return names[std::min<std::size_t>(band, 4)];
}

std::string ResolutionText(const Night& night, const Speech& speech)
{
    return speech.Text(night.step == kRowSeconds ? lang::text::report::kResolutionPerSecondLong
                                                 : lang::text::report::kResolutionRecordLong);
}

std::string RulesText(const Speech& speech)
{
    const auto whole = [](double v) { return std::to_string(std::lround(v)); };
    return speech.Text(lang::text::report::kRules,
                       {whole(kBaselineSeconds), whole(kDesaturationPoints), whole(kShortestDesaturation),
                        whole(kRecoveryPoints), whole(kDeepDesaturationPoints), whole(kPulseRise),
                        whole(kShortestPulseRise)});
}

std::string SummaryText(const std::string& source, const Night& night, const Figures& f, const Speech& speech)
{
    namespace words = lang::text::report;
    const auto share = [&](double s) { return f.validSeconds > 0 ? 100.0 * s / f.validSeconds : 0.0; };
    const double excluded = f.noDataSeconds + f.probeOffSeconds + f.noSignalSeconds + f.markedSeconds;
    const double recording = f.end - f.start;
    const auto number = [&](double v, int decimals) { return speech.Number(v, decimals); };
    const auto moment = [&](double seconds) { return speech.Moment(MomentText(night, seconds)); };
    // A line: its name in the first 17 columns, then what it says.
    std::string text;
    const auto line = [&](int name, const std::string& value) { text += LineName(speech, name) + " " + value + "\n"; };
    const auto figure = [&](int n, const std::string& value) { line(words::kFigureNames + n, value); };
    line(words::kFileLabel, source);
    if (const std::string note = NoteText(night.note, night.tags, speech); !note.empty())
        line(lang::text::kNoteName, note);
    figure(11, ResolutionText(night, speech));
    figure(0, speech.Text(words::kRecordedLine, {moment(f.start), moment(f.end), DurationText(recording)}));
    figure(1, speech.Text(words::kAnalysedLine, {DurationText(f.validSeconds),
                                                 number(recording > 0 ? 100.0 * f.validSeconds / recording : 0, 1)}));
    figure(2, speech.Text(words::kExcludedLine,
                          {DurationText(excluded), number(recording > 0 ? 100.0 * excluded / recording : 0, 1),
                           number(f.noDataSeconds / 60, 1), number(f.probeOffSeconds / 60, 1),
                           number(f.noSignalSeconds / 60, 1)}));
    if (f.markedSeconds > 0)
        line(lang::text::kMarkedName, MarkedText(f, speech));
    figure(3, f.validSeconds > 0 ? speech.Text(words::kSpO2Line, {number(f.spo2Mean, 1), number(f.spo2Median, 1),
                                                                  std::to_string(f.spo2Min), moment(f.spo2MinAt)})
                                 : speech.Text(words::kNoValidReading));
    figure(4, f.baselineMedian
                  ? speech.Text(words::kBaselineLine, {number(*f.baselineMedian, 1), number(kBaselineSeconds, 0)})
                  : speech.Text(words::kNoBaselineLine, {number(kBaselineSeconds, 0)}));
    for (std::size_t b = 0; b < f.bandSeconds.size(); ++b)
        text += Padded("SpO2 " + BandName(b), 16) + " " +
                speech.Text(words::kBandLine,
                            {RightAligned(number(f.bandSeconds[b] / 60, 1), 6), number(share(f.bandSeconds[b]), 1)}) +
                "\n";
    figure(5, speech.Text(words::kT90Line, {number(f.below90Seconds / 60, 1), number(share(f.below90Seconds), 1)}));
    figure(6, speech.Text(words::kT88Line,
                          {number(f.atOrBelow88Seconds / 60, 1), number(share(f.atOrBelow88Seconds), 1)}));
    const auto perHour = [&](std::size_t count) {
        return speech.Text(words::kPerHourValue,
                           {speech.Decimals(RateText(count, f.validSeconds, 0)), std::to_string(count)});
    };
    figure(7, perHour(f.events3.size()));
    figure(8, perHour(f.events4.size()));
    figure(9, f.hasPulse ? speech.Text(words::kPulseValue,
                                       {number(f.pulseMean, 0), std::to_string(f.pulseMin), std::to_string(f.pulseMax)})
                         : speech.Text(words::kNoValidReading));
    figure(10, perHour(f.pulseRises.size()));
    if (f.hasWave) {
        line(words::kBeatsLabel,
             speech.Text(words::kBeatsLine,
                         {std::to_string(f.beats), number(f.beatsPerHour, 0), DurationText(f.waveSeconds),
                          number(f.beatPulseDifference, 1), std::to_string(f.beatsCompared)}));
        line(words::kBeatDetectorLabel,
             speech.Text(words::kBeatDetectorLine, {std::to_string(kSmallestSwing), number(kShortestBeat, 1)}));
    }
    line(words::kRulesLabel, RulesText(speech));
    text += speech.Text(words::kHourTableHeader) + (f.hasWave ? speech.Text(words::kBeatsColumn) : "") + "\n";
    std::vector<double> starts;
    for (const HourFigures& h : f.hours)
        starts.push_back(h.start);
    const std::vector<std::string> hourTexts = HourTexts(night, starts);
    for (std::size_t n = 0; n < f.hours.size(); ++n) {
        const HourFigures& h = f.hours[n];
        const auto hourRate = [&](int count) {
            return RightAligned(
                speech.Decimals(RateText(static_cast<std::size_t>(count), h.analysedSeconds, kShortestRatedHour)), 6);
        };
        text += Format("%-16s %5.0f min  %11d  %s  %11d  %s", hourTexts[n].c_str(), h.analysedSeconds / 60, h.events3,
                       hourRate(h.events3).c_str(), h.events4, hourRate(h.events4).c_str());
        text += f.hasWave ? Format("  %6d\n", h.beats) : "\n";
    }
    if (!night.brokenLines.empty()) {
        std::string lines = std::to_string(night.brokenCount) + ':';
        for (std::size_t i = 0; i < std::min<std::size_t>(10, night.brokenLines.size()); ++i)
            lines += ' ' + std::to_string(night.brokenLines[i]);
        line(words::kUnreadableLabel, lines + (night.brokenCount > 10 ? " ..." : ""));
    }
    text += speech.Text(words::kNoDiagnosisShort) + "\n";
    return text;
}

std::string EventsCsv(const Night& night, const Figures& f)
{
    std::string text = "start,end,duration_s,nadir_percent,depth_points,baseline_percent,odi4\r\n";
    for (const Event& e : f.events3) {
        const bool deep = e.depth >= kDeepDesaturationPoints - 1e-9;
        text += Format("%s,%s,%.0f,%d,%.1f,%.1f,%s\r\n", IsoMomentText(night, e.start).c_str(),
                       IsoMomentText(night, e.end).c_str(), e.end - e.start, e.nadir, e.depth, e.baseline,
                       deep ? "yes" : "no");
    }
    return text;
}

std::string NightsTable(const std::vector<NightRow>& rows, const Speech& speech)
{
    std::string text = speech.Text(lang::text::report::kNightsTableHeader) + "\n";
    const auto number = [&](const std::optional<double>& v, int decimals) {
        return v ? speech.Number(*v, decimals) : std::string("–");
    };
    for (const NightRow& r : rows)
        text += Format(
            "%-10s  %s h  %s %%  %s %%  %s  %s  %s  %s  %s\n", speech.Date(r.date).c_str(),
            RightAligned(speech.Number(r.analysedHours, 1), 6).c_str(), RightAligned(number(r.spo2Mean, 1), 7).c_str(),
            RightAligned(r.spo2Min ? std::to_string(*r.spo2Min) : "–", 4).c_str(),
            RightAligned(speech.Number(r.t90Minutes, 1), 7).c_str(), RightAligned(number(r.odi3, 1), 6).c_str(),
            RightAligned(number(r.odi4, 1), 6).c_str(), RightAligned(number(r.pulseMean, 0), 5).c_str(),
            (r.name +
             (r.dateFromFileTime ? " (" + speech.Text(lang::text::report::kDateFromFileTime) + ")" : std::string()))
                .c_str());
    return text;
}

std::string NightsCsv(const std::vector<NightRow>& rows)
{
    std::string text = "night,analysed_hours,spo2_mean,spo2_lowest,t90_minutes,odi3,odi4,pulse_mean,file\r\n";
    for (const NightRow& r : rows) {
        std::string name = SpreadsheetText(r.name);
        // A file name may hold commas or quotes: quoted as RFC 4180 says.
        for (std::size_t at = name.find('"'); at != std::string::npos; at = name.find('"', at + 2))
            name.insert(at, 1, '"');
        // A figure with nothing to count is an empty cell.
        const auto cell = [](const std::optional<double>& v, int decimals) {
            return v ? Format("%.*f", decimals, *v) : std::string();
        };
        text += Format("%s,%.2f,%s,%s,%.1f,%s,%s,%s,\"%s\"\r\n", r.date.c_str(), r.analysedHours,
                       cell(r.spo2Mean, 1).c_str(), r.spo2Min ? std::to_string(*r.spo2Min).c_str() : "", r.t90Minutes,
                       cell(r.odi3, 1).c_str(), cell(r.odi4, 1).c_str(), cell(r.pulseMean, 0).c_str(), name.c_str());
    }
    return text;
}

std::string NightTitle(const Speech& speech, const std::string& isoDate)
{
    return speech.Text(lang::text::report::kNightTitle, {speech.Date(isoDate)});
}

std::string Words(const Problem& problem, const Speech& speech)
{
    std::vector<std::string_view> values(problem.values.begin(), problem.values.end());
    std::string text = speech.Text(lang::text::report::kProblems + static_cast<int>(problem.code));
    // The values in their places, as Speech::Text does for a fixed list.
    for (std::size_t i = values.size(); i-- > 0;) {
        // Two appends: GCC's -O3 warns falsely about one sum of a literal and a number's text.
        std::string mark = "%";
        mark += std::to_string(i + 1);
        for (std::size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + values[i].size()))
            text.replace(at, mark.size(), values[i]);
    }
    return text;
}

std::string Words(const FileProblem& problem, const Speech& speech)
{
    return problem.file.empty() ? Words(problem.problem, speech) : problem.file + ": " + Words(problem.problem, speech);
}

}  // namespace trelvo::report
