#include "support/simulated_night.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTimeZone>

#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct ReportRun {
    int status;
    QString out, err;
};

// The tool as a user runs it; without a runtime folder, which Qt likes to warn about. The child
// may be set up before it starts (a file size limit, another user).
ReportRun Report(const QStringList& args, const std::function<void()>& inChild = {})
{
    QProcess p;
    if (inChild)
        p.setChildProcessModifier(inChild);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    p.setProcessEnvironment(environment);
    p.start(QStringLiteral(TRELVO_REPORT_PATH), args);
    p.waitForFinished(30'000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

void Put(const QString& path, const QByteArray& content)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
}

// 200 record lines from 23:00:00 with one dip to 90 % for 25 s.
QString PutNight(const QTemporaryDir& dir)
{
    const QString night = dir.filePath(QStringLiteral("night.txt"));
    QByteArray lines;
    for (int i = 0; i < 200; ++i)
        lines += QStringLiteral("S %1 P 70 T 23:%2:%3  OK!\r\n")
                     .arg(i > 100 && i < 106 ? 90 : 96)
                     .arg(i * 5 / 60, 2, 10, QLatin1Char('0'))
                     .arg(i * 5 % 60, 2, 10, QLatin1Char('0'))
                     .toLatin1();
    Put(night, lines);
    return night;
}

// A per-second file's rows, one a second from `start` (a clock's reading, `offset` its distance
// from UTC as the file writes it).
QByteArray PerSecondRows(const QDateTime& start, const char* offset, int seconds, int spo2 = 96)
{
    QByteArray rows = "local_time,spo2_percent,pulse_per_min,status\r\n";
    for (int i = 0; i < seconds; ++i)
        rows += start.addSecs(i).toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toLatin1() + offset + "," +
                QByteArray::number(spo2) + ",70,ok\r\n";
    return rows;
}

QDateTime At(const char* date, QTime time)
{
    return {QDate::fromString(QLatin1String(date), Qt::ISODate), time, QTimeZone::utc()};
}

// One meaning for each exit status, the option parser's errors included: 0 --help and --version
// (on stdout), 2 whatever refuses the command line (on stderr, with nothing on stdout); the same for
// the simulator. (1, an output not written, is below, with the outputs.)
TEST(ReportTool, EachExitStatusHasOneMeaningOnEveryPath)
{
    for (const auto& [args, status] :
         {std::pair{QStringList{"--version"}, 0}, std::pair{QStringList{"--help"}, 0},
          std::pair{QStringList{"--bogus", "x.txt"}, 2}, std::pair{QStringList{"--pdf"}, 2},
          std::pair{QStringList{}, 2}, std::pair{QStringList{"-x.txt"}, 2},
          std::pair{QStringList{"--lang", "fr", "x.txt"}, 2}}) {
        const ReportRun run = Report(args);
        SCOPED_TRACE(args.join(' ').toStdString());
        EXPECT_EQ(run.status, status) << run.err.toStdString();
        EXPECT_EQ(run.out.isEmpty(), status != 0);
        EXPECT_EQ(run.err.isEmpty(), status == 0) << run.err.toStdString();
    }
    EXPECT_TRUE(Report({"--version"}).out.startsWith("trelvo-report 1."));
    EXPECT_TRUE(Report({"--help"}).out.contains("Exit status: 0 everything asked for was written; 1 an output"));
    for (const auto& [arg, status] : {std::pair{"--version", 0}, std::pair{"--bogus", 2}}) {
        QProcess sim;
        sim.start(QStringLiteral(TRELVO_SIM_PATH), {QLatin1String(arg)});
        ASSERT_TRUE(sim.waitForFinished(10'000));
        EXPECT_EQ(sim.exitCode(), status) << arg;
    }
}

// For scripts, through real pipes: a night on standard input (no picture anywhere), its JSON parsed
// back with the text's figures, "-" as the CSV and events output, --quiet, --no-picture; and the
// table of a folder as JSON.
TEST(ReportTool, ScriptsGetJsonAndStandardInputAndOutput)
{
    QTemporaryDir dir;
    const QString night = trelvo::test::MakeSimulatedNight(dir.path());
    ASSERT_FALSE(night.isEmpty());
    const auto piped = [](const QStringList& args, const QByteArray& input) {
        QProcess p;
        p.setWorkingDirectory(QDir::tempPath());
        p.start(QStringLiteral(TRELVO_REPORT_PATH), args);
        p.write(input);
        p.closeWriteChannel();
        p.waitForFinished(60'000);
        return std::pair{p.exitCode(), p.readAllStandardOutput()};
    };
    QFile csv(dir.filePath(QStringLiteral("night.csv")));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const auto [status, out] = piped({"-", "--json"}, csv.readAll());
    ASSERT_EQ(status, 0);
    const QJsonObject fromStdin = QJsonDocument::fromJson(out).object();
    const ReportRun text = Report({night, "--no-picture"});
    const QString odi3 = text.out.section(QStringLiteral("\nODI3"), 1).section('\n', 0, 0);
    EXPECT_TRUE(odi3.contains(QStringLiteral("(%1 ").arg(fromStdin["odi3"]["events"].toInt()))) << odi3.toStdString();
    EXPECT_TRUE(odi3.contains(QString::number(fromStdin["odi3"]["perHour"].toDouble(), 'f', 1))) << odi3.toStdString();
    EXPECT_EQ(fromStdin["start"].toString(), "2026-12-07T00:30:00+00:00");
    EXPECT_GT(fromStdin["spo2"]["lowest"].toInt(), 0);
    EXPECT_TRUE(QDir(dir.path()).entryList({"*.png"}).isEmpty()) << "--no-picture";
    EXPECT_TRUE(QDir(QDir::tempPath()).entryList({"stdin*.png"}).isEmpty());

    const auto [csvStatus, rows] = piped({night, "--csv", "-", "--no-picture"}, {});
    EXPECT_EQ(csvStatus, 0);
    EXPECT_TRUE(rows.startsWith("local_time,spo2_percent")) << rows.left(80).toStdString();
    EXPECT_EQ(rows.count('\n'), 1 + 5400);
    const auto [eventsStatus, events] = piped({night, "--events", "-", "--no-picture"}, {});
    EXPECT_EQ(events.count('\n'), 1 + fromStdin["odi3"]["events"].toInt());
    EXPECT_EQ(Report({night, "--quiet", "--no-picture"}).out, "");
    {
        // A reader that stops early: the failure is named, the status 1.
        QProcess shell;
        shell.start(QStringLiteral("bash"),
                    {"-c", QStringLiteral("'%1' '%2' --csv - --no-picture 2>'%3' | head -c 10 >/dev/null; "
                                          "echo ${PIPESTATUS[0]}")
                               .arg(QStringLiteral(TRELVO_REPORT_PATH), night, dir.filePath("stderr"))});
        ASSERT_TRUE(shell.waitForFinished(60'000));
        EXPECT_EQ(shell.readAllStandardOutput().trimmed(), "1");
        QFile said(dir.filePath("stderr"));
        ASSERT_TRUE(said.open(QIODevice::ReadOnly));
        EXPECT_TRUE(said.readAll().contains("cannot write standard output: the reader closed it"));
    }
    EXPECT_EQ(Report({night, "--json", "--csv", "-"}).status, 2) << "one output on stdout";

    const auto [folderStatus, table] = piped({dir.path(), "--json", "--no-picture"}, {});
    EXPECT_EQ(folderStatus, 0);
    const QJsonArray nights = QJsonDocument::fromJson(table).array();
    ASSERT_EQ(nights.size(), 1);
    EXPECT_EQ(nights[0]["date"].toString(), "2026-12-06");
    EXPECT_NEAR(nights[0]["odi3"].toDouble(), fromStdin["odi3"]["perHour"].toDouble(), 0.05);
    const QString tableRow =
        Report({dir.path(), "--no-picture"}).out.section(QStringLiteral("\n2026-12-06"), 1).section('\n', 0, 0);
    for (const char* key : {"t90Minutes", "odi3", "odi4"})
        EXPECT_TRUE(tableRow.contains(QString::number(nights[0][key].toDouble(), 'f', 1)))
            << key << tableRow.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("trend.png")));

    // How far a run of many nights is: on a terminal only, never into a pipe.
    const QString pdf = dir.filePath(QStringLiteral("doctor.pdf"));
    const ReportRun toPipe = Report({dir.path(), "--pdf", pdf});
    EXPECT_FALSE(toPipe.err.contains("of 1")) << toPipe.err.toStdString();
    QProcess terminal;
    terminal.start(QStringLiteral("script"),
                   {"-qec", QStringLiteral("%1 %2 --pdf %3").arg(QStringLiteral(TRELVO_REPORT_PATH), dir.path(), pdf),
                    "/dev/null"});
    ASSERT_TRUE(terminal.waitForFinished(60'000));
    const QByteArray shown = terminal.readAllStandardOutput();
    EXPECT_TRUE(shown.contains("trelvo-report: pictures 1 of 1")) << shown.toStdString();
    EXPECT_TRUE(shown.contains("trelvo-report: PDF pages 1 of 1")) << shown.toStdString();
}

TEST(ReportTool, AFileThatIsNoRecordFileIsAClearErrorWithStatus2)
{
    QTemporaryDir dir;
    const QString diary = dir.filePath(QStringLiteral("diary.txt"));
    QFile f(diary);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("Dear diary,\nI slept well.\n");
    f.close();
    const ReportRun run = Report({diary});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.err.contains(QStringLiteral("is not a record file"))) << run.err.toStdString();
    EXPECT_EQ(Report({dir.filePath(QStringLiteral("missing.txt"))}).status, 2);
}

TEST(ReportTool, WritesTheSummaryAndAPngOrSvgPlot)
{
    QTemporaryDir dir;
    const QString night = PutNight(dir);
    const ReportRun png = Report({night});
    EXPECT_EQ(png.status, 0) << png.err.toStdString();
    EXPECT_TRUE(png.out.contains(QStringLiteral("ODI3             ")));
    EXPECT_TRUE(png.out.contains(QStringLiteral("not a medical diagnosis")));
    EXPECT_EQ(QImage(dir.filePath(QStringLiteral("night.png"))).size(), QSize(1200, 760));
    EXPECT_TRUE(png.err.isEmpty()) << "nothing on stderr that is not about the user's files: " << png.err.toStdString();

    const QString svg = dir.filePath(QStringLiteral("plot.svg"));
    EXPECT_EQ(Report({night, QStringLiteral("--svg"), QStringLiteral("-o"), svg}).status, 0);
    QFile s(svg);
    ASSERT_TRUE(s.open(QIODevice::ReadOnly));
    const QByteArray picture = s.readAll();
    EXPECT_TRUE(picture.contains("<svg"));
    // 23:00 to 23:16:40: a tick every 10 minutes.
    EXPECT_TRUE(picture.contains(">23:10<")) << "ticks every 10 minutes for a short recording";
    EXPECT_FALSE(picture.contains(">23:15<"));
}

TEST(ReportTool, APdfPageAndTheEventList)
{
    QTemporaryDir dir;
    const QString night = PutNight(dir);
    const QString pdf = dir.filePath(QStringLiteral("night.pdf")), events = dir.filePath(QStringLiteral("events.csv"));
    const ReportRun run = Report({night, QStringLiteral("--date"), QStringLiteral("2026-12-07"),
                                  QStringLiteral("--pdf"), pdf, QStringLiteral("--events"), events});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    QFile page(pdf);
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QByteArray bytes = page.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_TRUE(bytes.contains("/Count 1")) << "one page";
    QFile list(events);
    ASSERT_TRUE(list.open(QIODevice::ReadOnly));
    EXPECT_EQ(list.readAll(), "start,end,duration_s,nadir_percent,depth_points,baseline_percent,odi4\r\n"
                              "2026-12-07T23:08:25,2026-12-07T23:08:50,25,90,6.0,96.0,yes\r\n");
}

// A folder of nights: a row each (a night's files together), a picture beside each, the trend,
// and the table as CSV.
TEST(ReportTool, ManyNightsGiveOneRowEachAndATrend)
{
    QTemporaryDir dir;
    for (int n = 0; n < 3; ++n) {
        QByteArray rows = "local_time,spo2_percent,pulse_per_min,status\r\n", lines;
        for (int i = 0; i < 600; ++i) {
            const QTime t = QTime(23, 0).addSecs(i);
            const int spo2 = n == 1 && i >= 300 ? 88 : 96;
            rows += QStringLiteral("2026-12-%1T%2+01:00,%3,70,ok\r\n")
                        .arg(7 - n, 2, 10, QLatin1Char('0'))
                        .arg(t.toString(QStringLiteral("HH:mm:ss")))
                        .arg(spo2)
                        .toLatin1();
            if (i % 5 == 0)
                lines += QStringLiteral("S %1 P 70 T %2  OK!\r\n")
                             .arg(spo2)
                             .arg(t.toString(QStringLiteral("HH:mm:ss")))
                             .toLatin1();
        }
        Put(dir.filePath(QStringLiteral("night%1.csv").arg(n)), rows);
        Put(dir.filePath(QStringLiteral("night%1.txt").arg(n)), lines);
    }
    Put(dir.filePath(QStringLiteral("notes.txt")), "bought a new probe\n");
    // The night of the 6th recorded again after midnight, into a per-second file of its own: the
    // same night, six minutes more.
    Put(dir.filePath(QStringLiteral("night1-2.csv")), PerSecondRows(At("2026-12-07", QTime(1, 0)), "+01:00", 360));
    const QString csv = dir.filePath(QStringLiteral("nights.out"));
    const ReportRun run = Report({dir.path(), QStringLiteral("--csv"), csv});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    const QStringList out = run.out.split(QLatin1Char('\n'));
    ASSERT_GE(out.size(), 4);
    EXPECT_TRUE(out[1].startsWith(QStringLiteral("2026-12-05"))) << "sorted by date: " << run.out.toStdString();
    EXPECT_TRUE(out[2].startsWith(QStringLiteral("2026-12-06     0.3 h")) && out[2].contains(QStringLiteral("5.0")))
        << out[2].toStdString();
    EXPECT_TRUE(out[3].endsWith(QStringLiteral("night0.txt")));
    EXPECT_EQ(run.err.trimmed(),
              QStringLiteral("trelvo-report: notes.txt skipped: it holds no readings of a recording"))
        << "the per-second files go with their record files; the notes are said to be skipped";
    EXPECT_EQ(QImage(dir.filePath(QStringLiteral("trend.png"))).size(), QSize(1200, 600));
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(QStringLiteral("night1.png"))));
    QFile table(csv);
    ASSERT_TRUE(table.open(QIODevice::ReadOnly));
    EXPECT_EQ(table.readAll().count('\n'), 4);
    EXPECT_EQ(Report({dir.path(), QStringLiteral("--edf"), QStringLiteral("x.edf")}).status, 2) << "one night only";

    // The nights window's summary cache: a night whose files keep their size and time is listed
    // from there (here a change made behind its back, time put back); --no-cache reads them all.
    const QString listed = Report({dir.path(), QStringLiteral("--no-picture")}).out;
    const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("night0.csv")));
    struct stat before {};
    ASSERT_EQ(::stat(path.constData(), &before), 0);
    QFile night0(QString::fromLocal8Bit(path));
    ASSERT_TRUE(night0.open(QIODevice::ReadOnly));
    QByteArray changed = night0.readAll().replace(",96,", ",95,");
    night0.close();
    Put(QString::fromLocal8Bit(path), changed);
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.constData(), times, 0), 0);
    const QString cached = Report({dir.path(), QStringLiteral("--no-picture")}).out;
    EXPECT_EQ(cached.toStdString(), listed.toStdString());
    const QString read = Report({dir.path(), QStringLiteral("--no-picture"), QStringLiteral("--no-cache")}).out;
    EXPECT_NE(read, listed);
    EXPECT_TRUE(read.split(QLatin1Char('\n'))[3].contains(QStringLiteral("95.0"))) << read.toStdString();
}

