#pragma once

#include "report/library/listing.h"

#include <QSet>
#include <QString>

#include <memory>
#include <optional>

namespace trelvo::report {

// What a folder's files hold and each night's figures, in an SQLite database, so that a folder read
// once lists again without reading its files. The files stay the truth: entries are keyed by each
// file's path, size and modification time, and a cache that cannot be opened, is from another
// version or is damaged is made afresh; one that cannot be made at all is simply not used, nor is
// one that is a link (it is never followed) or that another copy of the program holds busy. What it
// hands back is checked as a file's contents would be.
class SummaryCache {
public:
    // One connection, for the thread that makes it.
    explicit SummaryCache(const QString& path);
    ~SummaryCache();
    SummaryCache(const SummaryCache&) = delete;
    SummaryCache& operator=(const SummaryCache&) = delete;

    [[nodiscard]] bool Usable() const noexcept { return m_usable; }

    [[nodiscard]] std::optional<FileFacts> Facts(const FolderFile& file);
    void PutFacts(const FolderFile& file, const FileFacts& facts);
    // A day's recordings and set-aside files, as read from these files and with the notes files
    // beside them as they were (notes: NotesState).
    [[nodiscard]] std::optional<DayReading> Day(std::int64_t night, const std::vector<ListedFile>& files,
                                                const QString& notes);
    void PutDay(std::int64_t night, const std::vector<ListedFile>& files, const QString& notes, const DayReading& day);
    // After a folder's listing: forgets its files that are no longer among those listed, and its
    // days this cache's listings did not use (their files changed or are gone).
    void Forget(const QString& folder, const QStringList& listed);

    // Writes held back are made lasting together: one transaction for many entries.
    void Begin();
    void Commit();

    // Bumped whenever what is stored, or how it is worked out, changes.
    static constexpr int kVersion = 4;

private:
    enum class Opened { Yes, Damaged, NotHere };
    Opened Open(const QString& path);
    QString m_connection;
    struct Queries;
    std::unique_ptr<Queries> m_queries;  // prepared on m_connection, while it is usable
    QSet<QString> m_used;                // the days asked for or put since this cache was opened
    bool m_usable = false;
};

// The cache of this user: in the user's cache folder.
[[nodiscard]] QString DefaultCachePath();

}  // namespace trelvo::report
