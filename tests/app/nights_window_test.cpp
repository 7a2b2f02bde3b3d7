// The nights window on a folder of small nights: listed, in both languages, the night being
// recorded brought up to date, and the zoom reaching the wave.

#include "app/nights_window.h"
#include "lang/string_table.h"
#include "report/formats/export.h"
#include "report/library/folder.h"
#include "report/night_text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace trelvo::app {
namespace {

// Per-second rows from a time after 2026-12-01 00:00 UTC, with a wave of 50 samples a second: a
// beat a second.
std::string RowsWithWave(int start, int seconds)
{
    std::string text = std::string(recording::kPerSecondHeader) + "\r\n";
    for (int s = 0; s < seconds; ++s) {
        const int at = start + s, day = at / 86400, clock = at % 86400;
        char time[64];
        std::snprintf(time, sizeof time, "%sT%02d:%02d:%02d+00:00",
                      report::DateText(report::CivilFromDays(report::DaysFromCivil({2026, 12, 1}) + day)).c_str(),
                      clock / 3600, clock / 60 % 60, clock % 60);
        text += std::string(time) + ",96,60,ok,";
        for (int i = 0; i < 50; ++i) {
            if (i > 0)
                text += ' ';
            text += std::to_string(i < 10 ? 40 + 16 * i : 200 - 3 * (i - 10));
        }
        text += "\r\n";
    }
    return text;
}

void Write(const QString& path, const std::string& text, QIODevice::OpenMode mode = QIODevice::WriteOnly)
{
    QFile f(path);
    ASSERT_TRUE(f.open(mode));
    f.write(text.data(), static_cast<qint64>(text.size()));
}

QString Header(const NightsWindow& w, int column)
{
    return const_cast<NightsWindow&>(w).Table().model()->headerData(column, Qt::Horizontal).toString();
}

QString Cell(NightsWindow& w, int row, int column)
{
    return w.Table().model()->index(row, column).data().toString();
}

// Two recordings of one evening (record files copied without their times) are two rows, each
// chosen on its own; a pipe in the folder is listed apart, never waited for.
TEST(NightsWindow, TwoRecordingsOfOneDateAreTwoRowsAndAPipeIsListedApart)
{
    QTemporaryDir dir;
    const QString d = dir.path();
    Write(d + "/a.txt", report::RecordText(22 * 3600).Add(240, "95").Text());
    Write(d + "/b.txt", report::RecordText(22 * 3600).Add(240, "91").Text());
    ASSERT_EQ(::mkfifo(QFile::encodeName(d + "/pipe.csv").constData(), 0600), 0);
    NightsWindow w(lang::kEnglish, {});
    QSignalSpy listed(&w, &NightsWindow::Listed), shown(&w, &NightsWindow::NightShown);
    w.ShowFolder(d);
    ASSERT_TRUE(listed.wait(10000));
    ASSERT_EQ(w.Table().model()->rowCount(), 2);
    EXPECT_TRUE(Cell(w, 0, 0).endsWith("(date from the file's time)")) << Cell(w, 0, 0).toStdString();
    ASSERT_EQ(w.Listing().unreadable.size(), 1u);
    EXPECT_EQ(w.Listing().unreadable[0].first, "pipe.csv");
    ASSERT_TRUE(shown.wait(10000) || shown.count() > 0);
    shown.clear();
    w.ChooseRow(1);
    EXPECT_TRUE(shown.wait(10000)) << "the other recording of that date is loaded";
}

// Why a file is in no night, in the window's language.
TEST(NightsWindow, SaysWhyAFileIsInNoNightInGerman)
{
    QTemporaryDir dir;
    const QString d = dir.path();
    Write(d + "/notes.txt", "Ladegerät mitnehmen\r\n");
    ASSERT_EQ(::mkfifo(QFile::encodeName(d + "/pipe.csv").constData(), 0600), 0);
    NightsWindow w(lang::kGerman, {});
    QSignalSpy listed(&w, &NightsWindow::Listed);
    w.ShowFolder(d);
    ASSERT_TRUE(listed.wait(10000));
    const auto* list = w.findChild<QListWidget*>(QStringLiteral("lstUnreadable"));
    ASSERT_TRUE(list);
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), "notes.txt: sie enthält keine Messwerte einer Aufzeichnung");
    EXPECT_EQ(list->item(1)->text(), "pipe.csv: sie ist eine Pipe, keine Datei: nicht gelesen");
    w.SetLanguage(lang::kEnglish);
    EXPECT_EQ(list->item(1)->text(), "pipe.csv: it is a pipe, not a file: not read");
}