// The record file alone gives figures at 5 s; with its per-second file beside it, at 1 s and
// with the date. Exports come from whichever was read.
TEST(ReportTool, ReadsThePerSecondFileBesideTheRecordFileAndExports)
{
    QTemporaryDir dir;
    const QString record = dir.filePath(QStringLiteral("night.txt"));
    QByteArray lines, rows = "local_time,spo2_percent,pulse_per_min,status\r\n";
    for (int i = 0; i < 600; ++i) {
        const QTime t = QTime(23, 55).addSecs(i);
        rows += QStringLiteral("%1T%2+01:00,96,70,ok\r\n")
                    .arg(i < 300 ? QStringLiteral("2026-12-06") : QStringLiteral("2026-12-07"),
                         t.toString(QStringLiteral("HH:mm:ss")))
                    .toLatin1();
        if (i % 5 == 0)
            lines += QStringLiteral("S 96 P 70 T %1  OK!\r\n").arg(t.toString(QStringLiteral("HH:mm:ss"))).toLatin1();
    }
    Put(record, lines);
    Put(dir.filePath(QStringLiteral("night.csv")), "budget,2026\r\n");  // a stranger's file
    Put(dir.filePath(QStringLiteral("night-2.csv")), rows);

    const ReportRun both = Report({record, QStringLiteral("--edf"), dir.filePath(QStringLiteral("n.edf")),
                                   QStringLiteral("--oscar"), dir.filePath(QStringLiteral("oscar"))});
    EXPECT_EQ(both.status, 0) << both.err.toStdString();
    EXPECT_TRUE(both.out.contains(QStringLiteral("night.txt with its per-second file night-2.csv")))
        << both.out.toStdString();
    EXPECT_TRUE(both.out.contains(QStringLiteral("Resolution       1 s"))) << both.out.toStdString();
    EXPECT_TRUE(both.out.contains(QStringLiteral("Recorded         2026-12-06 23:55:00 to 2026-12-07 00:05:00")))
        << both.out.toStdString();
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("n.edf"))).size() > 256);
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(QStringLiteral("oscar/20261206235500"))));
    EXPECT_TRUE(both.err.isEmpty()) << both.err.toStdString();

    QFile::remove(dir.filePath(QStringLiteral("night-2.csv")));
    QFile f(record);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(QDateTime(QDate(2026, 12, 7), QTime(0, 5, 30)), QFileDevice::FileModificationTime));
    f.close();
    const QString csv = dir.filePath(QStringLiteral("out.csv"));
    const ReportRun alone = Report({record, QStringLiteral("--csv"), csv});
    EXPECT_EQ(alone.status, 0) << alone.err.toStdString();
    EXPECT_TRUE(alone.out.contains(QStringLiteral("Resolution       5 s"))) << alone.out.toStdString();
    EXPECT_TRUE(alone.out.contains(QStringLiteral("Date             2026-12-06, from the file's modification time")))
        << alone.out.toStdString();
    EXPECT_TRUE(alone.out.contains(QStringLiteral("CSV              %1 (120 rows)").arg(csv)))
        << alone.out.toStdString();
    QFile out(csv);
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    const QList<QByteArray> written = out.readAll().split('\n');
    ASSERT_EQ(written.size(), 122);
    EXPECT_TRUE(written[1].startsWith("2026-12-06T23:55:00")) << written[1].toStdString();
    EXPECT_TRUE(written[120].startsWith("2026-12-07T00:04:55")) << written[120].toStdString();

    const ReportRun given = Report({record, QStringLiteral("--date"), QStringLiteral("2027-01-01")});
    EXPECT_TRUE(given.out.contains(QStringLiteral("Date             2027-01-01, as given"))) << given.out.toStdString();
    EXPECT_EQ(Report({record, QStringLiteral("--date"), QStringLiteral("yesterday")}).status, 2);
}

