#include "report/library/summary_cache.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>

#include <algorithm>
#include <climits>
#include <cmath>
#include <sys/stat.h>

#include <atomic>

namespace trelvo::report {
namespace {

QString NewConnectionName()
{
    static std::atomic<int> count{0};
    return QStringLiteral("trelvo-summary-cache-%1").arg(++count);
}

QJsonValue Optional(const std::optional<double>& v)
{
    return v ? QJsonValue(*v) : QJsonValue();
}

std::optional<double> OptionalDouble(const QJsonValue& v)
{
    return v.isDouble() ? std::optional(v.toDouble()) : std::nullopt;
}

QJsonArray ProblemJson(const Problem& problem)
{
    QJsonArray values{static_cast<int>(problem.code)};
    for (const std::string& v : problem.values)
        values.append(QString::fromStdString(v));
    return values;
}

// A problem as stored: its code and values, checked as a file's contents would be.
std::optional<Problem> ProblemFrom(const QJsonArray& stored)
{
    const int code = stored.at(0).toInt(-1);
    if (code < 0 || code >= Problem::kCodes || stored.size() > 4)
        return std::nullopt;
    Problem problem{static_cast<Problem::Code>(code), {}};
    for (qsizetype i = 1; i < stored.size(); ++i)
        problem.values.push_back(stored.at(i).toString().toStdString());
    return problem;
}

QString FactsText(const FileFacts& f)
{
    QJsonArray nights;
    for (const std::int64_t n : f.nights)
        nights.append(static_cast<qint64>(n));
    return QString::fromUtf8(QJsonDocument(QJsonObject{{QStringLiteral("kind"), static_cast<int>(f.kind)},
                                                       {QStringLiteral("problem"), ProblemJson(f.problem)},
                                                       {QStringLiteral("year"), f.date.year},
                                                       {QStringLiteral("month"), f.date.month},
                                                       {QStringLiteral("day"), f.date.day},
                                                       {QStringLiteral("offset"), f.utcOffset},
                                                       {QStringLiteral("lastOffset"), f.lastOffset},
                                                       {QStringLiteral("perSecond"), f.perSecond},
                                                       {QStringLiteral("fileTime"), f.dateFromFileTime},
                                                       {QStringLiteral("nights"), nights}})
                                 .toJson(QJsonDocument::Compact));
}

// A date a night can have: a wrong one would make every later step wrong or endless.
bool PlausibleDate(const CivilDate& d)
{
    return d.year >= 1900 && d.year <= 9999 && d.month >= 1 && d.month <= 12 && d.day >= 1 && d.day <= 31;
}

std::optional<FileFacts> FactsFrom(const QString& text)
{
    const QJsonObject o = QJsonDocument::fromJson(text.toUtf8()).object();
    const int kind = o.value(QStringLiteral("kind")).toInt(-1);
    if (kind < 0 || kind > static_cast<int>(FileFacts::Kind::Empty))
        return std::nullopt;
    FileFacts f;
    f.kind = static_cast<FileFacts::Kind>(kind);
    const auto problem = ProblemFrom(o.value(QStringLiteral("problem")).toArray());
    if (!problem)
        return std::nullopt;
    f.problem = *problem;
    f.date = {o.value(QStringLiteral("year")).toInt(1970), o.value(QStringLiteral("month")).toInt(1),
              o.value(QStringLiteral("day")).toInt(1)};
    f.utcOffset = o.value(QStringLiteral("offset")).toInt();
    f.lastOffset = o.value(QStringLiteral("lastOffset")).toInt();
    f.perSecond = o.value(QStringLiteral("perSecond")).toString();
    f.dateFromFileTime = o.value(QStringLiteral("fileTime")).toBool();
    const QJsonArray nights = o.value(QStringLiteral("nights")).toArray();
    // A file's readings span kLongestNight at most: a few nights, one after the other.
    const auto most = static_cast<qsizetype>(kLongestNight / 86400) + 2;
    if (nights.size() > most || !PlausibleDate(f.date) || std::abs(f.utcOffset) > 18 * 3600 ||
        std::abs(f.lastOffset) > 18 * 3600)
        return std::nullopt;
    for (const QJsonValue n : nights) {
        const qint64 night = n.toInteger(INT64_MIN);
        if (night < -25567 || night > 2932896 || (!f.nights.empty() && night <= f.nights.back()))
            return std::nullopt;  // 1900 to 9999, in order
        f.nights.push_back(night);
    }
    if (!f.nights.empty() && f.nights.back() - f.nights.front() >= most)
        return std::nullopt;
    return f;
}

QString RowText(const NightRow& r)
{
    return QString::fromUtf8(
        QJsonDocument(QJsonObject{{QStringLiteral("name"), QString::fromStdString(r.name)},
                                  {QStringLiteral("date"), QString::fromStdString(r.date)},
                                  {QStringLiteral("analysed"), r.analysedHours},
                                  {QStringLiteral("spo2Mean"), Optional(r.spo2Mean)},
                                  {QStringLiteral("spo2Min"), r.spo2Min ? QJsonValue(*r.spo2Min) : QJsonValue()},
                                  {QStringLiteral("t90"), r.t90Minutes},
                                  {QStringLiteral("odi3"), Optional(r.odi3)},
                                  {QStringLiteral("odi4"), Optional(r.odi4)},
                                  {QStringLiteral("pulseMean"), Optional(r.pulseMean)},
                                  {QStringLiteral("start"), QString::fromStdString(r.start)},
                                  {QStringLiteral("end"), QString::fromStdString(r.end)},
                                  {QStringLiteral("recording"), r.recordingHours},
                                  {QStringLiteral("t88"), r.t88Minutes},
                                  {QStringLiteral("step"), r.step},
                                  {QStringLiteral("wave"), r.hasWave},
                                  {QStringLiteral("fileTime"), r.dateFromFileTime}})
            .toJson(QJsonDocument::Compact));
}

QJsonObject RowObject(const NightRow& r)
{
    return QJsonDocument::fromJson(RowText(r).toUtf8()).object();
}

bool Within(const std::optional<double>& v, double low, double high)
{
    return !v || (std::isfinite(*v) && *v >= low && *v <= high);
}

std::optional<NightRow> RowFrom(const QJsonObject& o)
{
    if (!o.value(QStringLiteral("date")).isString())
        return std::nullopt;
    NightRow r;
    r.name = o.value(QStringLiteral("name")).toString().toStdString();
    r.date = o.value(QStringLiteral("date")).toString().toStdString();
    r.analysedHours = o.value(QStringLiteral("analysed")).toDouble();
    r.spo2Mean = OptionalDouble(o.value(QStringLiteral("spo2Mean")));
    if (const QJsonValue v = o.value(QStringLiteral("spo2Min")); v.isDouble())
        r.spo2Min = v.toInt();
    r.t90Minutes = o.value(QStringLiteral("t90")).toDouble();
    r.odi3 = OptionalDouble(o.value(QStringLiteral("odi3")));
    r.odi4 = OptionalDouble(o.value(QStringLiteral("odi4")));
    r.pulseMean = OptionalDouble(o.value(QStringLiteral("pulseMean")));
    r.start = o.value(QStringLiteral("start")).toString().toStdString();
    r.end = o.value(QStringLiteral("end")).toString().toStdString();
    r.recordingHours = o.value(QStringLiteral("recording")).toDouble();
    r.t88Minutes = o.value(QStringLiteral("t88")).toDouble();
    r.step = o.value(QStringLiteral("step")).toDouble(kLineSeconds);
    r.hasWave = o.value(QStringLiteral("wave")).toBool();
    r.dateFromFileTime = o.value(QStringLiteral("fileTime")).toBool();
    // What no night can be: checked as a file's contents would be.
    const double longest = kLongestNight / 3600;
    if (!Within(r.recordingHours, 0, longest) || !Within(r.analysedHours, 0, r.recordingHours + 1e-6) ||
        !Within(r.spo2Mean, 0, 100) || (r.spo2Min && (*r.spo2Min < 0 || *r.spo2Min > 100)) ||
        !Within(r.t90Minutes, 0, longest * 60) || !Within(r.t88Minutes, 0, longest * 60) || !Within(r.odi3, 0, 3600) ||
        !Within(r.odi4, 0, 3600) || !Within(r.pulseMean, 0, 255) || (r.step != kLineSeconds && r.step != kRowSeconds) ||
        r.date.size() != 10 || r.start.size() > 5 || r.end.size() > 5)
        return std::nullopt;
    return r;
}

QString DayText(const DayReading& day)
{
    QJsonArray parts, apart;
    for (const DayReading::Part& part : day.parts) {
        QJsonArray files;
        for (const int f : part.files)
            files.append(f);
        parts.append(QJsonObject{{QStringLiteral("files"), files}, {QStringLiteral("row"), RowObject(part.row)}});
    }
    for (const auto& [name, why] : day.apart)
        apart.append(QJsonArray{name, ProblemJson(why)});
    return QString::fromUtf8(
        QJsonDocument(QJsonObject{{QStringLiteral("parts"), parts}, {QStringLiteral("apart"), apart}})
            .toJson(QJsonDocument::Compact));
}

std::optional<DayReading> DayFrom(const QString& text, std::size_t fileCount)
{
    const QJsonObject o = QJsonDocument::fromJson(text.toUtf8()).object();
    const QJsonArray parts = o.value(QStringLiteral("parts")).toArray();
    // Each file is in one recording at most: no more parts than files.
    if (parts.isEmpty() || static_cast<std::size_t>(parts.size()) > fileCount || parts.size() > FolderNight::kParts)
        return std::nullopt;
    DayReading day;
    std::vector<bool> used(fileCount);
    for (const QJsonValue p : parts) {
        DayReading::Part part;
        for (const QJsonValue f : p.toObject().value(QStringLiteral("files")).toArray()) {
            const int file = f.toInt(-1);
            if (file < 0 || static_cast<std::size_t>(file) >= fileCount || used[static_cast<std::size_t>(file)])
                return std::nullopt;
            used[static_cast<std::size_t>(file)] = true;
            part.files.push_back(file);
        }
        auto row = RowFrom(p.toObject().value(QStringLiteral("row")).toObject());
        if (part.files.empty() || !row)
            return std::nullopt;
        part.row = std::move(*row);
        day.parts.push_back(std::move(part));
    }
    const QJsonArray apart = o.value(QStringLiteral("apart")).toArray();
    if (static_cast<std::size_t>(apart.size()) > fileCount)
        return std::nullopt;
    for (const QJsonValue a : apart) {
        const auto why = ProblemFrom(a.toArray().at(1).toArray());
        if (!why)
            return std::nullopt;
        day.apart.emplace_back(a.toArray().at(0).toString(), *why);
    }
    return day;
}

// A day is the same day while it is the same files, unchanged, with what dates them unchanged.
QString DayKey(std::int64_t night, const std::vector<ListedFile>& files, const QString& notes)
{
    QString key = QString::number(night);
    if (!notes.isEmpty())
        key += QStringLiteral("\nnotes\n") + notes;
    for (const ListedFile& f : files)
        key += QStringLiteral("\n%1\t%2\t%3\t%4")
                   .arg(f.file.path, QString::number(f.file.size), QString::number(f.file.modified), f.file.beside);
    return key;
}

QString FolderOf(const QString& path)
{
    return QFileInfo(path).absolutePath();
}

bool Busy(const QSqlError& error)
{
    // SQLITE_BUSY and SQLITE_LOCKED, with their extended codes.
    const int code = error.nativeErrorCode().toInt();
    return (code & 0xff) == 5 || (code & 0xff) == 6;
}

}  // namespace

SummaryCache::SummaryCache(const QString& path) : m_connection(NewConnectionName())
{
    if (Open(path) != Opened::Damaged)
        return;
    // Damaged, from another version that cannot be read, or not a database at all: made afresh.
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
    QFile::remove(path);
    (void)Open(path);
}

SummaryCache::~SummaryCache()
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
}

