#include "report/night/night.h"

#include "lang/string_table.h"
#include "recording/per_second_file.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace trelvo::report {
namespace {

// Plain decimal digits only: no sign, no blanks.
bool Number(std::string_view s, int& value)
{
    if (s.empty() || s.front() < '0' || s.front() > '9')
        return false;
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

// The status field's "no finger" text, in any of the program's languages.
bool IsNoSignalText(std::string_view status)
{
    for (const lang::Language& language : lang::Languages())
        if (status == lang::Text(language.base, lang::text::kNoSignal))
            return true;
    return false;
}

// Hands each line of the text to take, without its end, counting the lines in
// night.totalLines: both readers go through their files this way. A line ends in CR LF, LF or
// CR alone (as an old editor may save it). The next CR and the next LF are each searched for once
// and kept until passed: a file of one kind of line end is not searched again for the other at
// every line.
template <class Take>
void ForEachLine(std::string_view text, Night& night, Take take)
{
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const auto next = [end](const char* from, char c) {
        const void* found = std::memchr(from, c, static_cast<std::size_t>(end - from));
        return found ? static_cast<const char*>(found) : end;
    };
    const char* cr = next(begin, '\r');
    const char* lf = next(begin, '\n');
    for (const char* at = begin; at < end;) {
        if (cr < at)
            cr = next(at, '\r');
        if (lf < at)
            lf = next(at, '\n');
        const char* lineEnd = std::min(cr, lf);
        const std::string_view line(at, static_cast<std::size_t>(lineEnd - at));
        at = lineEnd == end ? end : lineEnd + (lineEnd == cr && cr + 1 == lf ? 2 : 1);
        ++night.totalLines;
        take(line);
    }
}

// Room in night for as many readings as the text holds lines of this one's length (the first that
// reads), and no more than a night can hold: a night's readings are not moved as they grow, and a
// file of other things never asks for room.
void MakeRoom(Night& night, std::string_view text, std::string_view line)
{
    if (night.readings.capacity() == 0)
        night.readings.reserve(
            std::min(text.size() / line.size() * 5 / 4 + 1, static_cast<std::size_t>(kLongestNight / night.step) + 1));
}

// The line into r; false when it does not read.
bool ParseLine(std::string_view line, Entry& r)
{
    if (line.substr(0, 2) != "S ")
        return false;
    const auto p = line.find(" P ");
    const auto t = line.find(" T ", p == std::string_view::npos ? 0 : p);
    if (p == std::string_view::npos || t == std::string_view::npos)
        return false;
    const std::string_view spo2 = line.substr(2, p - 2);
    const std::string_view pulse = line.substr(p + 3, t - p - 3);
    std::string_view rest = line.substr(t + 3);
    const auto blanks = rest.find("  ");
    const auto time = TimeOfDay(rest.substr(0, blanks));
    if (!time)
        return false;

    r = Entry();
    r.seconds = *time;
    int s = 0, q = 0;
    if (spo2 == "XX" && pulse == "XXX") {
        r.kind = Entry::Kind::NoData;
    } else if (spo2 == "--") {
        r.kind = IsNoSignalText(blanks == std::string_view::npos ? std::string_view() : rest.substr(blanks + 2))
                     ? Entry::Kind::NoSignal
                     : Entry::Kind::ProbeOff;
    } else if (Number(spo2, s) && s >= 0 && s <= 100) {
        r.spo2 = s;
        if (Number(pulse, q) && q >= 0 && q <= 254)
            r.pulse = q;
    } else {
        return false;
    }
    return true;
}

}  // namespace

Night ParseNight(std::string_view text)
{
    Night night;
    double day = 0;
    double previous = -1;
    ForEachLine(text, night, [&](std::string_view line) {
        if (line.empty())
            return;
        Entry reading;
        if (!ParseLine(line, reading)) {
            if (++night.brokenCount <= static_cast<int>(Night::kKeptBrokenLines))
                night.brokenLines.push_back(night.totalLines);
            return;
        }
        MakeRoom(night, text, line);
        if (previous >= 0 && reading.seconds + day < previous)
            day += 86400;  // past midnight
        reading.seconds += day;
        reading.lineNumber = night.totalLines;
        previous = reading.seconds;
        // Each second once (a line written twice), and no more than a span too long to be a night
        // shows: memory stays that of a night whatever the file holds.
        if (!night.readings.empty() && (reading.seconds < night.readings.back().seconds + night.step ||
                                        night.readings.back().seconds - night.readings.front().seconds > kLongestNight))
            return;
        night.readings.push_back(reading);
    });
    CountEachSecondOnce(night);
    return night;
}

bool IsPerSecondFile(std::string_view text)
{
    return recording::IsPerSecondStart(text);
}

namespace {

// The rows' times on one axis: seconds since the local midnight of the first row. The days of a
// date are worked out once for the date the rows share (a night has one or two).
class RowClock {
public:
    // The second of the axis for a row's local date, time of day and UTC offset.
    double Seconds(const recording::RowRead& row)
    {
        const std::int64_t epoch = DaysOf({row.year, row.month, row.day}) * 86400 + row.secondOfDay - row.utcOffset;
        if (!m_midnight)
            m_midnight = epoch - row.secondOfDay;
        return static_cast<double>(epoch - *m_midnight);
    }

private:
    std::int64_t DaysOf(CivilDate date)
    {
        if (!(date == m_date)) {
            m_date = date;
            m_days = DaysFromCivil(date);
        }
        return m_days;
    }
    std::optional<std::int64_t> m_midnight;  // of the first row
    CivilDate m_date{0, 0, 0};
    std::int64_t m_days = 0;
};

// The row into r; false when it does not read. wave: where the row's wave samples go, or null
// when they are only checked. date: the row's.
bool ParseRow(std::string_view row, RowClock& clock, CivilDate& date, std::vector<std::uint8_t>* wave, Entry& r)
{
    const std::uint32_t waveBegin = wave ? static_cast<std::uint32_t>(wave->size()) : 0;
    const auto read = wave ? recording::ReadPerSecondRow(row, *wave) : recording::ReadPerSecondRow(row);
    if (!read)
        return false;
    date = {read->year, read->month, read->day};
    r = Entry();
    r.utcOffset = read->utcOffset;
    r.seconds = clock.Seconds(*read);
    switch (read->status) {
    case recording::RowStatus::Ok: r.kind = read->spo2 ? Entry::Kind::Valid : Entry::Kind::ProbeOff; break;
    case recording::RowStatus::NoData: r.kind = Entry::Kind::NoData; break;
    case recording::RowStatus::NoSignal: r.kind = Entry::Kind::NoSignal; break;
    case recording::RowStatus::NoProbe:
    case recording::RowStatus::Other: r.kind = Entry::Kind::ProbeOff; break;
    }
    if (r.kind == Entry::Kind::Valid) {
        r.spo2 = read->spo2;
        r.pulse = read->pulse;
    }
    if (wave) {
        r.waveBegin = waveBegin;
        r.waveCount = static_cast<std::uint32_t>(wave->size() - waveBegin);
    }
    return true;
}

}  // namespace

Night ParsePerSecondFile(std::string_view text, bool keepWave)
{
    Night night;
    night.step = kRowSeconds;
    RowClock clock;
    std::optional<std::pair<double, double>> span;  // the earliest and latest second so far
    bool ordered = true;
    ForEachLine(text, night, [&](std::string_view line) {
        if (night.totalLines == 1) {
            night.hasWave = line == recording::kPerSecondHeader;
            return;  // the header row
        }
        if (line.empty())
            return;
        CivilDate date;
        Entry reading;
        if (!ParseRow(line, clock, date, keepWave ? &night.wave : nullptr, reading)) {
            if (++night.brokenCount <= static_cast<int>(Night::kKeptBrokenLines))
                night.brokenLines.push_back(night.totalLines);
            return;
        }
        MakeRoom(night, text, line);
        if (!night.date)
            night.date = date;
        reading.lineNumber = night.totalLines;
        // As in a record file: an instant told again right after itself counts once, and rows
        // beyond a span no night has are not kept.
        if (!night.readings.empty() && night.readings.back().seconds == reading.seconds)
            return;
        if (span && span->second - span->first > kLongestNight)
            return;
        span = span ? std::pair(std::min(span->first, reading.seconds), std::max(span->second, reading.seconds))
                    : std::pair(reading.seconds, reading.seconds);
        ordered = ordered && (night.readings.empty() || night.readings.back().seconds < reading.seconds);
        night.readings.push_back(reading);
    });
    if (!ordered)
        CountEachSecondOnce(night);
    night.hasOffsets = true;
    for (std::size_t i = 1; i < night.readings.size(); ++i)
        if (night.readings[i].utcOffset != night.readings[i - 1].utcOffset)
            night.offsetChanges.emplace_back(night.readings[i].seconds, night.readings[i].utcOffset);
    return night;
}

void CountEachSecondOnce(Night& night)
{
    auto& rs = night.readings;
    const bool ordered =
        std::is_sorted(rs.begin(), rs.end(), [](const Entry& a, const Entry& b) { return a.seconds < b.seconds; });
    if (!ordered)
        std::stable_sort(rs.begin(), rs.end(), [](const Entry& a, const Entry& b) { return a.seconds < b.seconds; });
    std::size_t kept = 0;
    for (std::size_t i = 0; i < rs.size(); ++i)
        if (kept == 0 || rs[i].seconds >= rs[kept - 1].seconds + night.step - 1e-9)
            rs[kept++] = rs[i];
    rs.resize(kept);
}

std::string SpanProblem(const Night& night)
{
    if (night.readings.empty())
        return {};
    const double span = night.readings.back().seconds - night.readings.front().seconds;
    if (span <= kLongestNight)
        return {};
    return "its times span " + std::to_string(std::lround(span / 86400)) +
           " days, and no night is longer than 7: a time in it is wrong";
}

std::int32_t OffsetAt(const Night& night, double seconds)
{
    if (night.readings.empty())
        return 0;
    const auto change = std::upper_bound(night.offsetChanges.begin(), night.offsetChanges.end(), seconds,
                                         [](double t, const auto& c) { return t < c.first; });
    return change == night.offsetChanges.begin() ? night.readings.front().utcOffset : std::prev(change)->second;
}

double LocalSeconds(const Night& night, double seconds)
{
    if (night.offsetChanges.empty())
        return seconds;
    return seconds + OffsetAt(night, seconds) - night.readings.front().utcOffset;
}

std::string ClockAt(const Night& night, double seconds)
{
    return ClockText(LocalSeconds(night, seconds));
}

std::string MomentText(const Night& night, double seconds)
{
    const double local = LocalSeconds(night, seconds);
    if (!night.date)
        return ClockText(local);
    const auto whole = static_cast<std::int64_t>(std::floor(local));
    const std::int64_t day = (whole >= 0 ? whole : whole - 86399) / 86400;
    return DateText(CivilFromDays(DaysFromCivil(*night.date) + day)) + " " +
           ClockText(static_cast<double>(whole - day * 86400));
}

namespace {

std::string OffsetText(std::int32_t offset)
{
    char text[16];
    const std::int32_t minutes = (offset < 0 ? -offset : offset) / 60;
    std::snprintf(text, sizeof text, "%c%02d:%02d", offset < 0 ? '-' : '+', minutes / 60, minutes % 60);
    return text;
}

}  // namespace

std::string IsoMomentText(const Night& night, double seconds)
{
    std::string text = MomentText(night, seconds);
    if (text.size() > 10 && text[10] == ' ')
        text[10] = 'T';
    if (night.hasOffsets && !night.readings.empty())
        text += OffsetText(OffsetAt(night, seconds));
    return text;
}

std::vector<std::string> HourTexts(const Night& night, const std::vector<double>& hourStarts)
{
    std::vector<std::string> texts;
    for (const double start : hourStarts)
        texts.push_back(ClockAt(night, start).substr(0, 5));
    if (night.offsetChanges.empty())
        return texts;
    std::vector<std::string> told = texts;
    for (std::size_t i = 0; i < texts.size(); ++i)
        if (std::count(texts.begin(), texts.end(), texts[i]) > 1)
            told[i] += " (" + OffsetText(OffsetAt(night, hourStarts[i])) + ")";
    return told;
}

}  // namespace trelvo::report