QByteArray Read(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Nothing the tool reads for a night is ever an output of it, by any name that leads there.
TEST(ReportTool, NoOutputReplacesAFileItReads)
{
    QTemporaryDir dir;
    const QString night = PutNight(dir);
    const QByteArray perSecond =
        "local_time,spo2_percent,pulse_per_min,status,wave\r\n2026-12-07T23:00:00+01:00,96,70,ok,\r\n";
    Put(dir.filePath(QStringLiteral("night.csv")), perSecond);
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("night.csv")), dir.filePath(QStringLiteral("link.csv"))));
    const QByteArray lines = Read(night);
    const QString csv = dir.filePath(QStringLiteral("night.csv")), txt = night;
    const QList<QStringList> attempts = {
        {QStringLiteral("--csv"), csv},
        {QStringLiteral("-o"), txt},
        {QStringLiteral("--events"), txt},
        {QStringLiteral("--pdf"), csv},
        {QStringLiteral("--edf"), csv},
        {QStringLiteral("--svg"), QStringLiteral("-o"), csv},
        {QStringLiteral("--csv"), dir.filePath(QStringLiteral("link.csv"))},
        {QStringLiteral("--wave"), QStringLiteral("23:00:00"), QStringLiteral("-o"), csv},
    };
    for (const QStringList& options : attempts) {
        const ReportRun run = Report(QStringList{night} + options);
        EXPECT_EQ(run.status, 2) << options.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("which this report reads"))) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty()) << "refused before anything is written";
    }
    const ReportRun folder = Report({dir.path(), QStringLiteral("--csv"), csv});
    EXPECT_EQ(folder.status, 2) << folder.err.toStdString();
    EXPECT_EQ(Read(csv), perSecond);
    EXPECT_EQ(Read(night), lines);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("night.png"))));
}

