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
    // What else its facts depend on: the per-second files it may have beside it (their sizes and
    // times) and the time zone that dates a record file without one.
    QString beside;
    friend bool operator==(const FolderFile&, const FolderFile&) = default;
};
// The file as it is now (a link followed).
[[nodiscard]] FolderFile FileNow(const QString& path);

// What a file holds, as far as grouping it into nights needs.
struct FileFacts {
    enum class Kind { Record, PerSecond, Unreadable, Empty } kind = Kind::Unreadable;
    QString problem;  // why it cannot be read
    // A record file's first date and its clock's UTC offset: from the per-second file written
    // beside it, else from its modification time and the time zone.
    CivilDate date;
    std::int32_t utcOffset = 0;
    std::int32_t lastOffset = 0;       // at its last line: another after a change of summer time
    QString perSecond;                 // a record file's per-second file, when it has one (absolute path)
    bool dateFromFileTime = false;     // a record file dated by its modification time
    std::vector<std::int64_t> nights;  // NightOf each reading, each once
};

struct ListedFile {
    FolderFile file;
    FileFacts facts;
};

// One night of a folder: its files and its figures. Two recordings of one night (two units, or
// record files whose copies lost their dates) are two nights with the same day, told by part.
struct FolderNight {
    std::int64_t night = 0;  // days since 1970 of its evening
    int part = 0;
    std::vector<ListedFile> files;
    NightRow row;
    // One number for the night and its part, for a table's rows.
    [[nodiscard]] std::int64_t Key() const { return night * kParts + part; }
    static constexpr int kParts = 64;
};

struct FolderListing {
    std::vector<FolderNight> nights;  // newest first
    // Every file that is in no night, or told no second of one, with why (its name as a person can
    // read it).
    std::vector<std::pair<QString, QString>> unreadable;
    bool cancelled = false;
};

// A day's files as read: the recordings among them (each with its files, by their index among the
// day's, and its row), and the files that told no second of the day, with why.
struct DayReading {
    struct Part {
        std::vector<int> files;
        NightRow row;
    };
    std::vector<Part> parts;
    std::vector<std::pair<QString, QString>> apart;
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

// One night as the command line reads a file: the file with the per-second file written beside it
// (a record file), every reading of both, joined as a folder's night is. A record file is dated by
// date when given, else as in a folder.
struct FileNight {
    Night night;
    bool recordFile = false;  // the file given is a record file
    QString perSecond;        // the per-second file read beside it, or empty
    bool dateFromFileTime = false;
    QStringList read;  // every file read, or looked at to be read
};
[[nodiscard]] std::optional<FileNight> ReadFileNight(const QString& path, const std::optional<CivilDate>& date,
                                                     QString& error);

}  // namespace trelvo::report
