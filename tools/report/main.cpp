// trelvo-report: statistics and a plot of a night, the night as CSV, EDF+ or OSCAR files, a
// one-page PDF, and a summary of many nights.

#include "recording/companion.h"
#include "tools/report/beats.h"
#include "tools/report/export.h"
#include "tools/report/figures.h"
#include "tools/report/night.h"
#include "tools/report/output.h"
#include "tools/report/page.h"
#include "tools/report/plot.h"

#include <QBuffer>
#include <QCommandLineParser>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>
#include <QTime>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <set>
#include <sys/stat.h>
#include <thread>
#include <unordered_set>
#include <utility>

namespace {

using namespace trelvo::report;
using Links = OutputFile::Links;

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
    QString source;     // what the summary names
    QString perSecond;  // the per-second file read beside a record file
    QStringList read;   // every file read for the night, or looked at to be read
};

// A per-second file as it is; a record file with its per-second file when that lies beside it.
// Nothing, and why, when the file cannot be read.
std::optional<Loaded> Load(const QString& path, QString& error)
{
    const auto text = ReadAll(path, &error);
    if (!text)
        return std::nullopt;
    const QString name = QFileInfo(path).fileName();
    if (IsPerSecondFile(View(*text)))
        return Loaded{ParsePerSecondFile(View(*text)), name + QStringLiteral(" (per-second file)"), {}, {path}};

    Loaded loaded{ParseNight(View(*text)), name + QStringLiteral(" (record file)"), {}, {path}};
    for (int n = 1;; ++n) {
        const QString candidate = QString::fromStdString(trelvo::recording::CompanionPath(path.toStdString(), n));
        if (!QFileInfo::exists(candidate))
            break;
        loaded.read << candidate;
        const auto rows = ReadAll(candidate);
        if (!rows || !IsPerSecondFile(View(*rows)))
            continue;
        Night perSecond = ParsePerSecondFile(View(*rows));
        if (Belongs(perSecond, loaded.night))
            return Loaded{std::move(perSecond),
                          name + QStringLiteral(" with its per-second file ") + QFileInfo(candidate).fileName(),
                          QFileInfo(candidate).absoluteFilePath(), loaded.read};
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

// The files a command reads: no output may be one of them, whatever name leads to it.
class ReadFiles {
public:
    void Add(const QString& path)
    {
        struct stat st {};
        if (::stat(QFile::encodeName(path).constData(), &st) == 0)
            m_files.emplace(st.st_dev, st.st_ino, path);
    }
    // The file read that this output would replace, or nothing.
    [[nodiscard]] QString Replaced(const QString& output) const
    {
        struct stat st {};
        if (::stat(QFile::encodeName(output).constData(), &st) != 0)
            return {};
        for (const auto& [device, inode, path] : m_files)
            if (device == st.st_dev && inode == st.st_ino)
                return path;
        return {};
    }

private:
    std::set<std::tuple<dev_t, ino_t, QString>> m_files;
};

// Status 2 before anything is written when an output would replace a file read.
void RefuseOutputsOverInputs(const ReadFiles& read, const QStringList& outputs)
{
    for (const QString& output : outputs)
        if (const QString input = read.Replaced(output); !input.isEmpty())
            Fail(2, QStringLiteral("%1 would replace %2, which this report reads: give the output another name")
                        .arg(output, input));
}

// What failed to be written, said on stderr as it happens; the status at the end.
struct Writing {
    int failures = 0;
    bool Check(const QString& path, const QString& error)
    {
        if (error.isEmpty())
            return true;
        std::fprintf(stderr, "trelvo-report: cannot write %s: %s\n", qPrintable(path), qPrintable(error));
        ++failures;
        return false;
    }
    [[nodiscard]] int Status() const { return failures > 0 ? 1 : 0; }
};

QString WriteFile(const QString& path, const QByteArray& bytes, Links links = Links::Follow)
{
    return WriteWhole(path, bytes, links);
}

enum class PictureFormat { Png, Svg };

// The one way a picture is painted and saved, whole or not at all; the reason of a failure, or
// nothing. It is made in memory first: an encoder that fails half-way never touches the disk.
QString SavePicture(const QString& target, Links links, PictureFormat format, QSize size, const QString& title,
                    const std::function<void(QPainter&)>& paint)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (format == PictureFormat::Svg) {
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setSize(size);
        generator.setViewBox(QRect(QPoint(0, 0), size));
        // Written into the file as it is: a file name's & or < would break the XML.
        generator.setTitle(title.toHtmlEscaped());
        QPainter painter;
        if (!painter.begin(&generator))
            return QStringLiteral("the SVG could not be started");
        paint(painter);
        painter.end();
    } else {
        QImage image(size, QImage::Format_RGB32);
        QPainter painter(&image);
        paint(painter);
        painter.end();
        if (!image.save(&buffer, "PNG"))
            return QStringLiteral("the PNG could not be made");
    }
    return WriteFile(target, buffer.data(), links);
}

QString DefaultPicture(const QString& path, bool asSvg)
{
    return QFileInfo(path).path() + QLatin1Char('/') + QFileInfo(path).completeBaseName() +
           (asSvg ? QStringLiteral(".svg") : QStringLiteral(".png"));
}

// Qt's own notes (a missing runtime folder, font fallbacks) are not about the user's files.
void QuietQt(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "trelvo-report: %s\n", qPrintable(message));
        std::abort();
    }
}

