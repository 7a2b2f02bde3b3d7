#include "report/summary_text.h"

#include "lang/string_table.h"
#include "report/beats.h"

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

// A number with its decimals, or "–" when there is none.
std::string NumberOrDash(const std::optional<double>& value, int decimals)
{
    return value ? Format("%.*f", decimals, *value) : std::string("–");
}

}  // namespace

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

std::string SummaryText(const std::string& source, const Night& night, const Figures& f)
{
    const auto share = [&](double s) { return f.validSeconds > 0 ? 100.0 * s / f.validSeconds : 0.0; };
    const double excluded = f.noDataSeconds + f.probeOffSeconds + f.noSignalSeconds;
    const double recording = f.end - f.start;
    std::string text;
    text += "File             " + source + "\n";
    text += "Resolution       " + ResolutionText(night) + "\n";
    text += "Recorded         " + MomentText(night, f.start) + " to " + MomentText(night, f.end) + " (" +
            DurationText(recording) + ")\n";
    text += Format("Analysed         %s of valid readings (%.1f %% of the recording time)\n",
                   DurationText(f.validSeconds).c_str(), recording > 0 ? 100.0 * f.validSeconds / recording : 0.0);
    text += Format("Excluded         %s (%.1f %%): no data %.1f min, probe off %.1f min, no finger %.1f min\n",
                   DurationText(excluded).c_str(), recording > 0 ? 100.0 * excluded / recording : 0.0,
                   f.noDataSeconds / 60, f.probeOffSeconds / 60, f.noSignalSeconds / 60);
    const bool analysed = f.validSeconds > 0;
    text += analysed ? Format("SpO2             mean %.1f %%, median %.1f %%, lowest %d %% at %s\n", f.spo2Mean,
                              f.spo2Median, f.spo2Min, MomentText(night, f.spo2MinAt).c_str())
                     : std::string("SpO2             no valid reading\n");
    text +=
        f.baselineMedian
            ? Format("Baseline         %.1f %% (median over the night; each event's baseline is the mean SpO2 of "
                     "the %.0f s before it)\n",
                     *f.baselineMedian, kBaselineSeconds)
            : Format("Baseline         none: no valid reading has another in the %.0f s before it\n", kBaselineSeconds);
    for (std::size_t b = 0; b < f.bandSeconds.size(); ++b)
        text += Format("%s %6.1f min (%.1f %% of analysed time)\n", Padded("SpO2 " + BandName(b), 16).c_str(),
                       f.bandSeconds[b] / 60, share(f.bandSeconds[b]));
    text +=
        Format("T90              %.1f min (%.1f %%): below 90 %%\n", f.below90Seconds / 60, share(f.below90Seconds));
    text += Format("T88              %.1f min (%.1f %%): at or below 88 %%\n", f.atOrBelow88Seconds / 60,
                   share(f.atOrBelow88Seconds));
    const auto rate = [&](std::size_t count) { return RateText(count, f.validSeconds, 0); };
    text += Format("ODI3             %s per hour (%zu events)\n", rate(f.events3.size()).c_str(), f.events3.size());
    text += Format("ODI4             %s per hour (%zu events)\n", rate(f.events4.size()).c_str(), f.events4.size());
    text += f.hasPulse ? Format("Pulse            mean %.0f, lowest %d, highest %d per minute\n", f.pulseMean,
                                f.pulseMin, f.pulseMax)
                       : std::string("Pulse            no valid reading\n");
    text +=
        Format("Pulse rises      %s per hour (%zu events)\n", rate(f.pulseRises.size()).c_str(), f.pulseRises.size());
    if (f.hasWave) {
        text += Format("Beats            %zu found in the wave, %.0f per hour of wave (%s); their rate and the unit's "
                       "pulse differ by %.1f per minute (median of %zu beats)\n",
                       f.beats, f.beatsPerHour, DurationText(f.waveSeconds).c_str(), f.beatPulseDifference,
                       f.beatsCompared);
        text += Format("Beat detector    the wave rising through the middle of its range over 3 s (a range of %d or "
                       "more), %.1f s or more after the beat before; rate: 60 / the time between two beats\n",
                       kSmallestSwing, kShortestBeat);
    }
    text += "Rules            " + RulesText() + "\n";
    text += std::string("Hour             analysed  ODI3 events  ODI3/h  ODI4 events  ODI4/h") +
            (f.hasWave ? "   beats\n" : "\n");
    std::vector<double> starts;
    for (const HourFigures& h : f.hours)
        starts.push_back(h.start);
    const std::vector<std::string> hourTexts = HourTexts(night, starts);
    for (std::size_t n = 0; n < f.hours.size(); ++n) {
        const HourFigures& h = f.hours[n];
        const auto hourRate = [&h](int count) {
            return RightAligned(RateText(static_cast<std::size_t>(count), h.analysedSeconds, kShortestRatedHour), 6);
        };
        text += Format("%-16s %5.0f min  %11d  %s  %11d  %s", hourTexts[n].c_str(), h.analysedSeconds / 60, h.events3,
                       hourRate(h.events3).c_str(), h.events4, hourRate(h.events4).c_str());
        text += f.hasWave ? Format("  %6d\n", h.beats) : "\n";
    }
    if (!night.brokenLines.empty()) {
        text += "Unreadable lines ";
        text += std::to_string(night.brokenLines.size());
        text += ':';
        for (std::size_t i = 0; i < std::min<std::size_t>(10, night.brokenLines.size()); ++i) {
            text += ' ';
            text += std::to_string(night.brokenLines[i]);
        }
        text += night.brokenLines.size() > 10 ? " ...\n" : "\n";
    }
    text += "This report is not a medical diagnosis.\n";
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

std::string NightsTable(const std::vector<NightRow>& rows)
{
    std::string text = "Night       Analysed  SpO2 mean  lowest  T90 min  ODI3/h  ODI4/h  Pulse  File\n";
    for (const NightRow& r : rows)
        text +=
            Format("%-10s  %6.1f h  %s %%  %s %%  %7.1f  %s  %s  %s  %s\n", r.date.c_str(), r.analysedHours,
                   RightAligned(NumberOrDash(r.spo2Mean, 1), 7).c_str(),
                   RightAligned(r.spo2Min ? std::to_string(*r.spo2Min) : "–", 4).c_str(), r.t90Minutes,
                   RightAligned(NumberOrDash(r.odi3, 1), 6).c_str(), RightAligned(NumberOrDash(r.odi4, 1), 6).c_str(),
                   RightAligned(NumberOrDash(r.pulseMean, 0), 5).c_str(), r.name.c_str());
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

}  // namespace trelvo::report
