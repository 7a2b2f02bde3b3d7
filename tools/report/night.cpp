#include "tools/report/night.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <numeric>

namespace trelvo::report {
namespace {

bool Number(std::string_view s, int& value)
{
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    return !s.empty() && ec == std::errc() && end == s.data() + s.size();
}

// "14:03:25", "2:03:25 PM", "02:03:25 am": seconds since midnight.
std::optional<int> TimeOfDay(std::string_view t)
{
    int h = 0, m = 0, s = 0;
    const auto c1 = t.find(':');
    const auto c2 = t.find(':', c1 == std::string_view::npos ? 0 : c1 + 1);
    if (c1 == std::string_view::npos || c2 == std::string_view::npos || c2 + 3 > t.size())
        return std::nullopt;
    if (!Number(t.substr(0, c1), h) || !Number(t.substr(c1 + 1, c2 - c1 - 1), m) || !Number(t.substr(c2 + 1, 2), s))
        return std::nullopt;
    std::string rest(t.substr(c2 + 3));
    rest.erase(std::remove_if(rest.begin(), rest.end(), [](unsigned char c) { return std::isspace(c) || c == '.'; }),
               rest.end());
    std::transform(rest.begin(), rest.end(), rest.begin(), [](unsigned char c) { return std::tolower(c); });
    if (rest == "am" || rest == "pm") {
        if (h < 1 || h > 12)
            return std::nullopt;
        h = h % 12 + (rest == "pm" ? 12 : 0);
    } else if (!rest.empty()) {
        return std::nullopt;
    }
    if (h > 23 || m > 59 || s > 59)
        return std::nullopt;
    return h * 3600 + m * 60 + s;
}

std::optional<Reading> ParseLine(std::string_view line)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    if (line.substr(0, 2) != "S ")
        return std::nullopt;
    const auto p = line.find(" P ");
    const auto t = line.find(" T ", p == std::string_view::npos ? 0 : p);
    if (p == std::string_view::npos || t == std::string_view::npos)
        return std::nullopt;
    const std::string_view spo2 = line.substr(2, p - 2);
    const std::string_view pulse = line.substr(p + 3, t - p - 3);
    std::string_view rest = line.substr(t + 3);
    const auto blanks = rest.find("  ");
    const auto time = TimeOfDay(rest.substr(0, blanks));
    if (!time)
        return std::nullopt;

    Reading r;
    r.seconds = *time;
    int s = 0, q = 0;
    if (spo2 == "XX" && pulse == "XXX") {
        r.kind = Reading::Kind::NoData;
    } else if (spo2 == "--") {
        r.kind = Reading::Kind::ProbeOff;
    } else if (Number(spo2, s) && s >= 0 && s <= 100) {
        r.spo2 = s;
        if (Number(pulse, q) && q >= 0 && q <= 254)
            r.pulse = q;
    } else {
        return std::nullopt;
    }
    return r;
}

}  // namespace

Night ParseNight(std::string_view text)
{
    Night night;
    double day = 0;
    double previous = -1;
    std::size_t at = 0;
    while (at < text.size()) {
        auto end = text.find('\n', at);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = text.substr(at, end - at);
        at = end + 1;
        ++night.totalLines;
        if (line.empty() || line == "\r") {
            continue;
        }
        auto reading = ParseLine(line);
        if (!reading) {
            night.brokenLines.push_back(night.totalLines);
            continue;
        }
        if (previous >= 0 && reading->seconds + day < previous)
            day += 86400;  // past midnight
        reading->seconds += day;
        reading->lineNumber = night.totalLines;
        previous = reading->seconds;
        night.readings.push_back(*reading);
    }
    return night;
}

namespace {

std::vector<Event> Desaturations(const std::vector<Reading>& readings, int depth)
{
    std::vector<Event> events;
    std::size_t i = 0;
    while (i < readings.size()) {
        const Reading& r = readings[i];
        if (!r.spo2) {
            ++i;
            continue;
        }
        // Baseline: the mean of the valid values of the 120 s before this reading.
        double sum = 0;
        int count = 0;
        for (std::size_t j = i; j-- > 0 && readings[j].seconds >= r.seconds - 120;)
            if (readings[j].spo2) {
                sum += *readings[j].spo2;
                ++count;
            }
        if (count == 0 || *r.spo2 > sum / count - depth) {
            ++i;
            continue;
        }
        const double baseline = sum / count;
        Event e{r.seconds, r.seconds, 0};
        std::size_t k = i;
        while (k < readings.size() && readings[k].spo2 && *readings[k].spo2 < baseline - 1) {
            e.depth = std::max(e.depth, static_cast<int>(std::floor(baseline - *readings[k].spo2 + 1e-9)));
            e.end = readings[k].seconds + kLineSeconds;
            ++k;
        }
        if (e.end - e.start >= 10)
            events.push_back(e);
        i = std::max(k, i + 1);
    }
    return events;
}

}  // namespace

