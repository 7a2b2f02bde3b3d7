#include "report/figures.h"

#include "report/beats.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <numeric>
#include <string_view>

namespace trelvo::report {
namespace {

using Value = std::function<std::optional<int>(const Reading&)>;

// For every reading, the mean of the valid values of the kBaselineSeconds before it (the reading
// itself not included); nothing where there are none.
std::vector<std::optional<double>> Baselines(const std::vector<Reading>& rs, const Value& value)
{
    std::vector<std::optional<double>> baselines(rs.size());
    double sum = 0;
    int count = 0;
    std::size_t low = 0;
    for (std::size_t i = 0; i < rs.size(); ++i) {
        if (i > 0)
            if (const auto v = value(rs[i - 1])) {
                sum += *v;
                ++count;
            }
        for (; low < i && rs[low].seconds < rs[i].seconds - kBaselineSeconds; ++low)
            if (const auto v = value(rs[low])) {
                sum -= *v;
                --count;
            }
        if (count > 0)
            baselines[i] = sum / count;
    }
    return baselines;
}

std::vector<Event> Desaturations(const std::vector<Reading>& rs, const std::vector<std::optional<double>>& baselines,
                                 int depth, double step)
{
    std::vector<Event> events;
    std::size_t i = 0;
    while (i < rs.size()) {
        const Reading& r = rs[i];
        if (!r.spo2 || !baselines[i] || *r.spo2 > *baselines[i] - depth) {
            ++i;
            continue;
        }
        const double baseline = *baselines[i];
        Event e{r.seconds, r.seconds, 0, *r.spo2, baseline};
        std::size_t k = i;
        while (k < rs.size() && rs[k].spo2 && *rs[k].spo2 < baseline - kRecoveryPoints) {
            e.depth = std::max(e.depth, static_cast<int>(std::floor(baseline - *rs[k].spo2 + 1e-9)));
            e.nadir = std::min(e.nadir, *rs[k].spo2);
            e.end = rs[k].seconds + step;
            ++k;
        }
        if (e.end - e.start >= kShortestDesaturation)
            events.push_back(e);
        i = std::max(k, i + 1);
    }
    return events;
}

std::vector<PulseRise> PulseRises(const std::vector<Reading>& rs, const std::vector<std::optional<double>>& baselines,
                                  double step)
{
    std::vector<PulseRise> rises;
    std::size_t i = 0;
    while (i < rs.size()) {
        if (!rs[i].pulse || !baselines[i] || *rs[i].pulse < *baselines[i] + kPulseRise) {
            ++i;
            continue;
        }
        const double baseline = *baselines[i];
        PulseRise rise{rs[i].seconds, rs[i].seconds, *rs[i].pulse, baseline};
        std::size_t k = i;
        while (k < rs.size() && rs[k].pulse && *rs[k].pulse >= baseline + kPulseRise) {
            rise.peak = std::max(rise.peak, *rs[k].pulse);
            rise.end = rs[k].seconds + step;
            ++k;
        }
        if (rise.end - rise.start >= kShortestPulseRise)
            rises.push_back(rise);
        i = std::max(k, i + 1);
    }
    return rises;
}

double PerHour(std::size_t count, double seconds)
{
    return seconds > 0 ? static_cast<double>(count) / (seconds / 3600) : 0;
}

double Median(std::vector<double>& values)
{
    if (values.empty())
        return 0;
    const std::size_t middle = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle), values.end());
    const double upper = values[middle];
    if (values.size() % 2 != 0)
        return upper;
    return (upper + *std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle))) / 2;
}

// Pads to a width in characters, not bytes: the band names hold "≥" and "–".
std::string Padded(std::string text, std::size_t width)
{
    const auto characters = static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
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

}  // namespace

std::string BandName(std::size_t band)
{
    static const char* const names[] = {"≥ 95 %", "90–94 %", "85–89 %", "80–84 %", "< 80 %"};
    return names[std::min<std::size_t>(band, 4)];
}