// Under a file size limit (as on a full disk) nothing is left cut off: the earlier picture stays
// as it was, no output and no temporary file is left, every failure is named and the status is 1.
TEST(ReportTool, OutputsAreWrittenWholeOrNotAtAll)
{
    QTemporaryDir dir;
    const QString night = PutNight(dir);
    Put(dir.filePath(QStringLiteral("night.png")), "the picture of last week");
    const auto limit = [] {
        const rlimit small{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &small);
    };
    const QString pdf = dir.filePath(QStringLiteral("n.pdf")), edf = dir.filePath(QStringLiteral("n.edf")),
                  events = dir.filePath(QStringLiteral("events.csv")), svg = dir.filePath(QStringLiteral("n.svg"));
    const ReportRun run = Report(
        {night, QStringLiteral("--pdf"), pdf, QStringLiteral("--edf"), edf, QStringLiteral("--events"), events}, limit);
    EXPECT_EQ(run.status, 1) << run.err.toStdString();
    EXPECT_EQ(Read(dir.filePath(QStringLiteral("night.png"))), "the picture of last week");
    EXPECT_FALSE(QFileInfo::exists(pdf));
    EXPECT_FALSE(QFileInfo::exists(edf));
    EXPECT_TRUE(QFileInfo::exists(events)) << "what fits is written";
    for (const QString& name : {dir.filePath(QStringLiteral("night.png")), pdf, edf})
        EXPECT_TRUE(run.err.contains(QStringLiteral("cannot write %1: ").arg(name))) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("File too large"))) << run.err.toStdString();
    EXPECT_FALSE(run.out.contains(QStringLiteral("Plot "))) << "no line for what was not written";
    EXPECT_EQ(Report({night, QStringLiteral("--svg"), QStringLiteral("-o"), svg}, limit).status, 1);
    EXPECT_FALSE(QFileInfo::exists(svg));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".part")), QStringList());
}

