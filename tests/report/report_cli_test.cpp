#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct ReportRun {
    int status;
    QString out, err;
};

// The tool as a user runs it; without a runtime folder, which Qt likes to warn about.
ReportRun Report(const QStringList& args)
{
    QProcess p;
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
    const ReportRun run = Report({night, QStringLiteral("--date"), QStringLiteral("2026-12-07"), QStringLiteral("--pdf"),
                                  pdf, QStringLiteral("--events"), events});
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
                              "2026-12-07 23:08:25,2026-12-07 23:08:50,25,90,6,96.0,yes\r\n");
}

// A folder of nights: a row each, a picture beside each, the trend, and the table as CSV.
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
                lines += QStringLiteral("S %1 P 70 T %2  OK!\r\n").arg(spo2).arg(t.toString(QStringLiteral("HH:mm:ss"))).toLatin1();
        }
        Put(dir.filePath(QStringLiteral("night%1.csv").arg(n)), rows);
        Put(dir.filePath(QStringLiteral("night%1.txt").arg(n)), lines);
    }
    Put(dir.filePath(QStringLiteral("notes.txt")), "bought a new probe\n");
    const QString csv = dir.filePath(QStringLiteral("nights.out"));
    const ReportRun run = Report({dir.path(), QStringLiteral("--csv"), csv});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    const QStringList out = run.out.split(QLatin1Char('\n'));
    ASSERT_GE(out.size(), 4);
    EXPECT_TRUE(out[1].startsWith(QStringLiteral("2026-12-05"))) << "sorted by date: " << run.out.toStdString();
    EXPECT_TRUE(out[2].startsWith(QStringLiteral("2026-12-06     0.2 h")) && out[2].contains(QStringLiteral("5.0")))
        << out[2].toStdString();
    EXPECT_TRUE(out[3].endsWith(QStringLiteral("night0.txt")));
    EXPECT_EQ(run.err.trimmed(), QStringLiteral("trelvo-report: %1 skipped: no record file or per-second file")
                                     .arg(dir.filePath(QStringLiteral("notes.txt"))))
        << "the per-second files go with their record files; the notes are said to be skipped";
    EXPECT_EQ(QImage(dir.filePath(QStringLiteral("trend.png"))).size(), QSize(1200, 600));
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(QStringLiteral("night1.png"))));
    QFile table(csv);
    ASSERT_TRUE(table.open(QIODevice::ReadOnly));
    EXPECT_EQ(table.readAll().count('\n'), 4);
    EXPECT_EQ(Report({dir.path(), QStringLiteral("--pdf"), QStringLiteral("x.pdf")}).status, 2) << "one night only";
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
                    .arg(i < 300 ? QStringLiteral("2026-12-06") : QStringLiteral("2026-12-07"), t.toString(QStringLiteral("HH:mm:ss")))
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
    EXPECT_TRUE(both.out.contains(QStringLiteral("night.txt with its per-second file night-2.csv"))) << both.out.toStdString();
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
    EXPECT_TRUE(alone.out.contains(QStringLiteral("CSV              %1 (120 rows)").arg(csv))) << alone.out.toStdString();
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

}  // namespace
