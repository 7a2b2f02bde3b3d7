#pragma once

#include "report/library/listing.h"
#include "report/night/grouping.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace trelvo::report {

class SummaryCache;

// Told how far the listing is (done of total steps); returns false to stop it.
using ListingProgress = std::function<bool(int done, int total)>;

// The nights of a folder's .txt and .csv files, each worked out from every file with readings in
// it. What the cache holds for a file or a night whose files are unchanged is taken from there; the
// rest is read, worked out and put there. cache may be null.
[[nodiscard]] FolderListing ListFolder(const QString& folder, SummaryCache* cache, const ListingProgress& progress);
// The same for the files given, and the per-second file of each record file among them.
[[nodiscard]] FolderListing ListFiles(const QStringList& paths, SummaryCache* cache, const ListingProgress& progress);

// A night of a listing with everything it holds, the wave included; or the file that can no
// longer be read, and why.
[[nodiscard]] Outcome<Night> LoadFolderNight(const FolderNight& night);

// The file's facts, reading it (and the head and tail of a per-second file beside a record file).
[[nodiscard]] FileFacts ReadFacts(const QString& path);

// One night as the command line reads a file: the file with the per-second file written beside it
// (a record file), every reading of both, joined as a folder's night is. A record file is dated by
// date when given, else as in a folder.
struct FileNight {
    Night night;
    bool recordFile = false;  // the file given is a record file
    QString perSecond;        // the per-second file read beside it, or empty
    bool dateFromFileTime = false;
    QStringList read;                     // every file read, or looked at to be read
    QString notesPath;                    // the night's notes file (its notes are in the night)
    std::optional<Problem> notesProblem;  // why its notes are not
};
[[nodiscard]] Outcome<FileNight> ReadFileNight(const QString& path, const std::optional<CivilDate>& date);

}  // namespace trelvo::report
