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

struct SummaryCache::Queries {
    QSqlQuery facts, putFacts, day, putDay;
};

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

// A date a night can have: a wrong one would make every later step wrong or endless.
bool PlausibleDate(const CivilDate& d)
{
    return d.year >= 1900 && d.year <= 9999 && d.month >= 1 && d.month <= 12 && d.day >= 1 && d.day <= 31;
}

// The facts columns of the files table, in this order after its key columns.
constexpr const char* kFactsColumns =
    "kind, problem, year, month, day, offset, lastOffset, perSecond, fileTime, nights";

QString NightsText(const std::vector<std::int64_t>& nights)
{
    QString text;
    for (const std::int64_t n : nights)
        text += (text.isEmpty() ? QString() : QStringLiteral(" ")) + QString::number(n);
    return text;
}

// A file's facts from the columns of the facts query's row, checked as a file's contents would
// be. The problem, a list of words, is JSON only for a file that cannot be read.
std::optional<FileFacts> FactsFrom(const QSqlQuery& q)
{
    const int kind = q.value(0).toInt();
    if (q.value(0).isNull() || kind < 0 || kind > static_cast<int>(FileFacts::Kind::Empty))
        return std::nullopt;
    FileFacts f;
    f.kind = static_cast<FileFacts::Kind>(kind);
    if (f.kind == FileFacts::Kind::Unreadable) {
        const auto problem = ProblemFrom(QJsonDocument::fromJson(q.value(1).toByteArray()).array());
        if (!problem)
            return std::nullopt;
        f.problem = *problem;
    }
    f.date = {q.value(2).toInt(), q.value(3).toInt(), q.value(4).toInt()};
    f.utcOffset = q.value(5).toInt();
    f.lastOffset = q.value(6).toInt();
    f.perSecond = q.value(7).toString();
    f.dateFromFileTime = q.value(8).toBool();
    // A file's readings span kLongestNight at most: a few nights, one after the other.
    const auto most = static_cast<std::size_t>(kLongestNight / 86400) + 2;
    if (!PlausibleDate(f.date) || std::abs(f.utcOffset) > 18 * 3600 || std::abs(f.lastOffset) > 18 * 3600)
        return std::nullopt;
    const QByteArray nights = q.value(9).toByteArray();
    for (const QByteArray& n : nights.isEmpty() ? QByteArrayList() : nights.split(' ')) {
        bool number = false;
        const qint64 night = n.toLongLong(&number);
        if (!number || night < -25567 || night > 2932896 || (!f.nights.empty() && night <= f.nights.back()) ||
            f.nights.size() == most)
            return std::nullopt;  // 1900 to 9999, in order, a few
        f.nights.push_back(night);
    }
    if (!f.nights.empty() && f.nights.back() - f.nights.front() >= static_cast<std::int64_t>(most))
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
    m_queries.reset();
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
    m_queries.reset();
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
              "beside TEXT, kind INTEGER, problem TEXT, year INTEGER, month INTEGER, day INTEGER, offset INTEGER, "
              "lastOffset INTEGER, perSecond TEXT, fileTime INTEGER, nights TEXT)",
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
    // Prepared once: a listing asks for every file and day.
    m_queries = std::make_unique<Queries>(Queries{QSqlQuery(db), QSqlQuery(db), QSqlQuery(db), QSqlQuery(db)});
    const QString columns = QString::fromLatin1(kFactsColumns);
    if (!m_queries->facts.prepare(
            QStringLiteral("SELECT %1 FROM files WHERE path = ? AND size = ? AND modified = ? AND beside = ?")
                .arg(columns)) ||
        !m_queries->putFacts.prepare(
            QStringLiteral("INSERT OR REPLACE INTO files (path, folder, size, modified, beside, %1) "
                           "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                .arg(columns)) ||
        !m_queries->day.prepare(QStringLiteral("SELECT day FROM nights WHERE key = ?")) ||
        !m_queries->putDay.prepare(
            QStringLiteral("INSERT OR REPLACE INTO nights (key, folder, day) VALUES (?, ?, ?)"))) {
        m_queries.reset();
        return failed();
    }
    m_usable = true;
    return Opened::Yes;
}

std::optional<FileFacts> SummaryCache::Facts(const FolderFile& file)
{
    if (!m_usable)
        return std::nullopt;
    QSqlQuery& q = m_queries->facts;
    q.bindValue(0, file.path);
    q.bindValue(1, file.size);
    q.bindValue(2, file.modified);
    q.bindValue(3, file.beside);
    std::optional<FileFacts> facts;
    if (q.exec() && q.next())
        facts = FactsFrom(q);
    q.finish();
    return facts;
}

void SummaryCache::PutFacts(const FolderFile& file, const FileFacts& facts)
{
    if (!m_usable)
        return;
    QSqlQuery& q = m_queries->putFacts;
    const QVariantList values{file.path,
                              FolderOf(file.path),
                              file.size,
                              file.modified,
                              file.beside,
                              static_cast<int>(facts.kind),
                              facts.kind == FileFacts::Kind::Unreadable
                                  ? QVariant(QJsonDocument(ProblemJson(facts.problem)).toJson(QJsonDocument::Compact))
                                  : QVariant(),
                              facts.date.year,
                              facts.date.month,
                              facts.date.day,
                              facts.utcOffset,
                              facts.lastOffset,
                              facts.perSecond,
                              facts.dateFromFileTime,
                              NightsText(facts.nights)};
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values[i]);
    q.exec();  // a cache that cannot be written only costs time
    q.finish();
}

std::optional<DayReading> SummaryCache::Day(std::int64_t night, const std::vector<ListedFile>& files,
                                            const QString& notes)
{
    if (!m_usable || files.empty())
        return std::nullopt;
    QSqlQuery& q = m_queries->day;
    const QString key = DayKey(night, files, notes);
    q.bindValue(0, key);
    std::optional<DayReading> day;
    if (q.exec() && q.next())
        day = DayFrom(q.value(0).toString(), files.size());
    q.finish();
    if (day)
        m_used.insert(key);
    return day;
}

void SummaryCache::PutDay(std::int64_t night, const std::vector<ListedFile>& files, const QString& notes,
                          const DayReading& day)
{
    if (!m_usable || files.empty())
        return;
    QSqlQuery& q = m_queries->putDay;
    const QString key = DayKey(night, files, notes);
    m_used.insert(key);
    q.bindValue(0, key);
    q.bindValue(1, FolderOf(files.front().file.path));
    q.bindValue(2, DayText(day));
    q.exec();
    q.finish();
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