// A link where the tool picks the name is replaced, never written through; a name the user gives
// leads where its link leads. Two nights that would share a picture's name get one each.
TEST(ReportTool, PicturesItNamesNeverWriteThroughALink)
{
    QTemporaryDir dir;
    const QString night = PutNight(dir);
    const QString victim = dir.filePath(QStringLiteral("victim"));
    Put(victim, "precious");
    ASSERT_TRUE(QFile::link(victim, dir.filePath(QStringLiteral("night.png"))));
    ASSERT_TRUE(QFile::link(victim, dir.filePath(QStringLiteral("trend.png"))));
    EXPECT_EQ(Report({night}).status, 0);
    EXPECT_EQ(Read(victim), "precious");
    EXPECT_FALSE(QFileInfo(dir.filePath(QStringLiteral("night.png"))).isSymLink());
    EXPECT_EQ(QImage(dir.filePath(QStringLiteral("night.png"))).width(), 1200);

    // A per-second file named night.csv of another night beside night.txt: night.png and
    // night-2.png, both written.
    QFile::remove(dir.filePath(QStringLiteral("night.png")));
    ASSERT_TRUE(QFile::link(victim, dir.filePath(QStringLiteral("night.png"))));
    Put(dir.filePath(QStringLiteral("night.csv")), PerSecondRows(At("2026-11-01", QTime(12, 0)), "+01:00", 600));
    const ReportRun folder = Report({dir.path()});
    EXPECT_EQ(folder.status, 0) << folder.err.toStdString();
    EXPECT_TRUE(folder.out.contains(QStringLiteral("Pictures         2,"))) << folder.out.toStdString();
    EXPECT_EQ(Read(victim), "precious");
    EXPECT_EQ(QImage(dir.filePath(QStringLiteral("night-2.png"))).width(), 1200);
    EXPECT_EQ(QImage(dir.filePath(QStringLiteral("trend.png"))).width(), 1200);

    const QString mine = dir.filePath(QStringLiteral("mine.png"));
    ASSERT_TRUE(QFile::link(victim, mine));
    EXPECT_EQ(Report({night, QStringLiteral("-o"), mine}).status, 0);
    EXPECT_TRUE(QFileInfo(mine).isSymLink());
    EXPECT_EQ(QImage(victim).width(), 1200) << "the file the user's link leads to";
}

