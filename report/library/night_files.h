#pragma once

#include "report/files/regular_file.h"
#include "report/night/night.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace trelvo::report {

// The date of a record file's first line: as given, or from the file's modification time, which
// is when its last line was written.
[[nodiscard]] CivilDate DateOfRecordFile(const QString& path, const Night& night, const std::optional<QDate>& given);

// The names a record file's per-second file may have that exist beside it, in the order they are
// tried: night.csv, night-2.csv, ... up to the first that does not exist.
[[nodiscard]] QStringList PerSecondCandidates(const QString& recordPath);
// The same, asking exists whether a name is there (a listing asks its memo of the folder).
[[nodiscard]] QStringList PerSecondCandidates(const QString& recordPath,
                                              const std::function<bool(const QString&)>& exists);

// The files among the arguments; a folder stands for its .txt and .csv files, and the first
// folder given is named in folder; what a folder holds that is set apart, in apart.
[[nodiscard]] QStringList NightFiles(const QStringList& arguments, QString& folder,
                                     std::vector<std::pair<QString, Problem>>& apart);

}  // namespace trelvo::report