struct Options {
    QString output, csv, edf, oscar, date, pdf, events, wave;
    bool svg = false;
};

QString WaveTarget(const QString& path, const QString& at, const QString& output)
{
    const QTime time = QTime::fromString(at, QStringLiteral("HH:mm:ss"));
    if (!time.isValid())
        Fail(2, QStringLiteral("--wave %1: give the time as HH:MM:SS").arg(at));
    return output.isEmpty() ? DefaultPicture(path, false).chopped(4) + QStringLiteral("-wave-") +
                                  time.toString(QStringLiteral("HHmmss")) + QStringLiteral(".png")
                            : output;
}

// 30 seconds of the wave around a clock time, as a picture.
int DrawWave(const QString& path, const Night& night, const QString& at, const QString& target, Links links)
{
    const QTime time = QTime::fromString(at, QStringLiteral("HH:mm:ss"));
    if (!night.hasWave)
        Fail(2, QStringLiteral("%1 holds no wave: only per-second files written with the wave column do").arg(path));
    // The first second of the night at that clock time.
    const double clock = time.msecsSinceStartOfDay() / 1000;
    const double start = night.readings.front().seconds, end = night.readings.back().seconds + night.step;
    double centre = std::floor(start / 86400) * 86400 + clock;
    if (centre < start)
        centre += 86400;
    if (centre >= end)
        Fail(2, QStringLiteral("the night runs from %1 to %2: %3 is not in it")
                    .arg(QString::fromStdString(ClockText(start)), QString::fromStdString(ClockText(end)), at));
    const std::vector<Beat> beats = DetectBeats(night);
    const QString title = QStringLiteral("%1 — the wave around %2")
                              .arg(QFileInfo(path).fileName(), QString::fromStdString(MomentText(night, centre)));
    Writing writing;
    if (writing.Check(target, SavePicture(target, links, PictureFormat::Png, QSize(kWaveWidth, kWaveHeight), {},
                                          [&](QPainter& p) { PaintWave(p, night, centre, beats, title); })))
        std::printf("Wave             %s (%s to %s)\n", qPrintable(target), ClockText(centre - kWaveSpan / 2).c_str(),
                    ClockText(centre + kWaveSpan / 2).c_str());
    return writing.Status();
}

