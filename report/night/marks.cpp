#include "report/night/marks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace trelvo::report {
namespace {

std::string Escaped(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c != '\r')
            out += c;
    }
    return out;
}

std::optional<std::string> Unescaped(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size())
            return std::nullopt;
        if (text[i] == 'n')
            out += '\n';
        else if (text[i] == '\\')
            out += '\\';
        else
            return std::nullopt;
    }
    return out;
}

std::string_view Trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

std::string MomentOf(CivilDate date, int clock)
{
    char text[32];
    std::snprintf(text, sizeof text, "%s %02d:%02d:%02d", DateText(date).c_str(), clock / 3600, clock / 60 % 60,
                  clock % 60);
    return text;
}

// "2026-12-07 23:10:00"
std::optional<std::pair<CivilDate, int>> ParseMoment(std::string_view text)
{
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    char rest = 0;
    const std::string copy(text);
    if (std::sscanf(copy.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &y, &mo, &d, &h, &mi, &s, &rest) != 6 ||
        copy.size() != 19)
        return std::nullopt;
    const CivilDate date{y, mo, d};
    if (mo < 1 || mo > 12 || d < 1 || d > 31 || CivilFromDays(DaysFromCivil(date)) != date || h > 23 || mi > 59 ||
        s > 59)
        return std::nullopt;
    return std::pair{date, h * 3600 + mi * 60 + s};
}

}  // namespace

std::string NotesText(const NightNotes& notes)
{
    std::string text = "# The notes and marks of a night, written by trelvo: see its README.\n";
    text += "trelvo-notes: " + std::to_string(kNotesVersion) + "\n";
    if (!notes.note.empty())
        text += "note: " + Escaped(notes.note) + "\n";
    if (!notes.tags.empty()) {
        text += "tags: ";
        for (std::size_t i = 0; i < notes.tags.size(); ++i)
            text += (i ? ", " : "") + notes.tags[i];
        text += "\n";
    }
    for (const MarkedStretch& m : notes.marks) {
        // The reason is all that follows the second bar, bars included.
        text += "exclude: " + MomentOf(m.fromDate, m.fromClock) + " | " + MomentOf(m.toDate, m.toClock) + " | " +
                Escaped(m.reason) + "\n";
    }
    return text;
}

NotesParse ParseNotes(std::string_view text)
{
    NightNotes notes;
    bool versioned = false;
    int number = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = Trimmed(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++number;
        if (line.empty() || line.front() == '#')
            continue;
        const std::size_t colon = line.find(':');
        // A file that does not begin with the version line is not ours (or from a later version).
        if (colon == std::string_view::npos)
            return {std::nullopt, versioned ? number : 0};
        const std::string_view key = line.substr(0, colon), value = Trimmed(line.substr(colon + 1));
        if (!versioned) {
            if (key != "trelvo-notes" || value != std::to_string(kNotesVersion))
                return {std::nullopt, 0};
            versioned = true;
        } else if (key == "note" && notes.note.empty()) {
            const auto note = Unescaped(value);
            if (!note)
                return {std::nullopt, number};
            notes.note = *note;
        } else if (key == "tags" && notes.tags.empty()) {
            for (std::string_view rest = value; !rest.empty();) {
                const std::size_t comma = rest.find(',');
                const std::string_view tag = Trimmed(rest.substr(0, comma));
                rest.remove_prefix(comma == std::string_view::npos ? rest.size() : comma + 1);
                if (std::find(std::begin(kKnownTags), std::end(kKnownTags), tag) == std::end(kKnownTags))
                    return {std::nullopt, number};
                notes.tags.emplace_back(tag);
            }
        } else if (key == "exclude") {
            const std::size_t bar1 = value.find('|'), bar2 = value.find('|', bar1 + 1);
            if (bar1 == std::string_view::npos || bar2 == std::string_view::npos)
                return {std::nullopt, number};
            const auto from = ParseMoment(Trimmed(value.substr(0, bar1)));
            const auto to = ParseMoment(Trimmed(value.substr(bar1 + 1, bar2 - bar1 - 1)));
            const auto reason = Unescaped(Trimmed(value.substr(bar2 + 1)));
            if (!from || !to || !reason ||
                DaysFromCivil(to->first) * 86400 + to->second <= DaysFromCivil(from->first) * 86400 + from->second)
                return {std::nullopt, number};
            notes.marks.push_back({from->first, to->first, from->second, to->second, *reason});
        } else {
            return {std::nullopt, number};
        }
    }
    if (!versioned)
        return {std::nullopt, 0};
    return {std::move(notes), 0};
}

std::vector<Stretch> StretchesOf(const NightNotes& notes, CivilDate firstDay)
{
    const std::int64_t first = DaysFromCivil(firstDay);
    std::vector<Stretch> stretches;
    for (const MarkedStretch& m : notes.marks)
        stretches.push_back({static_cast<double>((DaysFromCivil(m.fromDate) - first) * 86400 + m.fromClock),
                             static_cast<double>((DaysFromCivil(m.toDate) - first) * 86400 + m.toClock), m.reason});
    return stretches;
}

MarkedStretch MarkOf(const Stretch& stretch, CivilDate firstDay)
{
    const std::int64_t first = DaysFromCivil(firstDay);
    const auto at = [&](double seconds) {
        const auto s = static_cast<std::int64_t>(std::floor(seconds));
        const std::int64_t day = s >= 0 ? s / 86400 : (s - 86399) / 86400;
        return std::pair{CivilFromDays(first + day), static_cast<int>(s - day * 86400)};
    };
    const auto [fromDate, fromClock] = at(stretch.from);
    const auto [toDate, toClock] = at(stretch.to);
    return {fromDate, toDate, fromClock, toClock, stretch.reason};
}

void Attach(Night& night, const NightNotes& notes)
{
    night.note = notes.note;
    night.tags = notes.tags;
    night.marked = night.date ? StretchesOf(notes, *night.date) : std::vector<Stretch>{};
}

NightNotes NotesOf(const Night& night)
{
    NightNotes notes{night.note, night.tags, {}};
    if (night.date)
        for (const Stretch& s : night.marked)
            notes.marks.push_back(MarkOf(s, *night.date));
    return notes;
}

}  // namespace trelvo::report