TEST(NightsWindow, ListsTheNightsInEitherLanguageAndFollowsTheNightBeingRecorded)
{
    QTemporaryDir dir;
    const QString d = dir.path();
    Write(d + "/first.csv", RowsWithWave(22 * 3600, 1200));
    const QString now = d + "/second.csv";
    Write(now, RowsWithWave(86400 + 22 * 3600, 600));  // the next evening, being recorded
    Write(d + "/shopping.txt", "milk\r\n");

    NightsWindow w(lang::kEnglish, [&] { return now; });
    QSignalSpy listed(&w, &NightsWindow::Listed), shown(&w, &NightsWindow::NightShown);
    w.ShowFolder(d);
    ASSERT_TRUE(listed.wait(10000));
    EXPECT_EQ(w.windowTitle(), "Nights");
    EXPECT_EQ(Header(w, 0), "Night of");
    ASSERT_EQ(w.Table().model()->rowCount(), 2);
    EXPECT_EQ(Cell(w, 0, 0), "Wed 2 Dec 2026 (being recorded)") << "newest first";
    EXPECT_EQ(Cell(w, 0, 4), "0 h 10 min");
    EXPECT_EQ(Cell(w, 1, 5), "96.0");
    ASSERT_EQ(w.Listing().unreadable.size(), 1u);
    EXPECT_EQ(w.Listing().unreadable[0].first, "shopping.txt");

    w.SetLanguage(lang::kGerman);
    EXPECT_EQ(w.windowTitle(), "Nächte");
    EXPECT_EQ(Header(w, 0), "Nacht vom");
    EXPECT_EQ(Cell(w, 0, 0), "Mi. 02.12.2026 (wird aufgezeichnet)");
    EXPECT_EQ(Cell(w, 1, 5), "96,0");

    // Ten more minutes are written; reading the folder again shows them, and the night stays chosen.
    ASSERT_TRUE(shown.wait(10000) || shown.count() > 0);
    const double endBefore = w.View().To();
    Write(now, RowsWithWave(86400 + 22 * 3600 + 600, 600).substr(recording::kPerSecondHeader.size() + 2),
          QIODevice::Append);
    shown.clear();
    w.ReadAgain();
    ASSERT_TRUE(listed.wait(10000));
    EXPECT_EQ(Cell(w, 0, 4), "0 h 20 min");
    ASSERT_TRUE(shown.wait(10000));
    EXPECT_EQ(w.View().From(), 22 * 3600);
    EXPECT_GT(w.View().To(), endBefore);
}