// One night: summary on stdout, the picture, and what was asked for. Every output is tried;
// the status is 1 when any could not be written.
int ReportNight(const QString& path, const Options& o)
{
    QString error;
    std::optional<Loaded> read = Load(path, error);
    if (!read)
        Fail(2, QStringLiteral("cannot read %1: %2").arg(path, error));
    Loaded& loaded = *read;
    Night& night = loaded.night;
    if (const std::string problem = SpanProblem(night); !problem.empty())
        Fail(2, QStringLiteral("cannot report %1: %2").arg(path, QString::fromStdString(problem)));
    // The wave picture finds its own beats.
    const auto figures = Analyse(night, o.wave.isEmpty());
    if (!figures)
        Fail(2, QStringLiteral("%1 is not a record file of trelvo: no line reads like \"S 97 P 72 T 14:03:25  OK!\", "
                               "and it is no per-second file")
                    .arg(path));
    QString dateSaid;
    if (!night.date)
        night.date = DateOfRecordFile(path, night, o.date, dateSaid);

    // Nothing is written over a file this night is read from.
    ReadFiles inputs;
    for (const QString& file : loaded.read)
        inputs.Add(file);
    const Links pictureLinks = o.output.isEmpty() ? Links::Replace : Links::Follow;
    if (!o.wave.isEmpty()) {
        const QString target = WaveTarget(path, o.wave, o.output);
        RefuseOutputsOverInputs(inputs, {target});
        return DrawWave(path, night, o.wave, target, pictureLinks);
    }
    const QString target = o.output.isEmpty() ? DefaultPicture(path, o.svg) : o.output;
    std::vector<OscarFile> oscarFiles;
    QStringList outputs = {target, o.pdf, o.events, o.csv, o.edf};
    if (!o.oscar.isEmpty()) {
        oscarFiles = OscarFiles(night, *night.date);
        for (const OscarFile& file : oscarFiles)
            outputs << QDir(o.oscar).filePath(QString::fromStdString(file.name));
    }
    outputs.removeAll(QString());
    RefuseOutputsOverInputs(inputs, outputs);
    if (!o.edf.isEmpty() || !o.oscar.isEmpty())
        if (const std::string problem = GridProblem(night); !problem.empty())
            Fail(2, QStringLiteral("no EDF or OSCAR file of %1: %2").arg(path, QString::fromStdString(problem)));

    std::fputs(SummaryText(loaded.source.toStdString(), night, *figures).c_str(), stdout);
    if (!dateSaid.isEmpty())
        std::printf("Date             %s\n", qPrintable(dateSaid));

    Writing writing;
    const QString name = QFileInfo(path).fileName();
    const QString date = QString::fromStdString(DateText(*night.date));
    const QString title = QStringLiteral("%1 — night of %2").arg(name, date);
    if (writing.Check(target, SavePicture(target, pictureLinks, o.svg ? PictureFormat::Svg : PictureFormat::Png,
                                          QSize(kPlotWidth, kPlotHeight), title,
                                          [&](QPainter& p) { PaintReport(p, night, *figures, title); })))
        std::printf("Plot             %s\n", qPrintable(target));

    if (!o.pdf.isEmpty()) {
        QString source = name;
        if (!loaded.perSecond.isEmpty())
            source += QStringLiteral(" with its per-second file ") + QFileInfo(loaded.perSecond).fileName();
        if (!dateSaid.isEmpty())
            source += QStringLiteral(" · the date ") + dateSaid.section(QLatin1Char('('), 0, 0).trimmed().section(QLatin1Char(','), 1).trimmed();
        QBuffer page;
        page.open(QIODevice::WriteOnly);
        QString failure = WritePdf(page, night, *figures, QStringLiteral("Overnight oximetry — night of %1").arg(date), source);
        if (failure.isEmpty())
            failure = WriteFile(o.pdf, page.data());
        if (writing.Check(o.pdf, failure))
            std::printf("PDF              %s\n", qPrintable(o.pdf));
    }
    if (!o.events.isEmpty() && writing.Check(o.events, WriteFile(o.events, QByteArray::fromStdString(EventsCsv(night, *figures)))))
        std::printf("Events           %s (%zu desaturations)\n", qPrintable(o.events), figures->events3.size());
    if (!o.csv.isEmpty() && writing.Check(o.csv, WriteFile(o.csv, QByteArray::fromStdString(CsvText(night, *night.date)))))
        std::printf("CSV              %s (%zu rows)\n", qPrintable(o.csv), night.readings.size());
    if (!o.edf.isEmpty()) {
        OutputFile out(o.edf, Links::Follow);
        QString failure = out.Open() ? QString::fromStdString(WriteEdf(out.TemporaryPath().toStdString(), night,
                                                                       *figures, *night.date))
                                     : out.Error();
        if (failure.isEmpty() && !out.Commit())
            failure = out.Error();
        if (writing.Check(o.edf, failure)) {
            const bool wave = PlethRate(night).has_value();
            std::printf("EDF+             %s%s\n", qPrintable(o.edf),
                        wave && !EdfPlethRate(night) ? " (without Pleth: the wave covers less than a tenth of the night)" : "");
        }
    }
    if (!o.oscar.isEmpty()) {
        const QDir folder(o.oscar);
        if (!QDir().mkpath(folder.path())) {
            writing.Check(folder.path(), QStringLiteral("the folder cannot be made"));
        } else {
            for (const OscarFile& file : oscarFiles) {
                const QString oscarTarget = folder.filePath(QString::fromStdString(file.name));
                if (writing.Check(oscarTarget,
                                  WriteFile(oscarTarget, QByteArray(reinterpret_cast<const char*>(file.bytes.data()),
                                                                    static_cast<qsizetype>(file.bytes.size())))))
                    std::printf("OSCAR            %s\n", qPrintable(oscarTarget));
            }
        }
    }
    return writing.Status();
}