std::optional<Figures> Analyse(const Night& night, bool findBeats)
{
    const auto& rs = night.readings;
    if (rs.empty())
        return std::nullopt;
    const double step = night.step;
    Figures f;
    f.start = rs.front().seconds;
    f.end = rs.back().seconds + step;
    std::vector<double> spo2, pulse;
    for (std::size_t i = 0; i < rs.size(); ++i) {
        const Reading& r = rs[i];
        switch (r.kind) {
        case Reading::Kind::NoData: f.noDataSeconds += step; break;
        case Reading::Kind::ProbeOff: f.probeOffSeconds += step; break;
        case Reading::Kind::NoSignal: f.noSignalSeconds += step; break;
        case Reading::Kind::Valid: break;
        }
        // Time the program did not record at all counts as time without data.
        if (i + 1 < rs.size() && rs[i + 1].seconds - r.seconds > 1.5 * step)
            f.noDataSeconds += rs[i + 1].seconds - r.seconds - step;
        if (!r.spo2)
            continue;
        spo2.push_back(*r.spo2);
        if (spo2.size() == 1 || *r.spo2 < f.spo2Min) {
            f.spo2Min = *r.spo2;
            f.spo2MinAt = r.seconds;
        }
        std::size_t band = 0;
        while (*r.spo2 < kBandFloors[band])
            ++band;
        f.bandSeconds[band] += step;
        f.below90Seconds += *r.spo2 < 90 ? step : 0;
        f.atOrBelow88Seconds += *r.spo2 <= 88 ? step : 0;
        if (r.pulse)
            pulse.push_back(*r.pulse);
    }
    f.validShare = static_cast<double>(spo2.size()) / static_cast<double>(rs.size());
    f.validSeconds = static_cast<double>(spo2.size()) * step;
    if (!spo2.empty())
        f.spo2Mean = std::accumulate(spo2.begin(), spo2.end(), 0.0) / static_cast<double>(spo2.size());
    f.spo2Median = Median(spo2);
    if (!pulse.empty()) {
        f.pulseMean = std::accumulate(pulse.begin(), pulse.end(), 0.0) / static_cast<double>(pulse.size());
        f.pulseMin = static_cast<int>(*std::min_element(pulse.begin(), pulse.end()));
        f.pulseMax = static_cast<int>(*std::max_element(pulse.begin(), pulse.end()));
    }

    const auto spo2Baselines = Baselines(rs, [](const Reading& r) { return r.spo2; });
    std::vector<double> used;
    for (std::size_t i = 0; i < rs.size(); ++i)
        if (rs[i].spo2 && spo2Baselines[i])
            used.push_back(*spo2Baselines[i]);
    f.baselineMedian = Median(used);
    f.events3 = Desaturations(rs, spo2Baselines, 3, step);
    f.events4 = Desaturations(rs, spo2Baselines, 4, step);
    f.odi3 = PerHour(f.events3.size(), f.validSeconds);
    f.odi4 = PerHour(f.events4.size(), f.validSeconds);
    f.pulseRises = PulseRises(rs, Baselines(rs, [](const Reading& r) { return r.pulse; }), step);
    f.pulseRisesPerHour = PerHour(f.pulseRises.size(), f.validSeconds);

    // Clock hours, from the one the recording starts in to the one it ends in.
    const auto hourOf = [&f](double seconds) {
        return static_cast<std::size_t>(std::floor(seconds / 3600) - std::floor(f.start / 3600));
    };
    const std::size_t hours = f.end - f.start <= kLongestNight ? hourOf(f.end - 1e-9) + 1 : 0;
    for (std::size_t h = 0; h < hours; ++h)
        f.hours.push_back({(std::floor(f.start / 3600) + static_cast<double>(h)) * 3600, 0, 0, 0});
    if (hours > 0) {
        for (const Reading& r : rs)
            if (r.spo2)
                f.hours[hourOf(r.seconds)].analysedSeconds += step;
        for (const Event& e : f.events3)
            ++f.hours[hourOf(e.start)].events3;
        for (const Event& e : f.events4)
            ++f.hours[hourOf(e.start)].events4;
    }

    f.hasWave = night.hasWave && findBeats;
    if (f.hasWave) {
        for (const Reading& r : rs)
            f.waveSeconds += r.waveCount > 0 ? 1 : 0;
        const std::vector<Beat> beats = DetectBeats(night);
        f.beats = beats.size();
        f.beatsPerHour = PerHour(beats.size(), f.waveSeconds);
        for (const Beat& b : beats)
            if (hours > 0 && b.time >= f.start && b.time < f.end)
                ++f.hours[hourOf(b.time)].beats;
        const BeatAgreement agreement = Agreement(night, beats);
        f.beatsCompared = agreement.compared;
        f.beatPulseDifference = agreement.medianDifference;
    }
    return f;
}

std::string ResolutionText(const Night& night)
{
    return night.step == kRowSeconds ? "1 s: a reading for every second, from the per-second file"
                                     : "5 s: a reading every five seconds, from the record file alone";
}

