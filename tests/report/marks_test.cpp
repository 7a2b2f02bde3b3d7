// A person's notes and marks of a night: the file round-trips whatever is written in it, a file
// that is not one is told by the line where it goes wrong, and a marked stretch is excluded time
// with its events gone.

#include "lang/string_table.h"
#include "recording/per_second_file.h"
#include "report/analysis/figures.h"
#include "report/night/marks.h"
#include "report/night_text.h"
#include "report/words/summary_text.h"

#include <gtest/gtest.h>

#include <random>

namespace trelvo::report {
namespace {

TEST(Marks, AnyNoteTagsAndMarksRoundTrip)
{
    std::mt19937 random(3);
    const std::string alphabet = "ab |\\\n\r:#äß€-,;";
    for (int i = 0; i < 500; ++i) {
        NightNotes notes;
        const auto text = [&] {
            std::string s;
            for (int n = std::uniform_int_distribution<int>(0, 12)(random); n > 0; --n)
                s += alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(random)];
            return s;
        };
        notes.note = text();
        // A carriage return alone is no part of a note: the file is text, its lines may end in CR LF.
        std::erase(notes.note, '\r');
        // Leading and trailing blanks of a line are the file's, not the note's.
        while (!notes.note.empty() && (notes.note.front() == ' ' || notes.note.back() == ' '))
            notes.note.erase(notes.note.front() == ' ' ? 0 : notes.note.size() - 1, 1);
        if (i % 2)
            notes.tags = {"oxygen", "unwell"};
        for (int m = i % 3; m > 0; --m) {
            std::string reason = text();
            std::erase(reason, '\r');
            while (!reason.empty() && (reason.front() == ' ' || reason.back() == ' '))
                reason.erase(reason.front() == ' ' ? 0 : reason.size() - 1, 1);
            notes.marks.push_back({{2026, 12, 7}, {2026, 12, 8}, 23 * 3600 + m, 600 * m, reason});
        }
        const NotesParse back = ParseNotes(NotesText(notes));
        ASSERT_TRUE(back.notes) << NotesText(notes) << " line " << back.badLine;
        EXPECT_EQ(*back.notes, notes) << NotesText(notes);
    }
}

TEST(Marks, AFileThatIsNoNotesFileSaysWhere)
{
    EXPECT_EQ(ParseNotes("my shopping list\n").badLine, 0) << "not ours";
    EXPECT_EQ(ParseNotes("").badLine, 0) << "no version line";
    EXPECT_EQ(ParseNotes("trelvo-notes: 2\n").badLine, 0) << "a later version is not read as this one";
    EXPECT_EQ(ParseNotes("# mine\ntrelvo-notes: 1\ntags: oxygen, lemonade\n").badLine, 3);
    EXPECT_EQ(ParseNotes("trelvo-notes: 1\nexclude: 2026-12-07 23:10:00 | 2026-12-07 23:00:00 | x\n").badLine, 2)
        << "a stretch that ends before it begins";
    EXPECT_EQ(ParseNotes("trelvo-notes: 1\nexclude: 2026-02-30 23:10:00 | 2026-03-01 00:00:00 | x\n").badLine, 2);
    EXPECT_EQ(ParseNotes("trelvo-notes: 1\ncolour: blue\n").badLine, 2);
    const NotesParse ok = ParseNotes("trelvo-notes: 1\r\nnote: a\\nb\r\n");
    ASSERT_TRUE(ok.notes);
    EXPECT_EQ(ok.notes->note, "a\nb");
}

// 23:40 to 00:00: 5 minutes at 96, a dip to 90 for 60 s (a desaturation), 14 minutes at 96. Marking
// 23:44 to 23:47 takes the dip with it: 3 minutes of excluded time, no event, the SpO2 figures of the
// rest; the file's stretch is on the clock, the axis counts from the first day's midnight.
TEST(Marks, AMarkedStretchIsExcludedTimeAndItsEventsAreGone)
{
    const Night night = ParsePerSecondFile(
        RowText("2026-12-07", 23 * 3600 + 40 * 60).Add(300, "96").Add(60, "90").Add(840, "96").Text());
    const Figures before = *Analyse(night, false);
    ASSERT_EQ(before.events3.size(), 1U);

    NightNotes notes;
    notes.marks.push_back({{2026, 12, 7}, {2026, 12, 7}, 23 * 3600 + 44 * 60, 23 * 3600 + 47 * 60, "probe slipped"});
    const std::vector<Stretch> stretches = StretchesOf(notes, {2026, 12, 7});
    ASSERT_EQ(stretches.size(), 1U);
    EXPECT_EQ(stretches[0].from, 23 * 3600 + 44 * 60);
    EXPECT_EQ(MarkOf(stretches[0], {2026, 12, 7}), notes.marks[0]);

    Night marked = night;
    Attach(marked, notes);
    EXPECT_EQ(marked.marked, stretches);
    const Figures after = *Analyse(marked, false);
    EXPECT_TRUE(after.events3.empty());
    EXPECT_EQ(after.markedSeconds, 180);
    EXPECT_EQ(after.validSeconds, before.validSeconds - 180);
    EXPECT_EQ(after.spo2Min, 96);
    EXPECT_EQ(after.markedReasons, std::vector<std::string>{"probe slipped"});
    const std::string summary = SummaryText("n.csv", night, after, Speech(lang::kEnglish));
    EXPECT_NE(summary.find("  by you         3.0 min: probe slipped"), std::string::npos) << summary;
    EXPECT_NE(summary.find("0 h 03 min (15.0 %)"), std::string::npos) << "excluded time includes it";
    EXPECT_EQ(night.readings[300].spo2, 90) << "the night itself is not changed";
}

}  // namespace
}  // namespace trelvo::report