// Reading the folder again changes the rows in place: the sort the user chose, the rows selected
// and the cell the keyboard is on stay with their nights while a night grows and another comes.
TEST(NightsWindow, ARefreshKeepsTheSortTheSelectionAndTheCurrentCell)
{
    QTemporaryDir dir;
    const QString d = dir.path();
    Write(d + "/a.csv", RowsWithWave(22 * 3600, 1200));              // 20 min
    Write(d + "/b.csv", RowsWithWave(86400 + 22 * 3600, 600));       // 10 min, grows to 35
    Write(d + "/c.csv", RowsWithWave(2 * 86400 + 22 * 3600, 1800));  // 30 min
    NightsWindow w(lang::kEnglish, {});
    QSignalSpy listed(&w, &NightsWindow::Listed);
    w.ShowFolder(d);
    ASSERT_TRUE(listed.wait(10000));
    QTableView& table = w.Table();
    table.sortByColumn(4, Qt::AscendingOrder);
    const auto names = [&] {
        QStringList shown;
        for (int r = 0; r < table.model()->rowCount(); ++r)
            shown << Cell(w, r, 4);
        return shown.join(' ');
    };
    ASSERT_EQ(names(), "0 h 10 min 0 h 20 min 0 h 30 min");
    table.selectionModel()->clearSelection();
    table.selectionModel()->select(table.model()->index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    table.selectionModel()->setCurrentIndex(table.model()->index(1, 4),
                                            QItemSelectionModel::Select | QItemSelectionModel::Rows);

    Write(d + "/b.csv", RowsWithWave(86400 + 22 * 3600 + 600, 1500).substr(recording::kPerSecondHeader.size() + 2),
          QIODevice::Append);
    Write(d + "/d.csv", RowsWithWave(3 * 86400 + 22 * 3600, 2400));  // 40 min, new
    w.ReadAgain();
    ASSERT_TRUE(listed.wait(10000));
    EXPECT_EQ(names(), "0 h 20 min 0 h 30 min 0 h 35 min 0 h 40 min") << "still by the column chosen";
    EXPECT_EQ(table.currentIndex().column(), 4);
    EXPECT_EQ(table.currentIndex().data().toString(), "0 h 20 min") << "the cell stays with its night";
    QStringList selected;
    for (const QModelIndex& row : table.selectionModel()->selectedRows(4))
        selected << row.data().toString();
    selected.sort();
    EXPECT_EQ(selected.join(' '), "0 h 20 min 0 h 35 min");
}

// The report for the doctor covers the nights of the range asked for, or those selected, oldest
// first, and names the range asked for or the selected nights' first and last.
TEST(NightsWindow, TheReportsNightsAndTheRangeItNames)
{
    report::FolderListing listing;
    for (const int day : {9, 5, 3}) {  // newest first
        listing.nights.emplace_back();
        listing.nights.back().night = day;
        listing.nights.back().row.date = "2026-12-0" + std::to_string(day);
    }
    const auto dates = [](const ReportNights& chosen) {
        QStringList shown;
        for (const report::FolderNight& n : chosen.nights)
            shown << QString::fromStdString(n.row.date);
        return shown.join(' ');
    };
    const ReportNights week =
        NightsOfReport(listing, {listing.nights[0]}, false, QDate(2026, 12, 3), QDate(2026, 12, 9), lang::kGerman);
    EXPECT_EQ(dates(week), "2026-12-03 2026-12-05 2026-12-09");
    const ReportNights some = NightsOfReport(listing, {listing.nights[2], listing.nights[1]}, true, QDate(2026, 12, 1),
                                             QDate(2026, 12, 31), lang::kEnglish);
    EXPECT_EQ(dates(some), "2026-12-03 2026-12-05");
    EXPECT_EQ(NightsOfReport(listing, {}, false, QDate(2026, 12, 4), QDate(2026, 12, 4), lang::kGerman).range, "")
        << "no night, no range";
    EXPECT_EQ(week.range, "03.12.2026 bis 09.12.2026");
    EXPECT_EQ(some.range.toStdString(), "2026-12-03 to 2026-12-05") << "the selected nights, not the range";
}

TEST(NightsWindow, TheWheelZoomsFromTheWholeNightToItsWave)
{
    QTemporaryDir dir;
    Write(dir.path() + "/night.csv", RowsWithWave(22 * 3600, 1800));
    NightsWindow w(lang::kEnglish, {});
    w.resize(1000, 700);
    w.show();
    QSignalSpy shown(&w, &NightsWindow::NightShown);
    w.ShowFolder(dir.path());
    ASSERT_TRUE(shown.wait(10000));
    NightView& view = w.View();
    EXPECT_EQ(view.To() - view.From(), 1800);
    EXPECT_FALSE(view.WaveShown());
    const QPointF middle(view.width() / 2.0, view.height() / 3.0);
    for (int notch = 0; notch < 20; ++notch) {
        QWheelEvent wheel(middle, view.mapToGlobal(middle), {}, {0, 120}, Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&view, &wheel);
    }
    EXPECT_LE(view.To() - view.From(), NightView::kWaveSpan);
    EXPECT_GE(view.To() - view.From(), NightView::kShortestSpan);
    EXPECT_TRUE(view.WaveShown());
    // The wave is drawn: the strip under the panels holds the wave's blue.
    const QImage picture = view.grab().toImage();
    int blue = 0;
    for (int y = picture.height() * 2 / 3; y < picture.height() - 20; ++y)
        for (int x = 0; x < picture.width(); ++x)
            blue += picture.pixelColor(x, y) == QColor(20, 80, 170);
    EXPECT_GT(blue, 100);
}

}  // namespace
}  // namespace trelvo::app