SummaryCache::Opened SummaryCache::Open(const QString& path)
{
    m_usable = false;
    if (!QDir().mkpath(QFileInfo(path).path()))
        return Opened::NotHere;
    // Never through a link: it may lead to another program's database.
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) == 0 && !S_ISREG(st.st_mode))
        return Opened::NotHere;
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(path);
    // Another copy of the program writing: wait a moment, then list without the cache.
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"));
    if (!db.open())
        return Busy(db.lastError()) ? Opened::NotHere : Opened::Damaged;
    QSqlQuery q(db);
    const auto failed = [&] { return Busy(q.lastError()) ? Opened::NotHere : Opened::Damaged; };
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next())
        return failed();
    if (q.value(0).toInt() != kVersion) {
        for (const char* statement :
             {"BEGIN IMMEDIATE", "DROP TABLE IF EXISTS files", "DROP TABLE IF EXISTS nights",
              "CREATE TABLE files (path TEXT PRIMARY KEY, folder TEXT, size INTEGER, modified INTEGER, "
              "beside TEXT, facts TEXT)",
              "CREATE TABLE nights (key TEXT PRIMARY KEY, folder TEXT, day TEXT)",
              "CREATE INDEX files_folder ON files (folder)", "CREATE INDEX nights_folder ON nights (folder)"})
            if (!q.exec(QString::fromLatin1(statement)))
                return failed();
        if (!q.exec(QStringLiteral("PRAGMA user_version = %1").arg(kVersion)) || !q.exec(QStringLiteral("COMMIT")))
            return failed();
    }
    // A damaged file may open and tell its version: reading a table shows it.
    if (!q.exec(QStringLiteral("SELECT count(*) FROM files")) || !q.next() ||
        !q.exec(QStringLiteral("SELECT count(*) FROM nights")) || !q.next())
        return failed();
    q.exec(QStringLiteral("PRAGMA synchronous = NORMAL"));
    m_usable = true;
    return Opened::Yes;
}