std::optional<Figures> Analyse(const Night& night)
{
    const auto& rs = night.readings;
    if (rs.empty())
        return std::nullopt;
    Figures f;
    f.start = rs.front().seconds;
    f.end = rs.back().seconds + kLineSeconds;
    std::vector<int> spo2, pulse;
    for (std::size_t i = 0; i < rs.size(); ++i) {
        const Reading& r = rs[i];
        if (r.kind == Reading::Kind::NoData)
            f.noDataSeconds += kLineSeconds;
        if (r.kind == Reading::Kind::ProbeOff)
            f.probeOffSeconds += kLineSeconds;
        // Time the program did not record at all counts as time without data.
        if (i + 1 < rs.size() && rs[i + 1].seconds - r.seconds > 1.5 * kLineSeconds)
            f.noDataSeconds += rs[i + 1].seconds - r.seconds - kLineSeconds;
        if (!r.spo2)
            continue;
        spo2.push_back(*r.spo2);
        if (spo2.size() == 1 || *r.spo2 < f.spo2Min) {
            f.spo2Min = *r.spo2;
            f.spo2MinAt = r.seconds;
        }
        f.below90Seconds += *r.spo2 < 90 ? kLineSeconds : 0;
        f.below88Seconds += *r.spo2 < 88 ? kLineSeconds : 0;
        if (r.pulse)
            pulse.push_back(*r.pulse);
    }
    f.validShare = static_cast<double>(spo2.size()) / static_cast<double>(rs.size());
    f.validSeconds = static_cast<double>(spo2.size()) * kLineSeconds;
    if (!spo2.empty())
        f.spo2Mean = std::accumulate(spo2.begin(), spo2.end(), 0.0) / static_cast<double>(spo2.size());
    if (!pulse.empty()) {
        f.pulseMean = std::accumulate(pulse.begin(), pulse.end(), 0.0) / static_cast<double>(pulse.size());
        f.pulseMin = *std::min_element(pulse.begin(), pulse.end());
        f.pulseMax = *std::max_element(pulse.begin(), pulse.end());
    }
    f.events3 = Desaturations(rs, 3);
    f.events4 = Desaturations(rs, 4);
    const double hours = f.validSeconds / 3600.0;
    f.odi3 = hours > 0 ? static_cast<double>(f.events3.size()) / hours : 0;
    f.odi4 = hours > 0 ? static_cast<double>(f.events4.size()) / hours : 0;
    return f;
}

std::string ClockText(double seconds)
{
    const long s = std::lround(seconds) % 86400;
    char text[16];
    std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
    return text;
}

std::string DurationText(double seconds)
{
    const long minutes = std::lround(seconds / 60);
    char text[32];
    std::snprintf(text, sizeof text, "%ld h %02ld min", minutes / 60, minutes % 60);
    return text;
}

std::string SummaryText(const std::string& fileName, const Night& night, const Figures& f)
{
    char buffer[2048];
    const auto share = [&](double s) { return f.validSeconds > 0 ? 100.0 * s / f.validSeconds : 0.0; };
    std::snprintf(buffer, sizeof buffer,
                  "Record file      %s\n"
                  "Recorded         %s to %s (%s)\n"
                  "Valid readings   %.1f %% of %zu lines\n"
                  "SpO2             mean %.1f %%, lowest %d %% at %s\n"
                  "Below 90 %%       %.1f min (%.1f %% of valid time)\n"
                  "Below 88 %%       %.1f min (%.1f %% of valid time)\n"
                  "ODI3             %.1f per hour (%zu events)\n"
                  "ODI4             %.1f per hour (%zu events)\n"
                  "Pulse            mean %.0f, lowest %d, highest %d per minute\n"
                  "No data          %.1f min, probe off %.1f min\n",
                  fileName.c_str(), ClockText(f.start).c_str(), ClockText(f.end).c_str(),
                  DurationText(f.end - f.start).c_str(), 100.0 * f.validShare, night.readings.size(), f.spo2Mean,
                  f.spo2Min, ClockText(f.spo2MinAt).c_str(), f.below90Seconds / 60, share(f.below90Seconds),
                  f.below88Seconds / 60, share(f.below88Seconds), f.odi3, f.events3.size(), f.odi4, f.events4.size(),
                  f.pulseMean, f.pulseMin, f.pulseMax, f.noDataSeconds / 60, f.probeOffSeconds / 60);
    std::string text = buffer;
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

}  // namespace trelvo::report
