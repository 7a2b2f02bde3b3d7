#include "report/analysis/figures.h"

#include "report/analysis/beats.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <iterator>
#include <numeric>
#include <string_view>

namespace trelvo::report {
namespace {

// For every reading, the mean of the valid values of the kBaselineSeconds before it (the reading
// itself not included); nothing where there are none.
// (value: what of a reading, as a lambda: called twice for every reading of a night.)
template <class Value>
std::vector<std::optional<double>> Baselines(const std::vector<Entry>& rs, const Value& value)
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

// One shape for both kinds of event. An event begins at a valid reading `enter` or more away from
// the baseline it has there (below it for SpO2, above it for the pulse) and lasts while the
// readings stay valid, follow each other without a second missing, and stay away from that
// baseline as `lasts` says; it counts when it holds at least `shortest` seconds of consecutive
// readings `enter` or more away. away(value, baseline) says how far, in the event's direction.
// A second told twice (the clock was set back) is held by its later reading, as everywhere in
// the report: the earlier one is passed over.
bool Holds(const std::vector<Entry>& rs, std::size_t k)
{
    return k + 1 == rs.size() || rs[k + 1].seconds != rs[k].seconds;
}

struct Found {
    std::size_t first = 0, last = 0;  // its readings
    double baseline = 0;
};

template <class Value, class Away, class Lasts>
std::vector<Found> FindEvents(const std::vector<Entry>& rs, const std::vector<std::optional<double>>& baselines,
                              const Value& value, Away away, double enter, Lasts lasts, double shortest, double step)
{
    std::vector<Found> found;
    std::size_t i = 0;
    while (i < rs.size()) {
        const auto v = value(rs[i]);
        if (!Holds(rs, i) || !v || !baselines[i] || away(*v, *baselines[i]) < enter) {
            ++i;
            continue;
        }
        const double baseline = *baselines[i];
        // The time of the run of readings enter or more away, by the clock. A plain pair: GCC's
        // -O3 takes an optional for uninitialised here.
        bool inRun = false;
        double runStart = 0, longest = 0, previous = rs[i].seconds;
        std::size_t k = i, last = i;
        for (; k < rs.size(); ++k) {
            if (!Holds(rs, k))
                continue;
            const auto w = value(rs[k]);
            const bool joined = rs[k].seconds - previous <= 1.5 * step;
            if (!w || !joined || !lasts(away(*w, baseline)))
                break;
            previous = rs[k].seconds;
            last = k;
            if (away(*w, baseline) < enter) {
                inRun = false;
                continue;
            }
            if (!inRun)
                runStart = rs[k].seconds;
            inRun = true;
            longest = std::max(longest, rs[k].seconds + step - runStart);
        }
        if (longest >= shortest - 1e-9)
            found.push_back({i, last, baseline});
        i = std::max(k, i + 1);
    }
    return found;
}

std::vector<Event> Desaturations(const std::vector<Entry>& rs, const std::vector<std::optional<double>>& baselines,
                                 double step)
{
    const auto below = [](int v, double baseline) { return baseline - v; };
    // Back within kRecoveryPoints of the baseline ends it.
    const auto lasts = [](double points) { return points > kRecoveryPoints + 1e-9; };
    std::vector<Event> events;
    for (const Found& f : FindEvents(
             rs, baselines, [](const Entry& r) { return r.spo2; }, below, kDesaturationPoints - 1e-9, lasts,
             kShortestDesaturation, step)) {
        Event e{rs[f.first].seconds, rs[f.last].seconds + step, 0, *rs[f.first].spo2, f.baseline};
        for (std::size_t k = f.first; k <= f.last; ++k)
            if (Holds(rs, k)) {
                e.depth = std::max(e.depth, f.baseline - *rs[k].spo2);
                e.nadir = std::min(e.nadir, *rs[k].spo2);
            }
        events.push_back(e);
    }
    return events;
}

std::vector<PulseRise> PulseRises(const std::vector<Entry>& rs, const std::vector<std::optional<double>>& baselines,
                                  double step)
{
    const auto above = [](int v, double baseline) { return v - baseline; };
    const auto lasts = [](double beats) { return beats >= kPulseRise - 1e-9; };
    std::vector<PulseRise> rises;
    for (const Found& f : FindEvents(
             rs, baselines, [](const Entry& r) { return r.pulse; }, above, kPulseRise - 1e-9, lasts, kShortestPulseRise,
             step)) {
        PulseRise rise{rs[f.first].seconds, rs[f.last].seconds + step, *rs[f.first].pulse, f.baseline};
        for (std::size_t k = f.first; k <= f.last; ++k)
            if (Holds(rs, k))
                rise.peak = std::max(rise.peak, *rs[k].pulse);
        rises.push_back(rise);
    }
    return rises;
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

}  // namespace

namespace {

// The clock hour a second of the night falls in, counted from the one the recording starts in.
std::size_t HourOf(const Figures& f, double seconds)
{
    return static_cast<std::size_t>(std::floor(seconds / 3600) - std::floor(f.start / 3600));
}

// Clock hours, from the one the recording starts in to the one it ends in: each one's analysed
// time and events.
void CountHours(const Night& night, Figures& f)
{
    const std::size_t hours = f.end - f.start <= kLongestNight ? HourOf(f, f.end - 1e-9) + 1 : 0;
    for (std::size_t h = 0; h < hours; ++h)
        f.hours.push_back({(std::floor(f.start / 3600) + static_cast<double>(h)) * 3600, 0, 0, 0});
    if (hours == 0)
        return;
    for (const Entry& r : night.readings)
        if (r.spo2)
            f.hours[HourOf(f, r.seconds)].analysedSeconds += night.step;
    for (const Event& e : f.events3)
        ++f.hours[HourOf(f, e.start)].events3;
    for (const Event& e : f.events4)
        ++f.hours[HourOf(f, e.start)].events4;
}

// The beats in the wave, their rate, and how they agree with the unit's pulse.
void CountBeats(const Night& night, Figures& f)
{
    f.hasWave = true;
    for (const Entry& r : night.readings)
        f.waveSeconds += r.waveCount > 0 ? 1 : 0;
    const std::vector<Beat> beats = DetectBeats(night);
    f.beats = beats.size();
    f.beatsPerHour = PerHour(beats.size(), f.waveSeconds);
    for (const Beat& b : beats)
        if (!f.hours.empty() && b.time >= f.start && b.time < f.end)
            ++f.hours[HourOf(f, b.time)].beats;
    const BeatAgreement agreement = Agreement(night, beats);
    f.beatsCompared = agreement.compared;
    f.beatPulseDifference = agreement.medianDifference;
}

}  // namespace

namespace {

// The night as its figures are counted: every reading in a marked stretch blanked and marked.
Night WithoutMarked(const Night& night, const std::vector<Stretch>& marked, std::vector<std::string>& reasons)
{
    Night copy = night;
    for (const Stretch& s : marked) {
        bool any = false;
        auto r = std::lower_bound(copy.readings.begin(), copy.readings.end(), s.from - copy.step + 1e-9,
                                  [](const Entry& e, double t) { return e.seconds < t; });
        for (; r != copy.readings.end() && r->seconds < s.to; ++r) {
            // A reading stands for its step: it is marked when most of that lies in the stretch.
            const double inside = std::min(r->seconds + copy.step, s.to) - std::max(r->seconds, s.from);
            if (inside * 2 < copy.step)
                continue;
            r->kind = Entry::Kind::Marked;
            r->spo2.reset();
            r->pulse.reset();
            r->waveCount = 0;
            any = true;
        }
        if (any && std::find(reasons.begin(), reasons.end(), s.reason) == reasons.end())
            reasons.push_back(s.reason);
    }
    return copy;
}

}  // namespace

std::optional<Figures> Analyse(const Night& original, bool findBeats)
{
    const std::vector<Stretch>& marked = original.marked;
    std::vector<std::string> reasons;
    const std::optional<Night> blanked =
        marked.empty() ? std::nullopt : std::optional<Night>(WithoutMarked(original, marked, reasons));
    const Night& night = blanked ? *blanked : original;
    const auto& rs = night.readings;
    if (rs.empty())
        return std::nullopt;
    const double step = night.step;
    Figures f;
    f.markedReasons = std::move(reasons);
    f.start = rs.front().seconds;
    f.end = rs.back().seconds + step;
    std::vector<double> spo2, pulse;
    for (std::size_t i = 0; i < rs.size(); ++i) {
        const Entry& r = rs[i];
        switch (r.kind) {
        case Entry::Kind::NoData: f.noDataSeconds += step; break;
        case Entry::Kind::ProbeOff: f.probeOffSeconds += step; break;
        case Entry::Kind::NoSignal: f.noSignalSeconds += step; break;
        case Entry::Kind::Marked: f.markedSeconds += step; break;
        case Entry::Kind::Valid: break;
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
    f.hasPulse = !pulse.empty();
    if (!pulse.empty()) {
        f.pulseMean = std::accumulate(pulse.begin(), pulse.end(), 0.0) / static_cast<double>(pulse.size());
        f.pulseMin = static_cast<int>(*std::min_element(pulse.begin(), pulse.end()));
        f.pulseMax = static_cast<int>(*std::max_element(pulse.begin(), pulse.end()));
    }

    const auto spo2Baselines = Baselines(rs, [](const Entry& r) { return r.spo2; });
    std::vector<double> used;
    for (std::size_t i = 0; i < rs.size(); ++i)
        if (rs[i].spo2 && spo2Baselines[i])
            used.push_back(*spo2Baselines[i]);
    if (!used.empty())
        f.baselineMedian = Median(used);
    f.events3 = Desaturations(rs, spo2Baselines, step);
    // ODI4 counts the desaturations that reach 4 points below their baseline: each is one of ODI3's.
    std::copy_if(f.events3.begin(), f.events3.end(), std::back_inserter(f.events4),
                 [](const Event& e) { return e.depth >= kDeepDesaturationPoints - 1e-9; });
    f.odi3 = PerHour(f.events3.size(), f.validSeconds);
    f.odi4 = PerHour(f.events4.size(), f.validSeconds);
    f.pulseRises = PulseRises(rs, Baselines(rs, [](const Entry& r) { return r.pulse; }), step);
    f.pulseRisesPerHour = PerHour(f.pulseRises.size(), f.validSeconds);

    CountHours(night, f);
    if (night.hasWave && findBeats)
        CountBeats(night, f);
    return f;
}

double PerHour(std::size_t count, double seconds)
{
    return seconds > 0 ? static_cast<double>(count) / (seconds / 3600) : 0;
}

NightRow RowOf(const std::string& name, const Night& night, const Figures& f)
{
    NightRow row;
    row.name = name;
    row.date = MomentText(night, f.start).substr(0, 10);
    row.analysedHours = f.validSeconds / 3600;
    row.t90Minutes = f.below90Seconds / 60;
    if (f.validSeconds > 0) {
        row.spo2Mean = f.spo2Mean;
        row.spo2Min = f.spo2Min;
        row.odi3 = f.odi3;
        row.odi4 = f.odi4;
    }
    if (f.hasPulse)
        row.pulseMean = f.pulseMean;
    row.start = ClockAt(night, f.start).substr(0, 5);
    row.end = ClockAt(night, f.end).substr(0, 5);
    row.recordingHours = (f.end - f.start) / 3600;
    row.t88Minutes = f.atOrBelow88Seconds / 60;
    row.step = night.step;
    row.hasWave = night.hasWave;
    return row;
}

bool CountedInMeans(const NightRow& row)
{
    return row.analysedHours >= kShortestCountedHours;
}

namespace {

// Each figure of the nights counted in the means, summed up one way (their mean or median).
NightsMeans Summed(const std::vector<NightRow>& rows,
                   const std::function<std::optional<double>(std::vector<double>)>& sum)
{
    NightsMeans means;
    std::vector<const NightRow*> counted;
    for (const NightRow& r : rows)
        if (CountedInMeans(r))
            counted.push_back(&r);
    means.counted = counted.size();
    const auto of = [&](auto value) -> std::optional<double> {
        std::vector<double> values;
        for (const NightRow* r : counted)
            if (const std::optional<double> v = value(*r))
                values.push_back(*v);
        return values.empty() ? std::nullopt : sum(std::move(values));
    };
    means.recordingHours = of([](const NightRow& r) { return std::optional(r.recordingHours); });
    means.analysedHours = of([](const NightRow& r) { return std::optional(r.analysedHours); });
    means.spo2Mean = of([](const NightRow& r) { return r.spo2Mean; });
    means.spo2Min = of([](const NightRow& r) { return r.spo2Min ? std::optional<double>(*r.spo2Min) : std::nullopt; });
    means.t90Minutes = of([](const NightRow& r) { return std::optional(r.t90Minutes); });
    means.t88Minutes = of([](const NightRow& r) { return std::optional(r.t88Minutes); });
    means.odi3 = of([](const NightRow& r) { return r.odi3; });
    means.odi4 = of([](const NightRow& r) { return r.odi4; });
    means.pulseMean = of([](const NightRow& r) { return r.pulseMean; });
    return means;
}

}  // namespace

NightsMeans MeansOf(const std::vector<NightRow>& rows)
{
    return Summed(rows, [](std::vector<double> values) -> std::optional<double> {
        double total = 0;
        for (const double v : values)
            total += v;
        return total / static_cast<double>(values.size());
    });
}

NightsMeans MediansOf(const std::vector<NightRow>& rows)
{
    return Summed(rows, [](std::vector<double> values) -> std::optional<double> {
        std::sort(values.begin(), values.end());
        const std::size_t n = values.size();
        return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    });
}

}  // namespace trelvo::report