// A folder nobody may write into: the table still comes, the status and stdout say what was not
// written. A file name that XML would trip over still makes a valid SVG.
TEST(ReportTool, FailuresAreNeverReportedAsSuccess)
{
    QTemporaryDir dir;
    PutNight(dir);
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                          QFileDevice::ExeOther | QFileDevice::ReadGroup | QFileDevice::ExeGroup);
    // Root writes anywhere: the tool runs as an ordinary user then.
    const ReportRun run = Report({dir.path()}, [] {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(99);
    });
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(run.status, 1) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("Pictures         0 of 1 written"))) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("Trend            not written"))) << run.out.toStdString();
    EXPECT_TRUE(run.err.contains(
        QStringLiteral("cannot write %1: Permission denied").arg(dir.filePath(QStringLiteral("night.png")))))
        << run.err.toStdString();

    const QString odd = dir.filePath(QStringLiteral("a&b<c.txt"));
    ASSERT_TRUE(QFile::rename(dir.filePath(QStringLiteral("night.txt")), odd));
    const QString svg = dir.filePath(QStringLiteral("odd.svg"));
    ASSERT_EQ(Report({odd, QStringLiteral("--svg"), QStringLiteral("-o"), svg}).status, 0);
    QXmlStreamReader xml(Read(svg));
    while (!xml.atEnd())
        xml.readNext();
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_TRUE(Read(svg).contains("a&amp;b&lt;c.txt"));
}