namespace trelvo::app {
namespace {

// The buttons' work: every file of the chosen night through the report's writers, or the reason.
TEST(NightsWindow, SavesTheChosenNightInEveryFormat)
{
    QTemporaryDir dir;
    Write(dir.path() + "/night.csv", RowsWithWave(22 * 3600, 600));
    const report::FolderListing listing = report::ListFolder(dir.path(), nullptr, {});
    ASSERT_EQ(listing.nights.size(), 1u);
    const auto night = report::LoadFolderNight(listing.nights[0]).value;
    ASSERT_TRUE(night);
    const auto save = [&](NightFile format, const QString& name) {
        return SaveNight(format, dir.filePath(name), *night, "2026-12-01", "night.csv", lang::kEnglish,
                         FilesOfNight(listing.nights[0]));
    };
    EXPECT_EQ(save(NightFile::Pdf, "n.pdf"), "");
    EXPECT_EQ(save(NightFile::Edf, "n.edf"), "");
    EXPECT_EQ(save(NightFile::Csv, "n-seconds.csv"), "");
    EXPECT_EQ(save(NightFile::Oscar, "oscar"), "");
    QFile pdf(dir.filePath("n.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.readAll().startsWith("%PDF"));
    EXPECT_GT(QFileInfo(dir.filePath("n.edf")).size(), 600 * 100);  // with the wave
    QFile csv(dir.filePath("n-seconds.csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    EXPECT_EQ(csv.readAll().count('\n'), 601);
    EXPECT_FALSE(QDir(dir.filePath("oscar")).entryList(QDir::Files).isEmpty());
    EXPECT_NE(save(NightFile::Pdf, "missing/n.pdf"), "") << "a failure is told, never taken for success";
    // And told in the window's language.
    Write(dir.path() + "/a-file", "not a folder");
    EXPECT_EQ(SaveNight(NightFile::Oscar, dir.filePath("a-file/oscar"), *night, "2026-12-01", "night.csv",
                        lang::kGerman, FilesOfNight(listing.nights[0])),
              dir.filePath("a-file/oscar") + ": der Ordner kann nicht angelegt werden");

    // Never over a file of the night, by any name; and the OSCAR files' names are the report's own:
    // a link planted there is replaced, not written through.
    const qint64 size = QFileInfo(dir.filePath("night.csv")).size();
    ASSERT_TRUE(QFile::link(dir.filePath("night.csv"), dir.filePath("link.csv")));
    EXPECT_EQ(save(NightFile::Csv, "night.csv").toStdString(),
              dir.filePath("night.csv").toStdString() + " would replace night.csv, a file of this night: choose "
                                                        "another name");
    EXPECT_TRUE(save(NightFile::Pdf, "link.csv").contains("would replace night.csv"));
    EXPECT_TRUE(SaveNight(NightFile::Csv, dir.filePath("night.csv"), *night, "2026-12-01", "night.csv", lang::kGerman,
                          FilesOfNight(listing.nights[0]))
                    .contains(QString::fromUtf8("würde night.csv ersetzen")));
    EXPECT_EQ(QFileInfo(dir.filePath("night.csv")).size(), size);
    const auto oscarFiles = report::OscarFiles(*night, *night->date);
    ASSERT_FALSE(oscarFiles.empty());
    QDir().mkpath(dir.filePath("planted"));
    Write(dir.path() + "/victim", "mine");
    ASSERT_TRUE(QFile::link(dir.filePath("victim"),
                            dir.filePath("planted/" + QString::fromStdString(oscarFiles.front().name))));
    EXPECT_EQ(save(NightFile::Oscar, "planted"), "");
    QFile victim(dir.filePath("victim"));
    ASSERT_TRUE(victim.open(QIODevice::ReadOnly));
    EXPECT_EQ(victim.readAll(), "mine");
    EXPECT_FALSE(QFileInfo(dir.filePath("planted/" + QString::fromStdString(oscarFiles.front().name))).isSymLink());

    // The report for the doctor, written off the window's thread.
    NightsWindow w(lang::kEnglish, {});
    QString opened;
    w.SetOpener([&](const QString& path) { opened = path; });
    QSignalSpy written(&w, &NightsWindow::ReportWritten);
    w.WriteReport(listing.nights, "2026-12-01 to 2026-12-01", dir.filePath("doctor.pdf"), "Erika Muster", "");
    ASSERT_TRUE(written.wait(20000));
    EXPECT_EQ(written.at(0).at(1).toString(), "");
    EXPECT_EQ(opened, dir.filePath("doctor.pdf")) << "opened with the desktop's viewer";
    QFile doctor(dir.filePath("doctor.pdf"));
    ASSERT_TRUE(doctor.open(QIODevice::ReadOnly));
    EXPECT_TRUE(doctor.readAll().contains("/Count 2")) << "the nights' page and the night's";
}

}  // namespace
}  // namespace trelvo::app