// The nights among the files given (folders stand for their .txt and .csv files): a record
// file brings its per-second file with it, which then is no night of its own.
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

// One night among many, worked out on its own: its summary row and its picture.
struct NightResult {
    std::optional<NightRow> row;
    QString problem;        // why it is skipped (for stderr)
    QString pictureError;   // why its picture could not be written
    QString perSecondUsed;  // the per-second file read with a record file
};

NightResult SummariseNight(const QString& path, const QString& picture)
{
    NightResult result;
    QString error;
    std::optional<Loaded> loaded = Load(path, error);
    if (!loaded) {
        result.problem = QStringLiteral("%1 skipped: %2").arg(path, error);
        return result;
    }
    result.perSecondUsed = loaded->perSecond;
    Night& night = loaded->night;
    if (const std::string problem = SpanProblem(night); !problem.empty()) {
        result.problem = QStringLiteral("%1 skipped: %2").arg(path, QString::fromStdString(problem));
        return result;
    }
    const auto figures = Analyse(night, false);
    if (!figures) {
        result.problem = QStringLiteral("%1 skipped: no record file or per-second file").arg(path);
        return result;
    }
    QString said;
    if (!night.date)
        night.date = DateOfRecordFile(path, night, {}, said);
    const QString name = QFileInfo(path).fileName();
    result.row = RowOf(name.toStdString(), night, *figures);
    const QString title = QStringLiteral("%1 — night of %2").arg(name, QString::fromStdString(result.row->date));
    result.pictureError = SavePicture(picture, Links::Replace, PictureFormat::Png, QSize(kPlotWidth, kPlotHeight), title,
                                      [&](QPainter& p) { PaintReport(p, night, *figures, title); });
    return result;
}

// The first bytes of a file tell a per-second file.
bool LooksPerSecond(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray start = file.read(128);
    return IsPerSecondFile(View(start));
}