std::string RulesText()
{
    return Format("desaturation: SpO2 3 (ODI3) or 4 (ODI4) points or more below the baseline, for %.0f s or "
                  "more, until back within %d point of it; baseline: the mean SpO2 of the valid readings of the "
                  "%.0f s before; pulse rise: %d per minute or more above the mean pulse of the %.0f s before, "
                  "for %.0f s or more; rates per hour of analysed time",
                  kShortestDesaturation, kRecoveryPoints, kBaselineSeconds, kPulseRise, kBaselineSeconds,
                  kShortestPulseRise);
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
    text += Format("SpO2             mean %.1f %%, median %.1f %%, lowest %d %% at %s\n", f.spo2Mean, f.spo2Median,
                   f.spo2Min, MomentText(night, f.spo2MinAt).c_str());
    text += Format("Baseline         %.1f %% (median over the night; each event's baseline is the mean SpO2 of "
                   "the %.0f s before it)\n",
                   f.baselineMedian, kBaselineSeconds);
    for (std::size_t b = 0; b < f.bandSeconds.size(); ++b)
        text += Format("%s %6.1f min (%.1f %% of analysed time)\n", Padded("SpO2 " + BandName(b), 16).c_str(),
                       f.bandSeconds[b] / 60, share(f.bandSeconds[b]));
    text += Format("T90              %.1f min (%.1f %%): below 90 %%\n", f.below90Seconds / 60, share(f.below90Seconds));
    text += Format("T88              %.1f min (%.1f %%): at or below 88 %%\n", f.atOrBelow88Seconds / 60,
                   share(f.atOrBelow88Seconds));
    text += Format("ODI3             %.1f per hour (%zu events)\n", f.odi3, f.events3.size());
    text += Format("ODI4             %.1f per hour (%zu events)\n", f.odi4, f.events4.size());
    text += Format("Pulse            mean %.0f, lowest %d, highest %d per minute\n", f.pulseMean, f.pulseMin,
                   f.pulseMax);
    text += Format("Pulse rises      %.1f per hour (%zu events)\n", f.pulseRisesPerHour, f.pulseRises.size());
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
    for (const HourFigures& h : f.hours) {
        text += Format("%-16s %5.0f min  %11d  %6.1f  %11d  %6.1f", ClockText(h.start).substr(0, 5).c_str(),
                       h.analysedSeconds / 60, h.events3, PerHour(static_cast<std::size_t>(h.events3), h.analysedSeconds),
                       h.events4, PerHour(static_cast<std::size_t>(h.events4), h.analysedSeconds));
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
    // Both lists are in time order: one walk along the deep events.
    auto deepEvent = f.events4.begin();
    for (const Event& e : f.events3) {
        while (deepEvent != f.events4.end() && deepEvent->end <= e.start)
            ++deepEvent;
        const bool deep = deepEvent != f.events4.end() && deepEvent->start < e.end;
        text += Format("%s,%s,%.0f,%d,%d,%.1f,%s\r\n", MomentText(night, e.start).c_str(),
                       MomentText(night, e.end).c_str(), e.end - e.start, e.nadir, e.depth, e.baseline,
                       deep ? "yes" : "no");
    }
    return text;
}

NightRow RowOf(const std::string& name, const Night& night, const Figures& f)
{
    return {name,
            MomentText(night, f.start).substr(0, 10),
            f.validSeconds / 3600,
            f.spo2Mean,
            f.spo2Min,
            f.below90Seconds / 60,
            f.odi3,
            f.odi4,
            f.pulseMean};
}

std::string NightsTable(const std::vector<NightRow>& rows)
{
    std::string text = "Night       Analysed  SpO2 mean  lowest  T90 min  ODI3/h  ODI4/h  Pulse  File\n";
    for (const NightRow& r : rows)
        text += Format("%-10s  %6.1f h  %7.1f %%  %4d %%  %7.1f  %6.1f  %6.1f  %5.0f  %s\n", r.date.c_str(),
                       r.analysedHours, r.spo2Mean, r.spo2Min, r.t90Minutes, r.odi3, r.odi4, r.pulseMean,
                       r.name.c_str());
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
        text += Format("%s,%.2f,%.1f,%d,%.1f,%.1f,%.1f,%.0f,\"%s\"\r\n", r.date.c_str(), r.analysedHours, r.spo2Mean,
                       r.spo2Min, r.t90Minutes, r.odi3, r.odi4, r.pulseMean, name.c_str());
    }
    return text;
}

}  // namespace trelvo::report
