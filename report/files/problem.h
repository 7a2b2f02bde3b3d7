#pragma once

// Why a file is in no night, as a code and its values: worded in the user's language where it is
// shown (report/words), stored as a code in the summary cache, never as text.

#include <compare>
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
    };
    static constexpr int kCodes = static_cast<int>(Code::NothingLeft) + 1;
    Code code = Code::System;
    std::vector<std::string> values;
    friend auto operator<=>(const Problem&, const Problem&) = default;
    friend bool operator==(const Problem&, const Problem&) = default;
};

}  // namespace trelvo::report
