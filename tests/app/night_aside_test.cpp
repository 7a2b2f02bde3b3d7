// Beside a night's chart: its events and its figures, the same as the command line's.

#include "app/nights_window.h"
#include "app/widgets/notes_panel.h"
#include "app/widgets/trend_view.h"
#include "lang/string_table.h"
#include "report/night_text.h"
#include "support/simulated_night.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <cmath>

namespace trelvo::app {
namespace {

// The command line's summary of a night, in a language.
QString Summary(const QString& night, const char* language)
{
    QProcess p;
    p.start(QStringLiteral(TRELVO_REPORT_PATH), {night, QStringLiteral("--lang"), QLatin1String(language)});
    p.waitForFinished(60'000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The value of a line of the summary: what follows its name's column.
QString Line(const QString& summary, const QString& name)
{
    for (const QString& line : summary.split(QLatin1Char('\n')))
        if (line.startsWith(name + QLatin1Char(' ')))
            return line.mid(17).trimmed();
    return {};
}

QStringList Numbers(const QString& text)
{
    QStringList numbers;
    for (const QRegularExpressionMatch& m : QRegularExpression(QStringLiteral("\\d+(?:[.,]\\d+)?")).globalMatch(text))
        numbers << m.captured(0);
    return numbers;
}

int Events(const QString& value)
{
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("\\((\\d+) ")).match(value);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// A simulated hour and a half with a spell of desaturations: the list has a row for each of the
// command line's desaturations and pulse rises, choosing one shows its four minutes, and the
// figures beside the chart are the command line's, in either language.
TEST(NightAside, TheEventsAndFiguresAreTheCommandLines)
{
    QTemporaryDir dir;
    const QString night = test::MakeSimulatedNight(dir.path());
    ASSERT_FALSE(night.isEmpty());
    NightsWindow w(lang::kEnglish, {});
    QSignalSpy shown(&w, &NightsWindow::NightShown);
    w.ShowFolder(dir.path());
    ASSERT_TRUE(shown.wait(60'000));

    for (const auto& [language, base, desaturation, rise, names] :
         {std::tuple{"en", lang::kEnglish, "Desaturation", "Pulse rise",
                     QStringList{"ODI3", "ODI4", "Pulse rises", "T90", "T88"}},
          std::tuple{"de", lang::kGerman, "Entsättigung", "Pulsanstieg",
                     QStringList{"ODI3", "ODI4", "Pulsanstiege", "T90", "T88"}}}) {
        SCOPED_TRACE(language);
        w.SetLanguage(base);
        const QString summary = Summary(night, language);
        int desaturations = 0, rises = 0;
        for (int row = 0; row < w.Events().topLevelItemCount(); ++row) {
            const QString kind = w.Events().topLevelItem(row)->text(0);
            desaturations += kind == QString::fromUtf8(desaturation);
            rises += kind == QString::fromUtf8(rise);
        }
        EXPECT_GT(desaturations, 0);
        EXPECT_EQ(desaturations, Events(Line(summary, names[0])));
        EXPECT_EQ(rises, Events(Line(summary, names[2])));
        // Each figure's numbers, in the order the command line gives them, on the panel's line of
        // that name (the words around them may differ).
        const QString figures = w.FiguresPanel().toPlainText();
        for (const QString& name : names) {
            const QString value = Line(summary, name);
            ASSERT_FALSE(value.isEmpty()) << name.toStdString();
            const qsizetype at = figures.indexOf(
                QRegularExpression(QStringLiteral("^%1\\s").arg(name), QRegularExpression::MultilineOption));
            ASSERT_GE(at, 0) << name.toStdString() << "\n" << figures.toStdString();
            const QString shown = figures.mid(at + name.size()).section(QLatin1Char('\n'), 0, 1);
            EXPECT_EQ(Numbers(shown), Numbers(value)) << shown.toStdString() << " | " << value.toStdString();
        }
    }
    QSignalSpy readout(&w.View(), &NightView::PointedAt);
    w.ChooseEvent(3);
    EXPECT_NEAR(w.View().To() - w.View().From(), NightView::kEventSpan, 1e-6);
    EXPECT_EQ(w.Events().currentItem(), w.Events().topLevelItem(3));
    ASSERT_FALSE(readout.isEmpty());
    EXPECT_TRUE(readout.last().at(0).toString().contains(w.Events().topLevelItem(3)->text(1)))
        << "the line at the event's start: " << readout.last().at(0).toString().toStdString();
}

}  // namespace
}  // namespace trelvo::app

namespace trelvo::app {
namespace {

void Put(const QString& path, const std::string& text)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text.data(), static_cast<qint64>(text.size()));
}

// Where you are: the readout says why a moment has no reading and is cleared with another night;
// the next night shows the same hours of the clock, Home the whole night.
TEST(NightAside, TheReadoutSaysWhyAndAnotherNightKeepsTheClock)
{
    QTemporaryDir dir;
    // 22:00 to 23:00 UTC each evening: 20 min of readings, 5 min probe off, 5 min no finger, 10 min
    // with no row at all, 20 min of readings.
    for (const char* date : {"2026-12-07", "2026-12-08"})
        Put(dir.filePath(QStringLiteral("n-%1.csv").arg(QLatin1String(date))), report::RowText(date, 22 * 3600)
                                                                                   .Add(1200, "95")
                                                                                   .Add(300, "no_probe")
                                                                                   .Add(300, "no_signal")
                                                                                   .Skip(600)
                                                                                   .Add(1200, "94")
                                                                                   .Text());
    NightsWindow w(lang::kEnglish, {});
    QSignalSpy shown(&w, &NightsWindow::NightShown);
    w.ShowFolder(dir.path());
    ASSERT_TRUE(shown.wait(30'000));
    NightView& view = w.View();
    const double start = view.From();
    EXPECT_TRUE(view.Describe(start + 600).endsWith("SpO2 95 % · 70/min"));
    EXPECT_TRUE(view.Describe(start + 1300).endsWith("probe off")) << view.Describe(start + 1300).toStdString();
    EXPECT_TRUE(view.Describe(start + 1600).endsWith("no finger"));
    EXPECT_TRUE(view.Describe(start + 2000).endsWith("no data"));

    QSignalSpy readout(&view, &NightView::PointedAt);
    view.ShowStretch(start + 600, start + 900);
    const int other = w.Table().currentIndex().row() == 0 ? 1 : 0;
    w.ChooseRow(other);
    ASSERT_TRUE(shown.wait(30'000));
    ASSERT_FALSE(readout.isEmpty());
    EXPECT_EQ(readout.last().at(0).toString(), "") << "nothing of the last night is read out";
    EXPECT_NEAR(std::fmod(view.From(), 86400), std::fmod(start + 600, 86400), 1e-6) << "the same hours";
    EXPECT_NEAR(view.To() - view.From(), 300, 1e-6);
}

}  // namespace
}  // namespace trelvo::app

namespace trelvo::app {
namespace {

QString PdfText(const QString& pdf)
{
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    text.waitForFinished(30'000);
    return QString::fromUtf8(text.readAllStandardOutput());
}

// The recorded files' bytes, by name: a mark or a note never changes them.
QMap<QString, QByteArray> Recorded(const QString& folder)
{
    QMap<QString, QByteArray> hashes;
    for (const QString& name : QDir(folder).entryList({QStringLiteral("*.txt"), QStringLiteral("*.csv")})) {
        QFile f(QDir(folder).filePath(name));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        hashes[name] = QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
    }
    return hashes;
}

// The numbers of the figure of this name in a text (the panel's, a PDF's, whose columns stand
// side by side): from the first after its name up to the next wide gap.
QStringList NumbersOn(const QString& text, const QString& name)
{
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("(?:^|\\s)%1\\s+(\\d.*?)(?=\\s{3,}|$)").arg(name),
                           QRegularExpression::MultilineOption)
            .match(text);
    return m.hasMatch() ? Numbers(m.captured(1)) : QStringList{QStringLiteral("no line ") + name};
}

// A stretch marked in the window and a note: the window's figures, the command line's and both
// PDFs' change alike; the marks survive a restart, undo takes back the last change, and the
// recorded files keep every byte.
TEST(NightAside, AMarkedStretchCountsAlikeEverywhereAndChangesNoRecordedByte)
{
    QTemporaryDir dir;
    const QString night = test::MakeSimulatedNight(dir.path());
    ASSERT_FALSE(night.isEmpty());
    const auto recorded = Recorded(dir.path());
    const QString before = Summary(night, "en");
    {
        NightsWindow w(lang::kEnglish, {});
        QSignalSpy shown(&w, &NightsWindow::NightShown);
        QSignalSpy written(&w, &NightsWindow::NotesWritten);
        w.ShowFolder(dir.path());
        ASSERT_TRUE(shown.wait(60'000));
        w.Notes().NoteEdit().setPlainText(QStringLiteral("Slept badly.\nWoke at 3."));
        w.Notes().TakeNote();
        ASSERT_TRUE(written.wait(20'000));
        w.ChooseEvent(0);
        w.Notes().Mark(w.View().From(), w.View().To(), "probe slipped");
        ASSERT_TRUE(written.wait(20'000));
        EXPECT_EQ(written.last().at(0).toString(), "");
        // A second mark, taken back.
        w.Notes().Mark(w.View().From() - 600, w.View().From() - 300, "unit taken off");
        ASSERT_TRUE(written.wait(20'000));
        w.Notes().Undo();
        ASSERT_TRUE(written.wait(20'000));
        EXPECT_EQ(w.Notes().Notes().marks.size(), 1U);

        const QString panel = w.FiguresPanel().toPlainText();
        const QString after = Summary(night, "en");
        EXPECT_LT(Events(Line(after, "ODI3")), Events(Line(before, "ODI3"))) << "the event marked is gone";
        EXPECT_EQ(NumbersOn(panel, "ODI3"), Numbers(Line(after, "ODI3")));
        EXPECT_EQ(NumbersOn(panel, "by you"), Numbers(Line(after, "  by you"))) << panel.toStdString();
        EXPECT_EQ(Line(after, "Note"), "Slept badly. Woke at 3.");

        // The night's PDF from the command line, the doctor's from the window.
        const QString one = dir.filePath(QStringLiteral("one.pdf")), many = dir.filePath(QStringLiteral("many.pdf"));
        QProcess::execute(QStringLiteral(TRELVO_REPORT_PATH), {night, QStringLiteral("--pdf"), one});
        QSignalSpy reported(&w, &NightsWindow::ReportWritten);
        QSignalSpy listed(&w, &NightsWindow::Listed);
        if (w.Reading()) {
            ASSERT_TRUE(listed.wait(30'000)) << "the table's row follows the notes";
        }
        w.SetOpener([](const QString&) {});
        w.WriteReport(w.Listing().nights, QStringLiteral("the night"), many, QString(), QString());
        ASSERT_TRUE(reported.wait(30'000));
        for (const QString& pdf : {one, many}) {
            SCOPED_TRACE(pdf.toStdString());
            const QString text = PdfText(pdf);
            EXPECT_TRUE(text.contains(QStringLiteral("Note: Slept badly. Woke at 3."))) << text.toStdString();
            EXPECT_EQ(NumbersOn(text, "ODI3"), Numbers(Line(after, "ODI3")));
            EXPECT_EQ(NumbersOn(text, "by you"), Numbers(Line(after, "  by you")));
        }
    }
    // Another start of the window: the same marks, the same figures.
    NightsWindow again(lang::kGerman, {});
    QSignalSpy shown(&again, &NightsWindow::NightShown);
    again.ShowFolder(dir.path());
    ASSERT_TRUE(shown.wait(60'000));
    EXPECT_EQ(again.Notes().Notes().marks.size(), 1U);
    EXPECT_EQ(again.Notes().NoteEdit().toPlainText(), "Slept badly.\nWoke at 3.");
    EXPECT_EQ(NumbersOn(again.FiguresPanel().toPlainText(), "ODI3"), Numbers(Line(Summary(night, "de"), "ODI3")));
    EXPECT_EQ(Recorded(dir.path()), recorded);
}

}  // namespace
}  // namespace trelvo::app

namespace trelvo::app {
namespace {

// Nine nights of 4 h 10 min, the k-th with k² minutes below 90 %: the last 7 days are nights 3 to
// 9, T90 9, 16, …, 81 minutes, mean 40.0 and median 36.0 (hand-computed); Home and Enter on the
// trend open the oldest of them, which is marked.
TEST(NightTrend, ARangesMeansAndMediansAndItsBarsOpenTheirNights)
{
    QTemporaryDir dir;
    for (int k = 1; k <= 9; ++k) {
        const std::string date = "2026-11-0" + std::to_string(k);
        Put(dir.filePath(QStringLiteral("n%1.csv").arg(k)),
            report::RowText(date, 22 * 3600).Add(15000 - k * k * 60, "95").Add(k * k * 60, "85").Text());
    }
    NightsWindow w(lang::kEnglish, {});
    QSignalSpy listed(&w, &NightsWindow::Listed);
    QSignalSpy shown(&w, &NightsWindow::NightShown);
    w.ShowFolder(dir.path());
    ASSERT_TRUE(listed.wait(60'000));
    w.ChooseMeasures({report::TrendMeasure::T90, report::TrendMeasure::Spo2Min});
    w.ChooseRange(0);
    EXPECT_EQ(w.TrendRange(), std::pair(QDate(2026, 11, 3), QDate(2026, 11, 9)));
    ASSERT_EQ(w.Trend().Nights().size(), 7U);
    EXPECT_EQ(w.Trend().Nights().front().t90Minutes, 9);
    const QString figures = w.TrendFigures().toPlainText();
    EXPECT_TRUE(figures.contains(QRegularExpression(QStringLiteral("T90\\s+40\\.0\\s+36\\.0"))))
        << figures.toStdString();
    EXPECT_TRUE(figures.startsWith("7 nights from 2026-11-03 to 2026-11-09, 7 of them counted"))
        << figures.toStdString();

    w.ChooseRange(4, QDate(2026, 11, 1), QDate(2026, 11, 2));
    EXPECT_EQ(w.Trend().Nights().size(), 2U);
    w.ChooseRange(3);
    EXPECT_EQ(w.Trend().Nights().size(), 9U);

    w.ChooseRange(0);
    shown.clear();
    w.Trend().setFocus();
    QTest::keyClick(&w.Trend(), Qt::Key_Home);
    QTest::keyClick(&w.Trend(), Qt::Key_Return);
    ASSERT_TRUE(shown.wait(30'000));
    EXPECT_TRUE(w.Table().currentIndex().siblingAtColumn(0).data().toString().contains("3 Nov 2026"));
    EXPECT_EQ(w.Trend().Choice().chosen, 0U) << "the night opened is marked";
}

}  // namespace
}  // namespace trelvo::app
