// trelvo-report: statistics and a plot of a night, and the night as CSV, EDF+ or OSCAR files.

#include "recording/companion.h"
#include "tools/report/export.h"
#include "tools/report/night.h"
#include "tools/report/plot.h"

#include <QCommandLineParser>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>

#include <cstdio>
#include <cstdlib>
#include <unordered_set>

namespace {

using namespace trelvo::report;

[[noreturn]] void Fail(int status, const QString& text)
{
    std::fprintf(stderr, "trelvo-report: %s\n", qPrintable(text));
    std::exit(status);
}

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

// The per-second file was written beside this record file: it holds rows at the clock times of
// the record file's first and last lines.
bool Belongs(const Night& perSecond, const Night& record)
{
    if (record.readings.empty() || perSecond.readings.empty())
        return false;
    std::unordered_set<long> clock;
    for (const Reading& r : perSecond.readings)
        clock.insert(std::lround(r.seconds) % 86400);
    return clock.contains(std::lround(record.readings.front().seconds) % 86400) &&
           clock.contains(std::lround(record.readings.back().seconds) % 86400);
}

struct Loaded {
    Night night;
    QString source;  // what the summary names
};

// A per-second file as it is; a record file with its per-second file when that lies beside it.
Loaded Load(const QString& path)
{
    QString error;
    const auto text = ReadAll(path, &error);
    if (!text)
        Fail(2, QStringLiteral("cannot read %1: %2").arg(path, error));
    const QString name = QFileInfo(path).fileName();
    if (IsPerSecondFile(View(*text)))
        return {ParsePerSecondFile(View(*text)), name + QStringLiteral(" (per-second file)")};

    Loaded loaded{ParseNight(View(*text)), name + QStringLiteral(" (record file)")};
    for (int n = 1;; ++n) {
        const QString candidate = QString::fromStdString(trelvo::recording::CompanionPath(path.toStdString(), n));
        if (!QFileInfo::exists(candidate))
            break;
        const auto rows = ReadAll(candidate);
        if (!rows || !IsPerSecondFile(View(*rows)))
            continue;
        Night perSecond = ParsePerSecondFile(View(*rows));
        if (Belongs(perSecond, loaded.night))
            return {std::move(perSecond),
                    name + QStringLiteral(" with its per-second file ") + QFileInfo(candidate).fileName()};
    }
    return loaded;
}

// The date of a record file's first line: given, or from the file's modification time, which is
// when its last line was written.
CivilDate DateOfRecordFile(const QString& path, const Night& night, const QString& given, QString& said)
{
    if (!given.isEmpty()) {
        const QDate date = QDate::fromString(given, Qt::ISODate);
        if (!date.isValid())
            Fail(2, QStringLiteral("--date %1: give the date of the first line as YYYY-MM-DD").arg(given));
        said = QStringLiteral("%1, as given").arg(date.toString(Qt::ISODate));
        return {date.year(), date.month(), date.day()};
    }
    const QDateTime modified = QFileInfo(path).lastModified();
    const double last = night.readings.back().seconds;
    const long lastClock = std::lround(last) % 86400;
    QDate lastDate = modified.date();
    // A line written just before midnight and the file touched just after it.
    if (lastClock > modified.time().msecsSinceStartOfDay() / 1000 + 60)
        lastDate = lastDate.addDays(-1);
    const QDate first = lastDate.addDays(-static_cast<qint64>(std::lround(last) / 86400));
    said = QStringLiteral("%1, from the file's modification time (--date sets it)").arg(first.toString(Qt::ISODate));
    return {first.year(), first.month(), first.day()};
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        Fail(1, QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
}

void WritePlot(const QString& target, bool asSvg, const Night& night, const Figures& figures, const QString& title)
{
    if (asSvg) {
        QSvgGenerator generator;
        generator.setFileName(target);
        generator.setSize(QSize(kPlotWidth, kPlotHeight));
        generator.setViewBox(QRect(0, 0, kPlotWidth, kPlotHeight));
        generator.setTitle(title);
        QPainter painter;
        if (!painter.begin(&generator))
            Fail(1, QStringLiteral("cannot write %1").arg(target));
        PaintReport(painter, night, figures, title);
        painter.end();
        return;
    }
    QImage image(kPlotWidth, kPlotHeight, QImage::Format_RGB32);
    QPainter painter(&image);
    PaintReport(painter, night, figures, title);
    painter.end();
    if (!image.save(target, "PNG"))
        Fail(1, QStringLiteral("cannot write %1").arg(target));
}

}  // namespace

int main(int argc, char* argv[])
{
    // Drawing needs no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("trelvo-report"));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Statistics and a plot of a night recorded by trelvo. Give the record file (its per-second file is "
        "read when it lies beside it) or the per-second file. The summary goes to standard output; the plot "
        "to <file>.png (or .svg) unless -o names another file."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("The record file or the per-second file."));
    const QCommandLineOption output(QStringLiteral("o"), QStringLiteral("Write the plot to <file>."), QStringLiteral("file"));
    const QCommandLineOption svg(QStringLiteral("svg"), QStringLiteral("Write the plot as SVG instead of PNG."));
    const QCommandLineOption csv(QStringLiteral("csv"),
                                 QStringLiteral("Write the readings as CSV rows, in the per-second file's columns."),
                                 QStringLiteral("file"));
    const QCommandLineOption edf(QStringLiteral("edf"), QStringLiteral("Write SpO2 and pulse as an EDF+ file."),
                                 QStringLiteral("file"));
    const QCommandLineOption oscar(QStringLiteral("oscar"),
                                   QStringLiteral("Write files OSCAR imports as oximetry into <folder>."),
                                   QStringLiteral("folder"));
    const QCommandLineOption date(QStringLiteral("date"),
                                  QStringLiteral("The date of a record file's first line (YYYY-MM-DD); by default "
                                                 "taken from the file's modification time."),
                                  QStringLiteral("date"));
    parser.addOptions({output, svg, csv, edf, oscar, date});
    parser.process(app);
    if (parser.positionalArguments().size() != 1)
        parser.showHelp(2);