std::optional<FileFacts> SummaryCache::Facts(const FolderFile& file)
{
    if (!m_usable)
        return std::nullopt;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("SELECT facts FROM files WHERE path = ? AND size = ? AND modified = ? AND beside = ?"));
    q.addBindValue(file.path);
    q.addBindValue(file.size);
    q.addBindValue(file.modified);
    q.addBindValue(file.beside);
    if (!q.exec() || !q.next())
        return std::nullopt;
    return FactsFrom(q.value(0).toString());
}

void SummaryCache::PutFacts(const FolderFile& file, const FileFacts& facts)
{
    if (!m_usable)
        return;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral(
        "INSERT OR REPLACE INTO files (path, folder, size, modified, beside, facts) VALUES (?, ?, ?, ?, ?, ?)"));
    q.addBindValue(file.path);
    q.addBindValue(FolderOf(file.path));
    q.addBindValue(file.size);
    q.addBindValue(file.modified);
    q.addBindValue(file.beside);
    q.addBindValue(FactsText(facts));
    q.exec();  // a cache that cannot be written only costs time
}

std::optional<DayReading> SummaryCache::Day(std::int64_t night, const std::vector<ListedFile>& files,
                                            const QString& notes)
{
    if (!m_usable || files.empty())
        return std::nullopt;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    const QString key = DayKey(night, files, notes);
    q.prepare(QStringLiteral("SELECT day FROM nights WHERE key = ?"));
    q.addBindValue(key);
    if (!q.exec() || !q.next())
        return std::nullopt;
    auto day = DayFrom(q.value(0).toString(), files.size());
    if (day)
        m_used.insert(key);
    return day;
}