// Times a night cannot have (two rows a hundred years apart) are refused at once, for every output.
TEST(ReportTool, ASpanNoNightHasIsRefused)
{
    QTemporaryDir dir;
    const QString rows = dir.filePath(QStringLiteral("years.csv"));
    Put(rows, "local_time,spo2_percent,pulse_per_min,status\r\n2026-12-07T23:00:00+01:00,96,70,ok\r\n"
              "2126-12-07T23:00:00+01:00,96,70,ok\r\n");
    for (const QStringList& options : {QStringList{}, QStringList{QStringLiteral("--svg")},
                                       QStringList{QStringLiteral("--edf"), dir.filePath(QStringLiteral("y.edf"))}}) {
        const ReportRun run = Report(QStringList{rows} + options);
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.err.contains(QStringLiteral("no night is longer than 7"))) << run.err.toStdString();
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("years.csv")});
}

// --wave takes the time the clock showed: after summer time ends, 02:10:00 is first met at +02:00;
// on the night the clocks go forward, 02:30:00 never was.
TEST(ReportTool, TheWaveTimeIsTheClocksTime)
{
    QTemporaryDir dir;
    const QString autumn = dir.filePath(QStringLiteral("autumn.csv")),
                  spring = dir.filePath(QStringLiteral("spring.csv"));
    QByteArray back = "local_time,spo2_percent,pulse_per_min,status,wave\r\n", forward = back;
    const QDateTime start(QDate(2026, 10, 24), QTime(23, 0), Qt::UTC),
        change(QDate(2026, 10, 25), QTime(1, 0), Qt::UTC);
    for (int i = 0; i < 3 * 3600; ++i) {
        const QDateTime t = start.addSecs(i);
        const int offset = t < change ? 2 : 1;
        back += t.addSecs(offset * 3600).toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toLatin1() + "+0" +
                QByteArray::number(offset) + ":00,96,70,ok,10 200 10\r\n";
        const QDateTime s = t.addDays(-210);  // 2026-03-28 23:00 UTC onwards; clocks go forward at 01:00 UTC
        const int springOffset = s < QDateTime(QDate(2026, 3, 29), QTime(1, 0), Qt::UTC) ? 1 : 2;
        forward += s.addSecs(springOffset * 3600).toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toLatin1() + "+0" +
                   QByteArray::number(springOffset) + ":00,96,70,ok,10 200 10\r\n";
    }
    Put(autumn, back);
    Put(spring, forward);
    const ReportRun run = Report({autumn, QStringLiteral("--wave"), QStringLiteral("02:10:00")});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("(02:09:45 to 02:10:15)"))) << run.out.toStdString();
    const ReportRun never = Report({spring, QStringLiteral("--wave"), QStringLiteral("02:30:00")});
    EXPECT_EQ(never.status, 2);
    EXPECT_TRUE(never.err.contains(QStringLiteral("02:30:00 is not in it"))) << never.err.toStdString();
}

}  // namespace

namespace trelvo::report {
namespace {

// The report for the doctor from a folder: the range picks the nights, a short night is marked
// and left out of the means, the person is named, and every page's foot numbers it.
TEST(ReportTool, ThePdfOfManyNightsForTheDoctor)
{
    QTemporaryDir dir;
    const auto night = [&](const QString& name, const char* date, int seconds, int spo2) {
        Put(dir.filePath(name), PerSecondRows(At(date, QTime(22, 0)), "+00:00", seconds, spo2));
    };
    night("a.csv", "2026-11-29", 4 * 3600 + 1800, 96);
    night("b.csv", "2026-11-30", 3600, 90);  // short: marked, not in the means
    night("c.csv", "2026-12-01", 4 * 3600 + 1800, 94);
    const QString pdf = dir.filePath("doctor.pdf");
    // The report's pages as text, written in a language.
    const auto report = [&](const QString& language) {
        const ReportRun run = Report({dir.path(), "--pdf", pdf, "--from", "2026-11-30", "--to", "2026-12-01", "--name",
                                      "Erika Muster", "--lang", language});
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
        QProcess text;
        text.start("pdftotext", {"-layout", pdf, "-"});
        text.waitForFinished(20000);
        return std::pair{run.out, QString::fromUtf8(text.readAllStandardOutput())};
    };
    const auto [out, pages] = report("en");
    EXPECT_TRUE(out.contains(QStringLiteral("PDF              %1 (2 nights, 2026-11-30 to 2026-12-01)").arg(pdf)))
        << out.toStdString();
    EXPECT_TRUE(pages.contains("Overnight oximetry — 2 nights, 2026-11-30 to 2026-12-01"));
    EXPECT_TRUE(pages.contains("Name: Erika Muster"));
    EXPECT_FALSE(pages.contains("Born:")) << "nothing said where nothing was given";
    EXPECT_FALSE(pages.contains("2026-11-29"));
    EXPECT_TRUE(pages.contains("2026-11-30 *"));
    const QString means = pages.section("Mean of 1", 1).section('\n', 0, 0);
    EXPECT_TRUE(means.contains("94.0 %")) << "the short night is left out: " << means.toStdString();
    EXPECT_TRUE(pages.contains("night of 2026-12-01"));
    EXPECT_TRUE(pages.contains("Page 3 of 3"));
    EXPECT_EQ(pages.count("2026-11-30 to 2026-12-01"), 4) << "the title and every foot";

    // In German: its words, its decimal comma, its dates, and none of the English words left.
    const auto [germanOut, german] = report("de");
    EXPECT_TRUE(
        germanOut.contains(QStringLiteral("PDF              %1 (2 Nächte, 30.11.2026 bis 01.12.2026)").arg(pdf)))
        << germanOut.toStdString();
    EXPECT_TRUE(germanOut.contains("Verlauf          ")) << germanOut.toStdString();
    EXPECT_TRUE(german.contains("Oxymetrie über Nacht — 2 Nächte, 30.11.2026 bis 01.12.2026"));
    EXPECT_TRUE(german.contains("30.11.2026 *"));
    EXPECT_TRUE(german.section("Mittel aus 1", 1).section('\n', 0, 0).contains("94,0 %"));
    EXPECT_TRUE(german.contains("Nacht vom 01.12.2026"));
    EXPECT_TRUE(german.contains("Seite 3 von 3"));
    EXPECT_TRUE(german.contains("keine medizinische Diagnose"));
    for (const char* english : {"Page", "Night of", "night of", "Recorded", "Analysed", "lowest", "mean", "Pulse",
                                "hour", "baseline", "This report", "analysed time"})
        EXPECT_FALSE(german.contains(english)) << english;
}

}  // namespace
}  // namespace trelvo::report

