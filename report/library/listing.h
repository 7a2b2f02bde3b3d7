#pragma once

// What a folder listing is made of: its files, their facts and its nights. The listing (folder)
// and the summary cache both speak these.

#include "report/analysis/figures.h"
#include "report/files/problem.h"
#include "report/night/clock_text.h"
#include "report/night/marks.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace trelvo::report {

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
// What a file holds, as far as grouping it into nights needs.
struct FileFacts {
    enum class Kind { Record, PerSecond, Unreadable, Empty } kind = Kind::Unreadable;
    Problem problem;  // why it cannot be read
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
    // The night's notes file, and what it holds (read at every listing: the person's own, never a
    // cache); its marked stretches are in the row's figures.
    QString notesPath;
    NightNotes notes;
    std::optional<Problem> notesProblem;  // why the notes file there gives no notes
    // One number for the night and its part, for a table's rows.
    [[nodiscard]] std::int64_t Key() const { return night * kParts + part; }
    static constexpr int kParts = 64;
};

struct FolderListing {
    std::vector<FolderNight> nights;  // newest first
    // Every file that is in no night, or told no second of one, with why (its name as a person can
    // read it).
    std::vector<std::pair<QString, Problem>> unreadable;
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
    std::vector<std::pair<QString, Problem>> apart;
};

// What one listing has seen on the disk: each path looked at once (a stat, a link followed), and
// the time zone once. For one thread.
class DiskLook {
public:
    struct Seen {
        bool exists = false;
        qint64 size = 0;
        qint64 modified = 0;  // ms since 1970
    };
    [[nodiscard]] const Seen& At(const QString& path);
    [[nodiscard]] const QByteArray& ZoneId();

private:
    QHash<QString, Seen> m_seen;
    std::optional<QByteArray> m_zone;
};

// The file as it is now (a link followed).
[[nodiscard]] FolderFile FileNow(const QString& path);
[[nodiscard]] FolderFile FileNow(const QString& path, DiskLook& look);

}  // namespace trelvo::report