void SummaryCache::PutDay(std::int64_t night, const std::vector<ListedFile>& files, const QString& notes,
                          const DayReading& day)
{
    if (!m_usable || files.empty())
        return;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    const QString key = DayKey(night, files, notes);
    m_used.insert(key);
    q.prepare(QStringLiteral("INSERT OR REPLACE INTO nights (key, folder, day) VALUES (?, ?, ?)"));
    q.addBindValue(key);
    q.addBindValue(FolderOf(files.front().file.path));
    q.addBindValue(DayText(day));
    q.exec();
}

void SummaryCache::Forget(const QString& folder, const QStringList& listed)
{
    if (!m_usable)
        return;
    const QSet<QString> present(listed.begin(), listed.end());
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    db.transaction();
    // The rows of this folder the listing did not keep go: the files no longer there, and the days
    // it did not use (a day's entry is used while its files are all there, unchanged).
    const auto keepOnly = [&](const QString& table, const QString& column, const QSet<QString>& keep) {
        QSqlQuery q(db);
        q.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE folder = ?").arg(column, table));
        q.addBindValue(folder);
        QStringList gone;
        if (q.exec())
            while (q.next())
                if (!keep.contains(q.value(0).toString()))
                    gone << q.value(0).toString();
        QSqlQuery remove(db);
        remove.prepare(QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(table, column));
        for (const QString& value : gone) {
            remove.bindValue(0, value);
            remove.exec();
        }
    };
    keepOnly(QStringLiteral("files"), QStringLiteral("path"), present);
    keepOnly(QStringLiteral("nights"), QStringLiteral("key"), m_used);
    db.commit();
    m_used.clear();
}

void SummaryCache::Begin()
{
    if (m_usable)
        QSqlDatabase::database(m_connection, false).transaction();
}

void SummaryCache::Commit()
{
    if (m_usable)
        QSqlDatabase::database(m_connection, false).commit();
}

QString DefaultCachePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/Trelvo/nights.sqlite");
}

}  // namespace trelvo::report