namespace {

// What a folder or a command line may hold beyond nights: a pipe beside the night or given, a
// night named like the trend, a name too long for a temporary name beside it, control characters
// in a file's name or the person's, a date EDF cannot hold. Each ends at once with its reason.
TEST(ReportTool, WhatANightsFolderMayHoldNeitherHangsNorHides)
{
    QTemporaryDir dir;
    const QString night = PutNight(dir);
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("night.csv")).constData(), 0600), 0);
    QElapsedTimer timer;
    timer.start();
    ReportRun run = Report({night});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    run = Report({dir.filePath("night.csv")});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.err.contains("it is a pipe, not a file")) << run.err.toStdString();
    EXPECT_LT(timer.elapsed(), 20000) << "a pipe is never waited for";

    QTemporaryDir folder;
    Put(folder.filePath("trend.txt"), "S 96 P 70 T 23:00:00  OK!\r\nS 95 P 70 T 23:00:05  OK!\r\n");
    Put(folder.filePath("other.csv"), PerSecondRows(At("2026-11-29", QTime(22, 0)), "+00:00", 600));
    const QByteArray latin1 = QFile::encodeName(folder.path()) + "/M\xfcller.txt";
    ASSERT_GE(::creat(latin1.constData(), 0600), 0);
    run = Report({folder.path()});
    ::unlink(latin1.constData());
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("M\\xfcller.txt skipped: its name is not UTF-8 text")) << run.err.toStdString();
    EXPECT_EQ(QImage(folder.filePath("trend.png")).size(), QSize(1200, 600)) << "the trend is the trend";
    EXPECT_TRUE(QFileInfo::exists(folder.filePath("trend-2.png"))) << "the night's picture beside it";
    EXPECT_EQ(Report({folder.path(), "--csv", folder.filePath("trend.png")}).status, 2);

    // A name of 240 bytes, and one with a line end in it.
    const QString longName = dir.filePath(QString(236, QLatin1Char('n')) + ".txt");
    QFile::copy(night, longName);
    run = Report({longName});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(longName.chopped(4) + ".png"));
    const QString broken = dir.filePath("a\nb.txt");
    QFile::copy(night, broken);
    run = Report({broken});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.out.contains("a\\x0ab.txt")) << run.out.toStdString();

    run = Report({night, "--date", "1980-05-01", "--edf", dir.filePath("n.edf")});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("EDF+ files hold dates from 1985 to 2084 only")) << run.err.toStdString();

    const QString pdf = folder.filePath("doctor.pdf");
    run = Report({folder.path(), "--pdf", pdf, "--name", QString::fromUtf8("Erika \u202EMuster"), "--born",
                  "1950\n-01-02", "--lang", "en"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    QProcess text;
    text.start("pdftotext", {"-layout", pdf, "-"});
    text.waitForFinished(20000);
    const QString pages = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(pages.contains("Name: Erika Muster · Born: 1950 -01-02")) << pages.left(400).toStdString();
}

}  // namespace
