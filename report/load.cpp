#include "report/load.h"

#include "lang/string_table.h"
#include "recording/per_second_file.h"

#include <QDateTime>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <sys/stat.h>
#include <unordered_set>

namespace trelvo::report {
namespace {

std::optional<QByteArray> ReadAll(const QString& path, QString* error = nullptr)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    return file.readAll();
}

std::string_view View(const QByteArray& bytes)
{
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

}  // namespace

bool BelongsTo(const Night& perSecond, const Night& record)
{
    if (record.readings.empty() || perSecond.readings.empty())
        return false;
    std::unordered_set<long> clock;
    for (const Reading& r : perSecond.readings)
        clock.insert(std::lround(r.seconds) % 86400);
    return clock.contains(std::lround(record.readings.front().seconds) % 86400) &&
           clock.contains(std::lround(record.readings.back().seconds) % 86400);
}

std::optional<LoadedNight> LoadNight(const QString& path, QString& error, const Speech& speech)
{
    namespace words = lang::text::report;
    const auto say = [&](int offset, std::initializer_list<std::string_view> values) {
        return QString::fromStdString(speech.Text(offset, values));
    };
    const auto text = ReadAll(path, &error);
    if (!text)
        return std::nullopt;
    const QString name = QFileInfo(path).fileName();
    if (IsPerSecondFile(View(*text)))
        return LoadedNight{
            ParsePerSecondFile(View(*text)), say(words::kSourcePerSecond, {name.toStdString()}), {}, {path}};

    LoadedNight loaded{ParseNight(View(*text)), say(words::kSourceRecord, {name.toStdString()}), {}, {path}};
    for (const QString& candidate : PerSecondCandidates(path)) {
        loaded.read << candidate;
        const auto rows = ReadAll(candidate);
        if (!rows || !IsPerSecondFile(View(*rows)))
            continue;
        Night perSecond = ParsePerSecondFile(View(*rows));
        if (BelongsTo(perSecond, loaded.night))
            return LoadedNight{
                std::move(perSecond),
                say(words::kSourceWith, {name.toStdString(), QFileInfo(candidate).fileName().toStdString()}),
                QFileInfo(candidate).absoluteFilePath(), loaded.read};
    }
    return loaded;
}

CivilDate DateOfRecordFile(const QString& path, const Night& night, const std::optional<QDate>& given, QString& said,
                           const Speech& speech)
{
    const auto say = [&](int offset, const CivilDate& date) {
        return QString::fromStdString(speech.Text(offset, {speech.Date(date)}));
    };
    if (given) {
        const CivilDate date{given->year(), given->month(), given->day()};
        said = say(lang::text::report::kDateGiven, date);
        return date;
    }
    const QDateTime modified = QFileInfo(path).lastModified();
    const double last = night.readings.back().seconds;
    const long lastClock = std::lround(last) % 86400;
    QDate lastDate = modified.date();
    // A line written just before midnight and the file touched just after it.
    if (lastClock > modified.time().msecsSinceStartOfDay() / 1000 + 60)
        lastDate = lastDate.addDays(-1);
    const QDate first = lastDate.addDays(-static_cast<qint64>(std::lround(last) / 86400));
    const CivilDate date{first.year(), first.month(), first.day()};
    said = say(lang::text::report::kDateFromFile, date);
    return date;
}

QStringList PerSecondCandidates(const QString& recordPath)
{
    QStringList candidates;
    for (int n = 1;; ++n) {
        const QString candidate = QString::fromStdString(recording::PerSecondPath(recordPath.toStdString(), n));
        if (!QFileInfo::exists(candidate))
            return candidates;
        candidates << candidate;
    }
}

bool LooksPerSecond(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray start = file.read(128);
    return IsPerSecondFile(View(start));
}

QStringList NightFiles(const QStringList& arguments, QString& folder)
{
    QStringList files;
    for (const QString& argument : arguments) {
        if (!QFileInfo(argument).isDir()) {
            files << argument;
            continue;
        }
        if (folder.isEmpty())
            folder = argument;
        QStringList inside;
        QDirIterator it(argument, {QStringLiteral("*.txt"), QStringLiteral("*.csv")}, QDir::Files);
        while (it.hasNext())
            inside << it.next();
        inside.sort();
        files << inside;
    }
    return files;
}

void ReadFiles::Add(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) == 0)
        m_files.emplace(st.st_dev, st.st_ino, path);
}

QString ReadFiles::Replaced(const QString& output) const
{
    struct stat st {};
    if (::stat(QFile::encodeName(output).constData(), &st) != 0)
        return {};
    for (const auto& [device, inode, path] : m_files)
        if (device == st.st_dev && inode == st.st_ino)
            return path;
    return {};
}

}  // namespace trelvo::report
