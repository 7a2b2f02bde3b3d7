#pragma once

#include "report/library/folder.h"
#include "report/library/night_files.h"
#include "report/render/page.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace trelvo::report {

// The nights among the files given (a folder stands for its .txt and .csv files), each from every
// file with readings in it, and where each night's picture goes, decided before any is drawn:
// beside the night's record file or else its first file, each picture with a name of its own (night.txt and night.csv
// of two different nights would both want night.png: the second gets night-2.png).
struct NightsPlan {
    FolderListing listing;  // newest first
    QStringList pictures;   // each night's picture, by the listing's index
    QString trend;          // the trend's picture, when no other is asked for: no night's picture
    ReadFiles inputs;       // every file read, or looked at to be read
    QString folder;         // the first folder given, else the first file's
};
// What a cache (may be null) holds of unchanged files is taken from there, and what is read put there.
[[nodiscard]] NightsPlan PlanNights(const QStringList& arguments, SummaryCache* cache = nullptr);
inline constexpr const char* kTrendName = "trend.png";

// Draws every night's picture, as many at once as there are cores (Qt's global thread pool):
// why each could not be drawn or written (empty when it was), by the listing's index. drawn is
// told how many are done (from the drawing threads, one at a time).
[[nodiscard]] std::vector<QString> DrawNights(const NightsPlan& plan, const Speech& speech,
                                              const std::function<void(std::size_t done)>& drawn = {});

// The night's date lies in the range (both ends included; a missing end is open).
[[nodiscard]] bool NightInRange(const NightRow& row, const std::optional<QDate>& from, const std::optional<QDate>& to);

// The report for the doctor over these nights (oldest first): each night's page read from its files
// when it is drawn.
[[nodiscard]] NightsReport ReportOfNights(std::vector<FolderNight> nights, const QString& range, const Speech& speech);

}  // namespace trelvo::report