int ReportNights(const QStringList& arguments, const Options& o)
{
    QString folder;
    const QStringList files = NightFiles(arguments, folder);
    ReadFiles inputs;

    // A per-second file that lies beside a record file among them is read with it, not as a
    // night of its own (unless the record file turns out not to use it).
    std::unordered_set<std::string> claimed;
    std::vector<bool> perSecond(static_cast<std::size_t>(files.size()));
    for (qsizetype i = 0; i < files.size(); ++i) {
        inputs.Add(files[i]);
        perSecond[static_cast<std::size_t>(i)] = LooksPerSecond(files[i]);
        if (perSecond[static_cast<std::size_t>(i)])
            continue;
        for (int n = 1;; ++n) {
            const QString candidate = QString::fromStdString(trelvo::recording::CompanionPath(files[i].toStdString(), n));
            if (!QFileInfo::exists(candidate))
                break;
            inputs.Add(candidate);
            if (LooksPerSecond(candidate)) {
                claimed.insert(QFileInfo(candidate).absoluteFilePath().toStdString());
                break;
            }
        }
    }
    std::vector<qsizetype> now, later;
    for (qsizetype i = 0; i < files.size(); ++i)
        (perSecond[static_cast<std::size_t>(i)] && claimed.contains(QFileInfo(files[i]).absoluteFilePath().toStdString())
             ? later
             : now)
            .push_back(i);

    // Each night's picture a name of its own, decided before any is drawn: night.txt and a
    // record file named night.csv would both want night.png.
    QStringList pictures(files.size());
    std::unordered_set<std::string> taken;
    for (const auto* which : {&now, &later})
        for (const qsizetype i : *which) {
            const QString base = DefaultPicture(files[i], false).chopped(4);
            QString picture = base + QStringLiteral(".png");
            for (int n = 2; taken.contains(QFileInfo(picture).absoluteFilePath().toStdString()); ++n)
                picture = base + QStringLiteral("-%1.png").arg(n);
            taken.insert(QFileInfo(picture).absoluteFilePath().toStdString());
            pictures[i] = picture;
        }
    if (folder.isEmpty())
        folder = QFileInfo(files.constFirst()).path();
    const QString trend = o.output.isEmpty() ? QDir(folder).filePath(QStringLiteral("trend.png")) : o.output;
    QStringList outputs = pictures;
    outputs << trend << o.csv;
    outputs.removeAll(QString());
    RefuseOutputsOverInputs(inputs, outputs);

    // The nights are independent: as many at once as there are cores.
    std::vector<NightResult> results(static_cast<std::size_t>(files.size()));
    const auto work = [&](const std::vector<qsizetype>& which) {
        std::atomic<std::size_t> next = 0;
        const auto worker = [&] {
            for (std::size_t k = next++; k < which.size(); k = next++)
                results[static_cast<std::size_t>(which[k])] = SummariseNight(files[which[k]], pictures[which[k]]);
        };
        std::vector<std::thread> threads;
        const unsigned cores = std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
        for (unsigned t = 1; t < std::min<std::size_t>(cores, which.size()); ++t)
            threads.emplace_back(worker);
        worker();
        for (std::thread& t : threads)
            t.join();
    };
    work(now);
    std::unordered_set<std::string> used;
    for (const NightResult& r : results)
        if (!r.perSecondUsed.isEmpty())
            used.insert(r.perSecondUsed.toStdString());
    std::erase_if(later, [&](qsizetype i) { return used.contains(QFileInfo(files[i]).absoluteFilePath().toStdString()); });
    work(later);

    Writing writing;
    std::vector<NightRow> rows;
    std::size_t drawn = 0;
    for (std::size_t i = 0; i < results.size(); ++i) {
        const NightResult& r = results[i];
        if (!r.problem.isEmpty())
            std::fprintf(stderr, "trelvo-report: %s\n", qPrintable(r.problem));
        if (!r.row)
            continue;
        rows.push_back(*r.row);
        drawn += writing.Check(pictures[static_cast<qsizetype>(i)], r.pictureError) ? 1 : 0;
    }
    if (rows.empty())
        Fail(2, QStringLiteral("none of the files given is a record file or a per-second file"));
    std::stable_sort(rows.begin(), rows.end(), [](const NightRow& a, const NightRow& b) { return a.date < b.date; });
    std::fputs(NightsTable(rows).c_str(), stdout);
    if (drawn == rows.size())
        std::printf("Pictures         %zu, beside each night's file\n", rows.size());
    else
        std::printf("Pictures         %zu of %zu written, beside each night's file (see the errors)\n", drawn,
                    rows.size());
    if (!o.csv.isEmpty() && writing.Check(o.csv, WriteFile(o.csv, QByteArray::fromStdString(NightsCsv(rows)))))
        std::printf("CSV              %s (%zu nights)\n", qPrintable(o.csv), rows.size());
    const QString trendTitle = QStringLiteral("%1 nights, %2 to %3")
                                   .arg(rows.size())
                                   .arg(QString::fromStdString(rows.front().date), QString::fromStdString(rows.back().date));
    if (writing.Check(trend, SavePicture(trend, o.output.isEmpty() ? Links::Replace : Links::Follow, PictureFormat::Png,
                                         QSize(kTrendWidth, kTrendHeight), trendTitle,
                                         [&](QPainter& p) { PaintTrend(p, rows, trendTitle); })))
        std::printf("Trend            %s\n", qPrintable(trend));
    else
        std::printf("Trend            not written (see the errors)\n");
    return writing.Status();
}

}  // namespace

