#pragma once

#include "report/library/listing.h"

#include "report/files/output.h"
#include "report/files/problem.h"
#include "report/night/marks.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace trelvo::report {

// Where a night's notes are kept: beside the first of its files by name, named after it and the
// night's evening, "night.2026-12-07.notes" for night.txt and night.csv (a file may hold several
// nights). Neither .txt nor .csv: a listing never takes it for readings.
[[nodiscard]] QString NotesPath(const QStringList& nightFiles, std::int64_t evening);

// A night's notes file as read: none there is no notes and no problem. One that cannot be read,
// is not a notes file or is damaged gives no notes and says why; it is never written over
// without a copy kept.
struct NotesFile {
    NightNotes notes;
    std::optional<Problem> problem;
    bool exists = false;
};
[[nodiscard]] NotesFile ReadNotesFile(const QString& path);

// Writes the notes whole (or not at all). A file in its place that is not a notes file, or is
// damaged, is first kept as a copy ("….notes.kept", "….notes.kept-2", …), named in kept.
[[nodiscard]] WriteFailure WriteNotesFile(const QString& path, const NightNotes& notes, QString* kept = nullptr);

// What the notes files a day's files may have are now (for a key of what was worked out with
// them): their names, sizes and times.
[[nodiscard]] QString NotesState(const QStringList& dayFiles, std::int64_t evening, DiskLook& look);

// The evening a night belongs to: that of its first reading.
[[nodiscard]] std::optional<std::int64_t> EveningOf(const Night& night);

}  // namespace trelvo::report
