#pragma once

// What went wrong with a file, as a code and its values: why it is in no night, or why an output
// was not written. Worded in the user's language where it is shown (report/words), stored as a
// code in the summary cache, never as text.

#include <compare>
#include <optional>
#include <string>
#include <vector>

namespace trelvo::report {

struct Problem {
    enum class Code {
        System,        // %1 the system's own words (an open that failed)
        Pipe,          // a pipe or socket: never opened for reading
        Device,        // a device
        Folder,        // a folder
        TooLarge,      // %1 its size in MB
        NameNotUtf8,   // a name that is not UTF-8 text
        LinkNowhere,   // a link that leads nowhere
        NoReadings,    // a text file with no line of a recording
        NoRows,        // a per-second file with no row that reads
        SpanTooLong,   // %1 the days its times span
        ToldByOthers,  // %1 the files that tell its seconds
        NothingLeft,   // no reading of the night is left in its files
        // Why an output was not written (System too: the system's words for a failed write).
        FolderNotMade,   // the folder of an OSCAR output
        PdfNotStarted,   // the PDF
        PdfNotWritten,   // a page of it
        PdfNotFinished,  // its end
        SvgNotStarted,   // an SVG picture
        PngNotMade,      // a PNG picture
        NeverOpened,     // an output committed before it was opened
        Gaps,            // %1 the time its readings cover, %2 the span: too little for EDF and OSCAR files
        Unknown,         // a failure the system gave no reason for
        EdfEmpty,        // no reading, or more than 7 days: no EDF+ file
        EdfDates,        // %1 the night's first date, outside the years an EDF+ file holds
        EdfNotCreated,   // its file cannot be made
        EdfNotOpened,    // the EDF writer cannot open it
        EdfNotWritten,   // a write failed
        NotPermitted,    // %1 its owner: a file the user may not read
        NotesForeign,    // a night's notes file that is not one (someone else's, or damaged at its start)
        NotesDamaged,    // %1 the first line of a night's notes file that is not as such lines are
    };
    static constexpr int kCodes = static_cast<int>(Code::NotesDamaged) + 1;
    Code code = Code::System;
    std::vector<std::string> values;
    friend auto operator<=>(const Problem&, const Problem&) = default;
    friend bool operator==(const Problem&, const Problem&) = default;
};

// A problem of one file, named as a person can read it; no name: of the files together (a night
// with no reading left in them).
struct FileProblem {
    std::string file;
    Problem problem;
};

// What was asked for, or what went wrong getting it.
template <class T>
struct Outcome {
    std::optional<T> value;
    std::optional<FileProblem> problem;  // when there is no value
};

}  // namespace trelvo::report