int main(int argc, char* argv[])
{
    qInstallMessageHandler(QuietQt);
    // A file size limit fails the write with a reason instead of ending the process.
    std::signal(SIGXFSZ, SIG_IGN);
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
        "to <file>.png (or .svg) unless -o names another file. Given several files or a folder, one summary "
        "row per night, each night's picture beside its file, and a trend plot (trend.png, or -o)."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("files"),
                                 QStringLiteral("The record file or the per-second file; or several, or a folder."));
    const QCommandLineOption output(QStringLiteral("o"), QStringLiteral("Write the plot (or the trend plot) to <file>."),
                                    QStringLiteral("file"));
    const QCommandLineOption svg(QStringLiteral("svg"), QStringLiteral("Write the plot as SVG instead of PNG."));
    const QCommandLineOption csv(QStringLiteral("csv"),
                                 QStringLiteral("One night: its readings as CSV rows in the per-second file's columns. "
                                                "Several: one summary row per night."),
                                 QStringLiteral("file"));
    const QCommandLineOption edf(QStringLiteral("edf"), QStringLiteral("Write SpO2 and pulse as an EDF+ file."),
                                 QStringLiteral("file"));
    const QCommandLineOption oscar(QStringLiteral("oscar"),
                                   QStringLiteral("Write files OSCAR imports as oximetry into <folder>."),
                                   QStringLiteral("folder"));
    const QCommandLineOption pdf(QStringLiteral("pdf"), QStringLiteral("Write the one-page report as a PDF."),
                                 QStringLiteral("file"));
    const QCommandLineOption events(QStringLiteral("events"), QStringLiteral("Write the desaturations as CSV."),
                                    QStringLiteral("file"));
    const QCommandLineOption wave(QStringLiteral("wave"),
                                  QStringLiteral("Draw only the 30 seconds of the pulse wave around this time, with the "
                                                 "beats found and each second's SpO2 and pulse (to -o, or "
                                                 "<file>-wave-HHMMSS.png)."),
                                  QStringLiteral("HH:MM:SS"));
    const QCommandLineOption date(QStringLiteral("date"),
                                  QStringLiteral("The date of a record file's first line (YYYY-MM-DD); by default "
                                                 "taken from the file's modification time."),
                                  QStringLiteral("date"));
    parser.addOptions({output, svg, csv, edf, oscar, pdf, events, wave, date});
    parser.process(app);
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty())
        parser.showHelp(2);

    const Options o{parser.value(output), parser.value(csv),    parser.value(edf),  parser.value(oscar),
                    parser.value(date),   parser.value(pdf),    parser.value(events), parser.value(wave),
                    parser.isSet(svg)};
    if (files.size() == 1 && !QFileInfo(files.constFirst()).isDir())
        return ReportNight(files.constFirst(), o);
    if (!o.edf.isEmpty() || !o.oscar.isEmpty() || !o.pdf.isEmpty() || !o.events.isEmpty() || !o.date.isEmpty() ||
        !o.wave.isEmpty() || o.svg)
        Fail(2, QStringLiteral("--edf, --oscar, --pdf, --events, --wave, --date and --svg take one night; give one file"));
    return ReportNights(files, o);
}
