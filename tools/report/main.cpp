// trelvo-report: statistics and a plot of a night, the night as CSV, EDF+ or OSCAR files, a
// one-page PDF, and a summary of many nights. Options and dispatch; the runs are in runs.cpp and
// the work in report/.

#include "tools/report/runs.h"

#include "tools/cli/command_line.h"

#include "lang/string_table.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QLocale>
#include <QTemporaryDir>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {

using namespace trelvo::report_tool;

// Qt's own notes (a missing runtime folder, font fallbacks) are not about the user's files.
void QuietQt(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "trelvo-report: %s\n", qPrintable(message));
        std::abort();
    }
}

}  // namespace

int main(int argc, char* argv[])
{
    qInstallMessageHandler(QuietQt);
    // A file size limit fails the write with a reason instead of ending the process.
    std::signal(SIGXFSZ, SIG_IGN);
    // Nor does a reader that closes the pipe early: the write fails, is named, and the status is 1.
    std::signal(SIGPIPE, SIG_IGN);
    // Drawing needs no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("trelvo-report"));
    QGuiApplication::setApplicationVersion(QStringLiteral(TRELVO_VERSION));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Statistics and a plot of a night recorded by trelvo. Give the record file (its per-second file is "
        "read when it lies beside it) or the per-second file. The summary goes to standard output; the plot "
        "to <file>.png (or .svg) unless -o names another file. Given several files or a folder, one summary "
        "row per night, each night's picture beside its file, and a trend plot (trend.png, or -o).\n\n"
        "Exit status: 0 everything asked for was written; 1 an output could not be written (the others were "
        "tried); 2 the command line or an input was refused (nothing written)."));
    parser.addPositionalArgument(QStringLiteral("files"),
                                 QStringLiteral("The record file or the per-second file; or several, or a folder."));
    const QCommandLineOption output(
        QStringLiteral("o"), QStringLiteral("Write the plot (or the trend plot) to <file>."), QStringLiteral("file"));
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
    const QCommandLineOption pdf(QStringLiteral("pdf"),
                                 QStringLiteral("Write the one-page report as a PDF; given several nights, the report "
                                                "for the doctor: a page of all nights, then a page for each."),
                                 QStringLiteral("file"));
    const QCommandLineOption language(QStringLiteral("lang"),
                                      QStringLiteral("The language of the pictures and pages: de or en (by default the "
                                                     "locale's, English unless it is German)."),
                                      QStringLiteral("de|en"));
    const QCommandLineOption from(QStringLiteral("from"),
                                  QStringLiteral("Several nights: only those from this night on (YYYY-MM-DD)."),
                                  QStringLiteral("date"));
    const QCommandLineOption to(QStringLiteral("to"),
                                QStringLiteral("Several nights: only those up to this night (YYYY-MM-DD)."),
                                QStringLiteral("date"));
    const QCommandLineOption name(
        QStringLiteral("name"), QStringLiteral("The person's name on the PDF of many nights."), QStringLiteral("text"));
    const QCommandLineOption born(QStringLiteral("born"),
                                  QStringLiteral("The person's date of birth on the PDF of many nights."),
                                  QStringLiteral("text"));
    const QCommandLineOption events(QStringLiteral("events"), QStringLiteral("Write the desaturations as CSV."),
                                    QStringLiteral("file"));
    const QCommandLineOption wave(
        QStringLiteral("wave"),
        QStringLiteral("Draw only the 30 seconds of the pulse wave around this time, with the "
                       "beats found and each second's SpO2 and pulse (to -o, or "
                       "<file>-wave-HHMMSS.png)."),
        QStringLiteral("HH:MM:SS"));
    const QCommandLineOption json(QStringLiteral("json"),
                                  QStringLiteral("The summary (one night) or the table of nights as JSON on standard "
                                                 "output, for scripts, instead of the text."));
    const QCommandLineOption noPicture(QStringLiteral("no-picture"),
                                       QStringLiteral("Write no picture beside the files (nor the trend), only what is "
                                                      "asked for; -o still names one."));
    const QCommandLineOption quiet(QStringLiteral("quiet"),
                                   QStringLiteral("Nothing on standard output but what is asked for there; errors "
                                                  "still on standard error."));
    const QCommandLineOption noCache(
        QStringLiteral("no-cache"),
        QStringLiteral("Many nights: read every file again, neither using nor filling the summary cache the nights "
                       "window keeps (Trelvo/nights.sqlite in the user's cache folder). By default a night whose "
                       "files are unchanged is listed from there."));
    const QCommandLineOption date(QStringLiteral("date"),
                                  QStringLiteral("The date of a record file's first line (YYYY-MM-DD); by default "
                                                 "taken from the file's modification time."),
                                  QStringLiteral("date"));
    parser.addOptions({output, svg, csv, edf, oscar, pdf, events, wave, date, from, to, name, born, language, json,
                       noPicture, quiet, noCache});
    if (const auto status = trelvo::tools::ParseCommandLine(parser, QCoreApplication::arguments()))
        return *status;
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty())
        return Refuse(trelvo::tools::kRefused,
                      QStringLiteral("give a record file, a per-second file or a folder; see trelvo-report --help"));

    Options o{parser.value(output), parser.value(csv),  parser.value(edf), parser.value(oscar), parser.value(pdf),
              parser.value(events), parser.value(wave), std::nullopt,      parser.isSet(svg),   std::nullopt,
              std::nullopt,         QString(),          QString()};
    if (parser.isSet(date)) {
        o.date = QDate::fromString(parser.value(date), Qt::ISODate);
        if (!o.date->isValid())
            return Refuse(
                2, QStringLiteral("--date %1: give the date of the first line as YYYY-MM-DD").arg(parser.value(date)));
    }
    for (const auto& [option, value] : {std::pair{&from, &o.from}, std::pair{&to, &o.to}})
        if (parser.isSet(*option)) {
            *value = QDate::fromString(parser.value(*option), Qt::ISODate);
            if (!(*value)->isValid())
                return Refuse(2, QStringLiteral("--%1 %2: give the night's date as YYYY-MM-DD")
                                     .arg(option->names().constFirst(), parser.value(*option)));
        }
    o.language = QLocale().language() == QLocale::German ? trelvo::lang::kGerman : trelvo::lang::kEnglish;
    if (parser.isSet(language)) {
        const QString chosen = parser.value(language);
        if (chosen != QStringLiteral("de") && chosen != QStringLiteral("en"))
            return Refuse(2, QStringLiteral("--lang %1: give de or en").arg(chosen));
        o.language = chosen == QStringLiteral("de") ? trelvo::lang::kGerman : trelvo::lang::kEnglish;
    }
    o.name = parser.value(name);
    o.born = parser.value(born);
    o.json = parser.isSet(json);
    o.noPicture = parser.isSet(noPicture);
    o.quiet = parser.isSet(quiet);
    o.noCache = parser.isSet(noCache);
    // "-": the night on standard input, read whole into a file of its own (its kind is told by
    // what it holds), with no picture beside it.
    QTemporaryDir stdinFolder;
    if (files.contains(QStringLiteral("-"))) {
        if (files.size() > 1)
            return Refuse(2, QStringLiteral("- (standard input) stands for one night: give no other file with it"));
        const QString copy = stdinFolder.filePath(QStringLiteral("stdin"));
        QFile in, out(copy);
        if (!stdinFolder.isValid() || !in.open(stdin, QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
            return Refuse(2, QStringLiteral("cannot read standard input"));
        while (!in.atEnd()) {
            const QByteArray chunk = in.read(1 << 20);
            if (chunk.isEmpty() && !in.atEnd())
                return Refuse(2, QStringLiteral("cannot read standard input"));
            if (out.write(chunk) != chunk.size())
                return Refuse(2, QStringLiteral("cannot keep standard input: %1").arg(out.errorString()));
        }
        out.close();
        o.fromStdin = true;
        return ReportNight(copy, o);
    }
    const bool many = files.size() > 1 || QFileInfo(files.constFirst()).isDir();
    if (!many && !o.from && !o.to)
        return ReportNight(files.constFirst(), o);
    if (!o.edf.isEmpty() || !o.oscar.isEmpty() || !o.events.isEmpty() || o.date || !o.wave.isEmpty() || o.svg)
        return Refuse(
            2, QStringLiteral("--edf, --oscar, --events, --wave, --date and --svg take one night; give one file"));
    return ReportNights(files, o);
}
