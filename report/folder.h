#pragma once

#include "report/figures.h"
#include "report/grouping.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace trelvo::report {

class SummaryCache;

// A file of a folder as it is on the disk now: a change of size or modification time makes it
// another file.
struct FolderFile {
    QString path;
    qint64 size = 0;
    qint64 modified = 0;  // ms since 1970
    friend bool operator==(const FolderFile&, const FolderFile&) = default;
};

// What a file holds, as far as grouping it into nights needs.
struct FileFacts {
    enum class Kind { Record, PerSecond, Unreadable, Empty } kind = Kind::Unreadable;
    QString problem;  // why it cannot be read
    // A record file's first date and its clock's UTC offset: from the per-second file written
    // beside it, else from its modification time and the time zone.
    CivilDate date;
    std::int32_t utcOffset = 0;
    QString perSecond;                 // a record file's per-second file, when it has one (absolute path)
    std::vector<std::int64_t> nights;  // NightOf each reading, each once
};

struct ListedFile {
    FolderFile file;
    FileFacts facts;
};

// One night of a folder: its files and its figures.
struct FolderNight {
    std::int64_t night = 0;  // days since 1970 of its evening
    std::vector<ListedFile> files;
    NightRow row;
};

struct FolderListing {
    std::vector<FolderNight> nights;                      // newest first
    std::vector<std::pair<QString, QString>> unreadable;  // file name and why
    bool cancelled = false;
};

// Told how far the listing is (done of total steps); returns false to stop it.
using ListingProgress = std::function<bool(int done, int total)>;

// The nights of a folder's .txt and .csv files, each worked out from every file with readings in
// it. What the cache holds for a file or a night whose files are unchanged is taken from there; the
// rest is read, worked out and put there. cache may be null.
[[nodiscard]] FolderListing ListFolder(const QString& folder, SummaryCache* cache, const ListingProgress& progress);
// The same for the files given, and the per-second file of each record file among them.
[[nodiscard]] FolderListing ListFiles(const QStringList& paths, SummaryCache* cache, const ListingProgress& progress);

// A night of a listing with everything it holds, the wave included; nothing, and why, when a file
// of it can no longer be read.
[[nodiscard]] std::optional<Night> LoadFolderNight(const FolderNight& night, QString& error);

// The file's facts, reading it (and the head and tail of a per-second file beside a record file).
[[nodiscard]] FileFacts ReadFacts(const QString& path);

}  // namespace trelvo::report
