#include "tools/report/runs.h"

#include "lang/string_table.h"
#include "report/analysis/beats.h"
#include "report/files/regular_file.h"
#include "report/formats/nights.h"
#include "report/formats/write.h"
#include "report/library/summary_cache.h"
#include "report/render/page.h"
#include "report/render/picture.h"
#include "report/render/plot.h"
#include "report/words/summary_text.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QTime>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <unistd.h>

namespace trelvo::report_tool {

using namespace report;

int Refuse(int status, const QString& text)
{
    // A file's name may hold control characters: none reaches the terminal as it is.
    std::fprintf(stderr, "trelvo-report: %s\n", qPrintable(PrintableName(text)));
    return status;
}

namespace {

using Links = OutputFile::Links;

// Whether stdout carries the summary and the lines naming what was written: not when it carries
// data for a script (JSON, or a file asked for as "-"), nor with --quiet.
bool g_textOnStdout = true;

void DecideStdout(const Options& o)
{
    g_textOnStdout = !o.quiet && !o.json && o.csv != QLatin1String("-") && o.events != QLatin1String("-");
}

// How far a long run is, on one line of stderr that rewrites itself: only when stderr is a
// terminal (never into a pipe or a log) and not --quiet.
class Progress {
public:
    explicit Progress(const Options& o) : m_on(!o.quiet && ::isatty(STDERR_FILENO) == 1) {}
    ~Progress() { Clear(); }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;
    void Show(const char* what, std::size_t done, std::size_t total)
    {
        if (!m_on)
            return;
        std::fprintf(stderr, "\rtrelvo-report: %s %zu of %zu ", what, done, total);
        std::fflush(stderr);
        m_shown = true;
    }
    void Clear()
    {
        if (m_shown)
            std::fputs("\r\033[K", stderr);
        m_shown = false;
    }

private:
    bool m_on, m_shown = false;
};

bool IsStdout(const QString& path)
{
    return path == QLatin1String("-");
}

// Writes bytes to stdout, all of them (a pipe may take them in parts); false when it could not.
bool PutOnStdout(const std::string& bytes)
{
    const bool all = std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
    return std::fflush(stdout) == 0 && all;
}

std::optional<int> RefuseTwoOnStdout(const Options& o)
{
    const int onStdout = (o.json ? 1 : 0) + (IsStdout(o.csv) ? 1 : 0) + (IsStdout(o.events) ? 1 : 0);
    if (onStdout > 1)
        return Refuse(2, QStringLiteral("only one of --json, --csv - and --events - can go to standard output"));
    return std::nullopt;
}

QJsonValue Number(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return std::round(value * scale) / scale;
}

template <typename T>
QJsonValue Maybe(const std::optional<T>& value, int decimals = 1)
{
    return value ? Number(static_cast<double>(*value), decimals) : QJsonValue();
}

QJsonArray Texts(const std::vector<std::string>& texts)
{
    QJsonArray array;
    for (const std::string& t : texts)
        array.append(QString::fromStdString(t));
    return array;
}

// One night's figures for a script: English keys, numbers as numbers, times in ISO 8601 (with
// their UTC offset where the file tells it), the same figures the summary prints.
QJsonObject NightJson(const std::string& source, const Night& night, const Figures& f)
{
    const auto perHour = [&](std::size_t count) {
        return f.validSeconds > 0 ? Number(static_cast<double>(count) * 3600 / f.validSeconds, 1) : QJsonValue();
    };
    const auto moment = [&](double t) { return QString::fromStdString(IsoMomentText(night, t)); };
    const bool valid = f.validSeconds > 0;
    return QJsonObject{
        {"source", QString::fromStdString(source)},
        {"start", moment(f.start)},
        {"end", moment(f.end)},
        {"recordedSeconds", Number(f.end - f.start, 0)},
        {"analysedSeconds", Number(f.validSeconds, 0)},
        {"excludedSeconds", QJsonObject{{"noData", Number(f.noDataSeconds, 0)},
                                        {"probeOff", Number(f.probeOffSeconds, 0)},
                                        {"noFinger", Number(f.noSignalSeconds, 0)},
                                        {"markedByYou", Number(f.markedSeconds, 0)}}},
        {"markedReasons", Texts(f.markedReasons)},
        {"spo2", valid ? QJsonValue(QJsonObject{{"mean", Number(f.spo2Mean, 1)},
                                                {"median", Number(f.spo2Median, 1)},
                                                {"lowest", f.spo2Min},
                                                {"lowestAt", moment(f.spo2MinAt)}})
                       : QJsonValue()},
        {"baseline", Maybe(f.baselineMedian)},
        {"t90Minutes", Number(f.below90Seconds / 60, 1)},
        {"t88Minutes", Number(f.atOrBelow88Seconds / 60, 1)},
        {"odi3",
         QJsonObject{{"events", static_cast<qint64>(f.events3.size())}, {"perHour", perHour(f.events3.size())}}},
        {"odi4",
         QJsonObject{{"events", static_cast<qint64>(f.events4.size())}, {"perHour", perHour(f.events4.size())}}},
        {"pulse", f.hasPulse ? QJsonValue(QJsonObject{
                                   {"mean", Number(f.pulseMean, 0)}, {"lowest", f.pulseMin}, {"highest", f.pulseMax}})
                             : QJsonValue()},
        {"pulseRises",
         QJsonObject{{"events", static_cast<qint64>(f.pulseRises.size())}, {"perHour", perHour(f.pulseRises.size())}}},
        {"resolutionSeconds", night.step},
        {"note", QString::fromStdString(night.note)},
        {"tags", Texts(night.tags)},
    };
}

// A row of the table of nights for a script.
QJsonObject RowJson(const FolderNight& night)
{
    const NightRow& r = night.row;
    return QJsonObject{
        {"date", QString::fromStdString(r.date)},
        {"start", QString::fromStdString(r.start)},
        {"end", QString::fromStdString(r.end)},
        {"files", QString::fromStdString(r.name)},
        {"recordingHours", Number(r.recordingHours, 2)},
        {"analysedHours", Number(r.analysedHours, 2)},
        {"spo2Mean", Maybe(r.spo2Mean)},
        {"spo2Lowest", Maybe(r.spo2Min, 0)},
        {"t90Minutes", Number(r.t90Minutes, 1)},
        {"t88Minutes", Number(r.t88Minutes, 1)},
        {"odi3", Maybe(r.odi3)},
        {"odi4", Maybe(r.odi4)},
        {"pulseMean", Maybe(r.pulseMean, 0)},
        {"countedInMeans", CountedInMeans(r)},
        {"note", QString::fromStdString(night.notes.note)},
        {"tags", Texts(night.notes.tags)},
    };
}

bool PutJson(const QJsonValue& value)
{
    const QByteArray text = value.isArray() ? QJsonDocument(value.toArray()).toJson(QJsonDocument::Indented)
                                            : QJsonDocument(value.toObject()).toJson(QJsonDocument::Indented);
    return PutOnStdout(text.toStdString());
}

// Status 2 before anything is written when an output would replace a file read.
std::optional<int> RefuseOutputsOverInputs(const ReadFiles& read, const QStringList& outputs)
{
    if (const auto replaced = WouldReplace(read, outputs))
        return Refuse(2, QStringLiteral("%1 would replace %2, which this report reads: give the output another name")
                             .arg(PrintableName(replaced->output), PrintableName(replaced->input)));
    return std::nullopt;
}

// A line on stdout that names a file written: its name, then what it says.
void Written(const Speech& speech, int label, const std::string& what)
{
    if (!g_textOnStdout)
        return;
    std::printf("%s %s\n", LineName(speech, label).c_str(),
                PrintableName(QString::fromStdString(what)).toUtf8().constData());
}

void Written(const Speech& speech, int label, int what, std::initializer_list<std::string_view> values)
{
    Written(speech, label, speech.Text(what, values));
}

// What went wrong with a file, in the words of the tool's other messages on stderr.
QString Said(const Problem& problem)
{
    return QString::fromStdString(Words(problem, Speech(lang::kEnglish)));
}

// What failed to be written, said on stderr as it happens; the status at the end.
struct Writing {
    int failures = 0;
    bool Check(const QString& path, const WriteFailure& failure)
    {
        return Check(path, failure ? Said(*failure) : QString());
    }
    bool Check(const QString& path, const QString& error)
    {
        if (error.isEmpty())
            return true;
        std::fprintf(stderr, "trelvo-report: cannot write %s: %s\n", qPrintable(PrintableName(path)),
                     qPrintable(PrintableName(error)));
        ++failures;
        return false;
    }
    [[nodiscard]] int Status() const { return failures > 0 ? 1 : 0; }
};

// 30 seconds of the wave around a clock time, as a picture.
int DrawWave(const QString& path, const Night& night, const ReadFiles& inputs, const Options& o)
{
    const QTime time = QTime::fromString(o.wave, QStringLiteral("HH:mm:ss"));
    if (!time.isValid())
        return Refuse(2, QStringLiteral("--wave %1: give the time as HH:MM:SS").arg(o.wave));
    const QString target = o.output.isEmpty()
                               ? DefaultPicture(path, PictureFormat::Png).chopped(4) + QStringLiteral("-wave-") +
                                     time.toString(QStringLiteral("HHmmss")) + QStringLiteral(".png")
                               : o.output;
    if (const auto refused = RefuseOutputsOverInputs(inputs, {target}))
        return *refused;
    if (!night.hasWave)
        return Refuse(
            2, QStringLiteral("%1 holds no wave: only per-second files written with the wave column do").arg(path));
    // The first second of the night whose local clock shows that time (after a change of summer
    // time the clock is not the axis).
    const double start = night.readings.front().seconds, end = night.readings.back().seconds + night.step;
    const double clock = time.msecsSinceStartOfDay() / 1000;
    std::optional<double> centre;
    for (double day = std::floor(start / 86400) * 86400; !centre && day < end + 86400; day += 86400)
        for (const double t : {day + clock, day + clock - (LocalSeconds(night, day + clock) - (day + clock))})
            if (!centre && t >= start && t < end && std::lround(LocalSeconds(night, t)) % 86400 == std::lround(clock))
                centre = t;
    if (!centre)
        return Refuse(2, QStringLiteral("the night runs from %1 to %2: %3 is not in it")
                             .arg(QString::fromStdString(ClockAt(night, start)),
                                  QString::fromStdString(ClockAt(night, end)), o.wave));
    const std::vector<Beat> beats = DetectBeats(night);
    const Speech speech(o.language);
    const QString title = QString::fromStdString(
        speech.Text(lang::text::report::kWaveTitle,
                    {QFileInfo(path).fileName().toStdString(), speech.Moment(MomentText(night, *centre))}));
    Writing writing;
    if (writing.Check(target, SavePicture(target, o.output.isEmpty() ? Links::Replace : Links::Follow,
                                          PictureFormat::Png, QSize(kWaveWidth, kWaveHeight), {},
                                          [&](QPainter& p) { PaintWave(p, night, *centre, beats, title, speech); })))
        Written(
            speech, lang::text::report::kWaveLabel, lang::text::report::kFromTo,
            {target.toStdString(), ClockAt(night, *centre - kWaveSpan / 2), ClockAt(night, *centre + kWaveSpan / 2)});
    return writing.Status();
}

// Only the nights of the range asked for, with their pictures.
std::optional<int> KeepRange(NightsPlan& plan, const Options& o)
{
    auto& nights = plan.listing.nights;
    for (std::size_t i = nights.size(); i-- > 0;) {
        if (!NightInRange(nights[i].row, o.from, o.to)) {
            nights.erase(nights.begin() + static_cast<std::ptrdiff_t>(i));
            plan.pictures.removeAt(static_cast<qsizetype>(i));
        }
    }
    if (nights.empty() && (o.from || o.to))
        return Refuse(2, QStringLiteral("no night from %1 to %2 among the files given")
                             .arg(o.from ? o.from->toString(Qt::ISODate) : QStringLiteral("the first"),
                                  o.to ? o.to->toString(Qt::ISODate) : QStringLiteral("the last")));
    return std::nullopt;
}

// The report for the doctor over the nights of the run.
NightsReport ReportForTheDoctor(const NightsPlan& plan, const std::vector<NightRow>& rows, const Options& o)
{
    const Speech speech(o.language);
    const auto date = [&](const std::optional<QDate>& given, const std::string& first) {
        return speech.Date(given ? given->toString(Qt::ISODate).toStdString() : first);
    };
    NightsReport report = ReportOfNights(
        {plan.listing.nights.rbegin(), plan.listing.nights.rend()},
        rows.empty() ? QString()
                     : QString::fromStdString(speech.Text(lang::text::report::kRange, {date(o.from, rows.front().date),
                                                                                       date(o.to, rows.back().date)})),
        speech);
    report.person = o.name;
    report.born = o.born;
    return report;
}

}  // namespace

// Every output is tried; the status is 1 when any could not be written.
int ReportNight(const QString& path, const Options& o)
{
    DecideStdout(o);
    if (const auto refused = RefuseTwoOnStdout(o))
        return *refused;
    const Speech speech(o.language);
    const std::optional<CivilDate> given =
        o.date ? std::optional(CivilDate{o.date->year(), o.date->month(), o.date->day()}) : std::nullopt;
    Outcome<FileNight> outcome = ReadFileNight(path, given);
    if (!outcome.value)
        return Refuse(2, QStringLiteral("cannot read %1: %2")
                             .arg(PrintableName(path), QString::fromStdString(Words(*outcome.problem, speech))));
    std::optional<FileNight>& read = outcome.value;
    Night& night = read->night;
    if (const std::string problem = SpanProblem(night); !problem.empty())
        return Refuse(2,
                      QStringLiteral("cannot report %1: %2").arg(PrintableName(path), QString::fromStdString(problem)));
    if (read->notesProblem)
        std::fprintf(stderr, "trelvo-report: %s: %s\n", qPrintable(PrintableName(read->notesPath)),
                     Words(*read->notesProblem, speech).c_str());
    // The wave picture finds its own beats.
    const auto figures = Analyse(night, o.wave.isEmpty());
    if (!figures)
        return Refuse(
            2, QStringLiteral("%1 is not a record file of trelvo: no line reads like \"S 97 P 72 T 14:03:25  OK!\", "
                              "and it is no per-second file")
                   .arg(PrintableName(path)));
    const std::string fileName = PrintableName(QFileInfo(path).fileName()).toStdString();
    const std::string source =
        !read->perSecond.isEmpty()
            ? speech.Text(lang::text::report::kSourceWith,
                          {fileName, PrintableName(QFileInfo(read->perSecond).fileName()).toStdString()})
            : speech.Text(read->recordFile ? lang::text::report::kSourceRecord : lang::text::report::kSourcePerSecond,
                          {fileName});
    QString dateSaid;
    if (read->recordFile && read->perSecond.isEmpty() && night.date)
        dateSaid = QString::fromStdString(speech.Text(
            o.date ? lang::text::report::kDateGiven : lang::text::report::kDateFromFile, {speech.Date(*night.date)}));
    // Nothing is written over a file this night is read from.
    ReadFiles inputs;
    for (const QString& file : read->read)
        inputs.Add(file);
    if (!o.wave.isEmpty() && o.fromStdin && o.output.isEmpty())
        return Refuse(2, QStringLiteral("--wave of a night on standard input: give the picture's name with -o"));
    if (!o.wave.isEmpty())
        return DrawWave(path, night, inputs, o);
    // The picture beside the file unless told otherwise (a night from standard input has no
    // beside), or where -o says.
    const bool picture = !o.output.isEmpty() || (!o.noPicture && !o.fromStdin);
    const QString target = !picture             ? QString()
                           : o.output.isEmpty() ? DefaultPicture(path, o.svg ? PictureFormat::Svg : PictureFormat::Png)
                                                : o.output;
    const std::vector<OscarFile> oscarFiles =
        o.oscar.isEmpty() ? std::vector<OscarFile>() : OscarFiles(night, *night.date);
    QStringList outputs;
    for (const QString& output : {target, o.pdf, o.events, o.csv, o.edf})
        if (!output.isEmpty() && !IsStdout(output))
            outputs << output;
    for (const OscarFile& file : oscarFiles)
        outputs << OscarFilePath(o.oscar, file);
    if (const auto refused = RefuseOutputsOverInputs(inputs, outputs))
        return *refused;
    if (!o.edf.isEmpty() || !o.oscar.isEmpty())
        if (const std::optional<Problem> problem = GridProblem(night))
            return Refuse(2, QStringLiteral("no EDF or OSCAR file of %1: %2").arg(path, Said(*problem)));

    if (g_textOnStdout) {
        std::fputs(SummaryText(source, night, *figures, speech).c_str(), stdout);
        if (!dateSaid.isEmpty())
            std::printf("%s %s\n", LineName(speech, lang::text::report::kDateLabel).c_str(), qPrintable(dateSaid));
    }
    Writing writing;
    if (o.json && !PutJson(NightJson(fileName, night, *figures)))
        writing.Check(QStringLiteral("standard output"), QStringLiteral("the reader closed it"));
    const QString name = QFileInfo(path).fileName();
    const QString date = QString::fromStdString(DateText(*night.date));
    const QString title = QString::fromStdString(
        speech.Text(lang::text::report::kPictureTitle, {name.toStdString(), speech.Date(date.toStdString())}));
    if (picture && writing.Check(target, SavePicture(target, o.output.isEmpty() ? Links::Replace : Links::Follow,
                                                     o.svg ? PictureFormat::Svg : PictureFormat::Png,
                                                     QSize(kPlotWidth, kPlotHeight), title, [&](QPainter& p) {
                                                         PaintReport(p, night, *figures, title, speech);
                                                     })))
        Written(speech, lang::text::report::kPlotLabel, target.toStdString());
    if (!o.pdf.isEmpty()) {
        QString source = name;
        if (!read->perSecond.isEmpty())
            source = QString::fromStdString(
                speech.Text(lang::text::report::kSourceWith,
                            {name.toStdString(), QFileInfo(read->perSecond).fileName().toStdString()}));
        if (!dateSaid.isEmpty())
            source += QString::fromStdString(speech.Text(lang::text::report::kSourceDate)) +
                      dateSaid.section(QLatin1Char('('), 0, 0).trimmed().section(QLatin1Char(','), 1).trimmed();
        const QString pdfTitle = QString::fromStdString(NightTitle(speech, date.toStdString()));
        if (writing.Check(o.pdf, WritePdfFile(o.pdf, night, *figures, pdfTitle, source, speech)))
            Written(speech, lang::text::report::kPdfLabel, o.pdf.toStdString());
    }
    if (IsStdout(o.events))
        writing.Check(QStringLiteral("standard output"),
                      PutOnStdout(EventsCsv(night, *figures)) ? QString() : QStringLiteral("the reader closed it"));
    else if (!o.events.isEmpty() && writing.Check(o.events, WriteEventsFile(o.events, night, *figures)))
        Written(speech, lang::text::report::kEventsLabel, lang::text::report::kEventsWritten,
                {o.events.toStdString(), std::to_string(figures->events3.size())});
    if (IsStdout(o.csv))
        writing.Check(QStringLiteral("standard output"),
                      PutOnStdout(CsvText(night, *night.date)) ? QString() : QStringLiteral("the reader closed it"));
    else if (!o.csv.isEmpty() && writing.Check(o.csv, WriteCsvFile(o.csv, night, *night.date)))
        Written(speech, lang::text::report::kCsvLabel, lang::text::report::kRowsWritten,
                {o.csv.toStdString(), std::to_string(night.readings.size())});
    if (!o.edf.isEmpty() && writing.Check(o.edf, WriteEdfFile(o.edf, night, *figures, *night.date)) && g_textOnStdout)
        std::printf("%s %s%s\n", LineName(speech, lang::text::report::kEdfLabel).c_str(), qPrintable(o.edf),
                    PlethRate(night) && !EdfPlethRate(night) ? speech.Text(lang::text::report::kWithoutPleth).c_str()
                                                             : "");
    if (!o.oscar.isEmpty())
        for (const auto& [file, failure] : WriteOscarFolder(o.oscar, oscarFiles))
            if (writing.Check(file, failure))
                Written(speech, lang::text::report::kOscarLabel, file.toStdString());
    return writing.Status();
}

int ReportNights(const QStringList& arguments, const Options& o)
{
    DecideStdout(o);
    if (const auto refused = RefuseTwoOnStdout(o))
        return *refused;
    if (IsStdout(o.events))
        return Refuse(2, QStringLiteral("--events is for one night"));
    // The nights window's own summary cache: a folder listed before lists again without reading
    // its unchanged files. One that cannot be opened is not used (the files are read).
    std::optional<SummaryCache> cache;
    if (!o.noCache)
        cache.emplace(DefaultCachePath());
    NightsPlan plan = PlanNights(arguments, cache ? &*cache : nullptr);
    if (const auto refused = KeepRange(plan, o))
        return *refused;
    // Without pictures: only the trend -o names.
    if (o.noPicture)
        plan.pictures.clear();
    const QString trend = o.output.isEmpty() && !o.noPicture ? plan.trend : o.output;
    const QString csv = IsStdout(o.csv) ? QString() : o.csv;
    if (const auto refused = RefuseOutputsOverInputs(plan.inputs, plan.pictures + QStringList{trend, csv, o.pdf}))
        return *refused;
    // No output over another of the same run.
    QStringList outputs = plan.pictures;
    for (const QString& output : {trend, csv, o.pdf}) {
        if (output.isEmpty())
            continue;
        for (const QString& earlier : outputs)
            if (QFileInfo(earlier).absoluteFilePath() == QFileInfo(output).absoluteFilePath())
                return Refuse(2, QStringLiteral("%1 is named for two outputs of this run: give one another name")
                                     .arg(PrintableName(output)));
        outputs << output;
    }
    for (const auto& [file, why] : plan.listing.unreadable)
        std::fprintf(stderr, "trelvo-report: %s skipped: %s\n", qPrintable(file),
                     Words(why, Speech(o.language)).c_str());
    Progress progress(o);
    const std::size_t count = plan.listing.nights.size();
    const std::vector<QString> failures =
        o.noPicture
            ? std::vector<QString>(count)
            : DrawNights(plan, Speech(o.language), [&](std::size_t done) { progress.Show("pictures", done, count); });
    progress.Clear();

    Writing writing;
    std::vector<NightRow> rows;
    QJsonArray rowsJson;
    std::size_t drawn = 0;
    for (std::size_t i = 0; i < failures.size(); ++i) {
        rows.insert(rows.begin(), plan.listing.nights[i].row);  // oldest first
        rowsJson.prepend(RowJson(plan.listing.nights[i]));
        if (!o.noPicture)
            drawn += writing.Check(plan.pictures[static_cast<qsizetype>(i)], failures[i]) ? 1 : 0;
    }
    if (rows.empty())
        return Refuse(2, QStringLiteral("none of the files given is a record file or a per-second file"));
    const Speech speech(o.language);
    if (g_textOnStdout)
        std::fputs(NightsTable(rows, speech).c_str(), stdout);
    if (o.json && !PutJson(rowsJson))
        writing.Check(QStringLiteral("standard output"), QStringLiteral("the reader closed it"));
    if (IsStdout(o.csv))
        writing.Check(QStringLiteral("standard output"),
                      PutOnStdout(NightsCsv(rows)) ? QString() : QStringLiteral("the reader closed it"));
    if (!o.noPicture && drawn == rows.size())
        Written(speech, lang::text::report::kPicturesLabel, lang::text::report::kPicturesWritten,
                {std::to_string(rows.size())});
    else if (!o.noPicture)
        Written(speech, lang::text::report::kPicturesLabel, lang::text::report::kSomePicturesWritten,
                {std::to_string(drawn), std::to_string(rows.size())});
    if (!o.pdf.isEmpty()) {
        NightsReport report = ReportForTheDoctor(plan, rows, o);
        // Each night's page read when drawn: the line counts the pages.
        const auto load = report.night;
        report.night = [&](std::size_t i) {
            progress.Show("PDF pages", i + 1, rows.size());
            return load(i);
        };
        const WriteFailure failure = WriteNightsPdfFile(o.pdf, report);
        progress.Clear();
        if (writing.Check(o.pdf, failure))
            Written(speech, lang::text::report::kPdfLabel, lang::text::report::kNightsPdfWritten,
                    {o.pdf.toStdString(), std::to_string(rows.size()), report.range.toStdString()});
    }
    if (!csv.isEmpty() && writing.Check(o.csv, WriteNightsCsvFile(o.csv, rows)))
        Written(speech, lang::text::report::kCsvLabel, lang::text::report::kNightsWritten,
                {o.csv.toStdString(), std::to_string(rows.size())});
    const QString title = QString::fromStdString(
        speech.Text(lang::text::report::kTrendTitle,
                    {std::to_string(rows.size()), speech.Date(rows.front().date), speech.Date(rows.back().date)}));
    if (trend.isEmpty())
        return writing.Status();
    if (writing.Check(trend, SavePicture(trend, o.output.isEmpty() ? Links::Replace : Links::Follow, PictureFormat::Png,
                                         QSize(kTrendWidth, kTrendHeight), title,
                                         [&](QPainter& p) { PaintTrend(p, rows, title, speech); })))
        Written(speech, lang::text::report::kTrendLabel, trend.toStdString());
    else
        Written(speech, lang::text::report::kTrendLabel, lang::text::report::kNotWritten, {});
    return writing.Status();
}

}  // namespace trelvo::report_tool
