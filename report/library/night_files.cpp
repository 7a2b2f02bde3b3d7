#include "report/library/night_files.h"

#include "recording/per_second_file.h"

#include <QDateTime>
#include <QFileInfo>

#include <cmath>

namespace trelvo::report {

CivilDate DateOfRecordFile(const QString& path, const Night& night, const std::optional<QDate>& given)
{
    if (given)
        return {given->year(), given->month(), given->day()};
    const QDateTime modified = QFileInfo(path).lastModified();
    const double last = night.readings.back().seconds;
    const long lastClock = std::lround(last) % 86400;
    QDate lastDate = modified.date();
    // A line written just before midnight and the file touched just after it.
    if (lastClock > modified.time().msecsSinceStartOfDay() / 1000 + 60)
        lastDate = lastDate.addDays(-1);
    const QDate first = lastDate.addDays(-static_cast<qint64>(std::lround(last) / 86400));
    return {first.year(), first.month(), first.day()};
}

QStringList PerSecondCandidates(const QString& recordPath)
{
    return PerSecondCandidates(recordPath, [](const QString& path) { return QFileInfo::exists(path); });
}

QStringList PerSecondCandidates(const QString& recordPath, const std::function<bool(const QString&)>& exists)
{
    QStringList candidates;
    for (int n = 1;; ++n) {
        const QString candidate = QString::fromStdString(recording::PerSecondPath(recordPath.toStdString(), n));
        if (!exists(candidate))
            return candidates;
        candidates << candidate;
    }
}

QStringList NightFiles(const QStringList& arguments, QString& folder, std::vector<std::pair<QString, Problem>>& apart)
{
    QStringList files;
    for (const QString& argument : arguments) {
        if (!QFileInfo(argument).isDir()) {
            files << argument;
            continue;
        }
        if (folder.isEmpty())
            folder = argument;
        FolderEntries entries = EntriesOf(argument);
        files << entries.paths;
        apart.insert(apart.end(), entries.apart.begin(), entries.apart.end());
    }
    return files;
}

}  // namespace trelvo::report
