#pragma once

#include "report/night/clock_text.h"
#include "report/night/night.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trelvo::report {

// What a person wrote of a night: a note, a few tags, and stretches marked as not to be counted
// (the probe slipped, the unit was taken off), each with its reason. These are the person's own
// records: kept in a small text file beside the night's files, never a cache, and they never
// change the recorded files. The file, line by line (UTF-8, lines end in LF or CR LF):
//
//   # any line starting with # is a comment
//   trelvo-notes: 1
//   note: Slept badly.\nWoke at 3.            (one line; \n is a new line, \\ a backslash)
//   tags: oxygen, cpap                        (any of kKnownTags, comma-separated)
//   exclude: 2026-12-07 23:10:00 | 2026-12-07 23:22:00 | probe slipped
//
// The times are the night's local clock as the window shows them. Nothing else may stand in it:
// a file that says otherwise is someone else's, or damaged.
struct MarkedStretch {
    CivilDate fromDate, toDate;
    int fromClock = 0, toClock = 0;  // seconds since local midnight of their date
    std::string reason;
    friend bool operator==(const MarkedStretch&, const MarkedStretch&) = default;
};

struct NightNotes {
    std::string note;
    std::vector<std::string> tags;
    std::vector<MarkedStretch> marks;
    [[nodiscard]] bool Empty() const { return note.empty() && tags.empty() && marks.empty(); }
    friend bool operator==(const NightNotes&, const NightNotes&) = default;
};

inline constexpr int kNotesVersion = 1;
inline constexpr std::string_view kKnownTags[] = {"oxygen", "cpap", "slept-badly", "unwell", "alcohol", "medication"};

// The file's text; and the notes it holds, or the number of the first line that is not as above
// (0: it does not begin with this version's line: someone else's file, or a later version's).
[[nodiscard]] std::string NotesText(const NightNotes& notes);
struct NotesParse {
    std::optional<NightNotes> notes;
    int badLine = 0;
};
[[nodiscard]] NotesParse ParseNotes(std::string_view text);

// The marked stretches on the axis of a night whose first day is `firstDay` (its evening's date
// for a night that starts after midnight is the day before: the axis counts from the first
// reading's midnight).
[[nodiscard]] std::vector<Stretch> StretchesOf(const NightNotes& notes, CivilDate firstDay);
// And back: a stretch of the axis as the file writes it.
[[nodiscard]] MarkedStretch MarkOf(const Stretch& stretch, CivilDate firstDay);
// The notes given to the night: its note, tags and marked stretches (placed on its axis: a night
// without a date has none).
void Attach(Night& night, const NightNotes& notes);
// And what the night holds of them, as the file writes it.
[[nodiscard]] NightNotes NotesOf(const Night& night);

}  // namespace trelvo::report
