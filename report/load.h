#pragma once

#include "report/night.h"
#include "report/speech.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>
#include <set>
#include <sys/types.h>
#include <tuple>
#include <utility>
#include <vector>

namespace trelvo::report {

// The largest file read: more than a night's recording with the wave can be (the unit's wave is
// about 1.4 MB an hour). A larger file is no night of this program's and would cost its size in
// memory: the listing stays within 200 MB whatever a folder holds.
inline constexpr qint64 kLargestFile = 64LL * 1024 * 1024;

// A file opened for reading only when it is a regular file (a link to one is followed): a pipe
// opens without waiting for a writer and is refused, as is a device, a folder or a file larger
// than kLargestFile.
class RegularFile {
public:
    explicit RegularFile(const QString& path);
    ~RegularFile();
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    // Why it is not read, or nothing.
    [[nodiscard]] const QString& Problem() const { return m_problem; }
    [[nodiscard]] qint64 Size() const { return m_size; }
    // Up to length bytes from offset (what is there).
    [[nodiscard]] QByteArray Read(qint64 offset, qint64 length) const;
    [[nodiscard]] QByteArray ReadAll() const { return Read(0, m_size); }

private:
    int m_fd = -1;
    qint64 m_size = 0;
    QString m_problem;
};

// A file name as a person can read it on a terminal or in a list: bytes that are not UTF-8 and
// control characters (a line end, a right-to-left override) written as \xNN.
[[nodiscard]] QString PrintableName(const QByteArray& name);
[[nodiscard]] QString PrintableName(const QString& name);

// A night as read from its files.
struct LoadedNight {
    Night night;
    QString source;     // what the summary names: "night.txt with its per-second file night.csv"
    QString perSecond;  // the per-second file read beside a record file (absolute path), or empty
    QStringList read;   // every file read for the night, or looked at to be read
};

// A per-second file as it is; a record file with its per-second file when one that belongs to it
// lies beside it (night.csv, night-2.csv, ...), else the record file alone. Nothing, and why,
// when the file cannot be read.
[[nodiscard]] std::optional<LoadedNight> LoadNight(const QString& path, QString& error,
                                                   const Speech& speech = Speech());

// The per-second file was written beside this record file: it holds rows at the clock times of
// the record file's first and last lines.
[[nodiscard]] bool BelongsTo(const Night& perSecond, const Night& record);

// The date of a record file's first line: as given, or from the file's modification time, which
// is when its last line was written. said tells which, for the summary.
[[nodiscard]] CivilDate DateOfRecordFile(const QString& path, const Night& night, const std::optional<QDate>& given,
                                         QString& said, const Speech& speech = Speech());

// The names a record file's per-second file may have that exist beside it, in the order they are
// tried: night.csv, night-2.csv, ... up to the first that does not exist.
[[nodiscard]] QStringList PerSecondCandidates(const QString& recordPath);

// The first bytes of a file tell a per-second file.
[[nodiscard]] bool LooksPerSecond(const QString& path);

// A folder's .txt and .csv files (not those whose names begin with a dot), by name, and those set
// apart with why: a name that is not UTF-8, a link that leads nowhere. Folders are no files.
struct FolderEntries {
    QStringList paths;
    std::vector<std::pair<QString, QString>> apart;
};
[[nodiscard]] FolderEntries EntriesOf(const QString& folder);

// The files among the arguments; a folder stands for its .txt and .csv files, and the first
// folder given is named in folder; what a folder holds that is set apart, in apart.
[[nodiscard]] QStringList NightFiles(const QStringList& arguments, QString& folder,
                                     std::vector<std::pair<QString, QString>>& apart);

// The files a command reads: no output may be one of them, whatever name leads to it (a link,
// another hard link).
class ReadFiles {
public:
    void Add(const QString& path);
    // The file read that this output would replace, or nothing.
    [[nodiscard]] QString Replaced(const QString& output) const;

private:
    std::set<std::tuple<dev_t, ino_t, QString>> m_files;
};

}  // namespace trelvo::report