    const QString path = parser.positionalArguments().constFirst();
    Loaded loaded = Load(path);
    Night& night = loaded.night;
    const auto figures = Analyse(night);
    if (!figures)
        Fail(2, QStringLiteral("%1 is not a record file of trelvo: no line reads like \"S 97 P 72 T 14:03:25  OK!\", "
                               "and it is no per-second file")
                    .arg(path));
    QString dateSaid;
    if (!night.date)
        night.date = DateOfRecordFile(path, night, parser.value(date), dateSaid);
    std::fputs(SummaryText(loaded.source.toStdString(), night, *figures).c_str(), stdout);
    if (!dateSaid.isEmpty())
        std::printf("Date             %s\n", qPrintable(dateSaid));

    const QString name = QFileInfo(path).fileName();
    const QString title = QStringLiteral("%1 — night of %2").arg(name, QString::fromStdString(DateText(*night.date)));
    const bool asSvg = parser.isSet(svg);
    QString target = parser.value(output);
    if (target.isEmpty())
        target = QFileInfo(path).path() + QLatin1Char('/') + QFileInfo(path).completeBaseName() +
                 (asSvg ? QStringLiteral(".svg") : QStringLiteral(".png"));
    WritePlot(target, asSvg, night, *figures, title);
    std::printf("Plot             %s\n", qPrintable(target));

    if (parser.isSet(csv)) {
        const QString file = parser.value(csv);
        WriteFile(file, QByteArray::fromStdString(CsvText(night, *night.date)));
        std::printf("CSV              %s (%zu rows)\n", qPrintable(file), night.readings.size());
    }
    if (parser.isSet(edf)) {
        const QString file = parser.value(edf);
        if (const std::string error = WriteEdf(file.toStdString(), night, *figures, *night.date); !error.empty())
            Fail(1, QStringLiteral("cannot write %1: %2").arg(file, QString::fromStdString(error)));
        std::printf("EDF+             %s\n", qPrintable(file));
    }
    if (parser.isSet(oscar)) {
        const QDir folder(parser.value(oscar));
        if (!QDir().mkpath(folder.path()))
            Fail(1, QStringLiteral("cannot make the folder %1").arg(folder.path()));
        for (const OscarFile& file : OscarFiles(night, *night.date)) {
            const QString target = folder.filePath(QString::fromStdString(file.name));
            WriteFile(target, QByteArray(reinterpret_cast<const char*>(file.bytes.data()),
                                         static_cast<qsizetype>(file.bytes.size())));
            std::printf("OSCAR            %s\n", qPrintable(target));
        }
    }
    return 0;
}
