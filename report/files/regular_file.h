#pragma once

#include "report/files/problem.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <set>
#include <string_view>
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
    [[nodiscard]] const std::optional<Problem>& Refusal() const { return m_refusal; }
    [[nodiscard]] qint64 Size() const { return m_size; }
    // Up to length bytes from offset (what is there).
    [[nodiscard]] QByteArray Read(qint64 offset, qint64 length) const;
    [[nodiscard]] QByteArray ReadAll() const { return Read(0, m_size); }
    // The whole file into buffer, grown to hold it and kept for the next file (a listing reads
    // hundreds of files of ten megabytes).
    [[nodiscard]] std::string_view ReadAll(std::vector<char>& buffer) const;

private:
    qint64 ReadAt(char* into, qint64 offset, qint64 length) const;

    int m_fd = -1;
    qint64 m_size = 0;
    std::optional<Problem> m_refusal;
};

// A file name as a person can read it on a terminal or in a list: bytes that are not UTF-8 and
// control characters (a line end, a right-to-left override) written as \xNN.
[[nodiscard]] QString PrintableName(const QByteArray& name);
[[nodiscard]] QString PrintableName(const QString& name);

// A folder's .txt and .csv files (not those whose names begin with a dot), by name, and those set
// apart with why: a name that is not UTF-8, a link that leads nowhere. Folders are no files.
struct FolderEntries {
    QStringList paths;
    std::vector<std::pair<QString, Problem>> apart;
};
[[nodiscard]] FolderEntries EntriesOf(const QString& folder);

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
