#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct ReportRun {
    int status;
    QString out, err;
};

ReportRun Report(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(TRELVO_REPORT_PATH), args);
    p.waitForFinished(30'000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
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
    const QString night = dir.filePath(QStringLiteral("night.txt"));
    QFile f(night);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    for (int i = 0; i < 200; ++i)
        f.write(QStringLiteral("S %1 P 70 T 23:%2:%3  OK!\r\n").arg(i > 100 && i < 106 ? 90 : 96).arg(i * 5 / 60, 2, 10, QLatin1Char('0')).arg(i * 5 % 60, 2, 10, QLatin1Char('0')).toLatin1());
    f.close();

    const ReportRun png = Report({night});
    EXPECT_EQ(png.status, 0) << png.err.toStdString();
    EXPECT_TRUE(png.out.contains(QStringLiteral("ODI3             ")));
    EXPECT_TRUE(png.out.contains(QStringLiteral("not a medical diagnosis")));
    EXPECT_EQ(QImage(dir.filePath(QStringLiteral("night.png"))).size(), QSize(1200, 760));

    const QString svg = dir.filePath(QStringLiteral("plot.svg"));
    EXPECT_EQ(Report({night, QStringLiteral("--svg"), QStringLiteral("-o"), svg}).status, 0);
    QFile s(svg);
    ASSERT_TRUE(s.open(QIODevice::ReadOnly));
    EXPECT_TRUE(s.readAll().contains("<svg"));
}

}  // namespace
