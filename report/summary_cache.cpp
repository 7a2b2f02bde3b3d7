#include "report/summary_cache.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>

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

QString FactsText(const FileFacts& f)
{
    QJsonArray nights;
    for (const std::int64_t n : f.nights)
        nights.append(static_cast<qint64>(n));
    return QString::fromUtf8(QJsonDocument(QJsonObject{{QStringLiteral("kind"), static_cast<int>(f.kind)},
                                                       {QStringLiteral("problem"), f.problem},
                                                       {QStringLiteral("year"), f.date.year},
                                                       {QStringLiteral("month"), f.date.month},
                                                       {QStringLiteral("day"), f.date.day},
                                                       {QStringLiteral("offset"), f.utcOffset},
                                                       {QStringLiteral("perSecond"), f.perSecond},
                                                       {QStringLiteral("nights"), nights}})
                                 .toJson(QJsonDocument::Compact));
}

std::optional<FileFacts> FactsFrom(const QString& text)
{
    const QJsonObject o = QJsonDocument::fromJson(text.toUtf8()).object();
    const int kind = o.value(QStringLiteral("kind")).toInt(-1);
    if (kind < 0 || kind > static_cast<int>(FileFacts::Kind::Empty))
        return std::nullopt;
    FileFacts f;
    f.kind = static_cast<FileFacts::Kind>(kind);
    f.problem = o.value(QStringLiteral("problem")).toString();
    f.date = {o.value(QStringLiteral("year")).toInt(1970), o.value(QStringLiteral("month")).toInt(1),
              o.value(QStringLiteral("day")).toInt(1)};
    f.utcOffset = o.value(QStringLiteral("offset")).toInt();
    f.perSecond = o.value(QStringLiteral("perSecond")).toString();
    for (const QJsonValue n : o.value(QStringLiteral("nights")).toArray())
        f.nights.push_back(n.toInteger());
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
                                  {QStringLiteral("wave"), r.hasWave}})
            .toJson(QJsonDocument::Compact));
}

std::optional<NightRow> RowFrom(const QString& text)
{
    const QJsonObject o = QJsonDocument::fromJson(text.toUtf8()).object();
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
    return r;
}

// A night is the same night while it is the same day and the same files, unchanged.
QString NightKey(const FolderNight& night)
{
    QString key = QString::number(night.night);
    for (const ListedFile& f : night.files)
        key += QStringLiteral("\n%1\t%2\t%3").arg(f.file.path).arg(f.file.size).arg(f.file.modified);
    return key;
}

}  // namespace

SummaryCache::SummaryCache(const QString& path) : m_connection(NewConnectionName())
{
    if (Open(path))
        return;
    // Damaged, from another version that cannot be read, or not a database at all: made afresh.
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
    QFile::remove(path);
    m_usable = Open(path);
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

bool SummaryCache::Open(const QString& path)
{
    m_usable = false;
    if (!QDir().mkpath(QFileInfo(path).path()))
        return false;
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(path);
    if (!db.open())
        return false;
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next())
        return false;
    if (q.value(0).toInt() != kVersion) {
        for (const char* statement : {"DROP TABLE IF EXISTS files", "DROP TABLE IF EXISTS nights",
                                      "CREATE TABLE files (path TEXT PRIMARY KEY, size INTEGER, modified INTEGER, "
                                      "facts TEXT)",
                                      "CREATE TABLE nights (key TEXT PRIMARY KEY, row TEXT)"})
            if (!q.exec(QString::fromLatin1(statement)))
                return false;
        if (!q.exec(QStringLiteral("PRAGMA user_version = %1").arg(kVersion)))
            return false;
    }
    // A damaged file may open and tell its version: reading a table shows it.
    if (!q.exec(QStringLiteral("SELECT count(*) FROM files")) || !q.next() ||
        !q.exec(QStringLiteral("SELECT count(*) FROM nights")) || !q.next())
        return false;
    q.exec(QStringLiteral("PRAGMA synchronous = NORMAL"));
    m_usable = true;
    return true;
}

std::optional<FileFacts> SummaryCache::Facts(const FolderFile& file)
{
    if (!m_usable)
        return std::nullopt;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("SELECT facts FROM files WHERE path = ? AND size = ? AND modified = ?"));
    q.addBindValue(file.path);
    q.addBindValue(file.size);
    q.addBindValue(file.modified);
    if (!q.exec() || !q.next())
        return std::nullopt;
    return FactsFrom(q.value(0).toString());
}

void SummaryCache::PutFacts(const FolderFile& file, const FileFacts& facts)
{
    if (!m_usable)
        return;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("INSERT OR REPLACE INTO files (path, size, modified, facts) VALUES (?, ?, ?, ?)"));
    q.addBindValue(file.path);
    q.addBindValue(file.size);
    q.addBindValue(file.modified);
    q.addBindValue(FactsText(facts));
    q.exec();  // a cache that cannot be written only costs time
}

std::optional<NightRow> SummaryCache::Row(const FolderNight& night)
{
    if (!m_usable)
        return std::nullopt;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("SELECT row FROM nights WHERE key = ?"));
    q.addBindValue(NightKey(night));
    if (!q.exec() || !q.next())
        return std::nullopt;
    return RowFrom(q.value(0).toString());
}

void SummaryCache::PutRow(const FolderNight& night)
{
    if (!m_usable)
        return;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("INSERT OR REPLACE INTO nights (key, row) VALUES (?, ?)"));
    q.addBindValue(NightKey(night));
    q.addBindValue(RowText(night.row));
    q.exec();
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
