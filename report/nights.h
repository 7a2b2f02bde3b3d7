#pragma once

#include "report/figures.h"
#include "report/load.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace trelvo::report {

// Which of the files given are nights, and where each night's picture goes, decided before any
// is read: a per-second file beside a record file among them is read with it, not as a night of
// its own (unless the record file turns out not to use it); each picture has a name of its own
// (night.txt and a record file named night.csv would both want night.png: the second gets
// night-2.png).
struct NightsPlan {
    QStringList files;
    QStringList pictures;          // each file's picture, by the file's index
    std::vector<qsizetype> first;  // worked out first
    std::vector<qsizetype> later;  // per-second files beside a record file among the files
    ReadFiles inputs;              // every file read, or looked at to be read
    QString folder;                // the first folder given, else the first file's
};
[[nodiscard]] NightsPlan PlanNights(const QStringList& arguments);

// One night among many, worked out on its own: its summary row and its picture.
struct NightSummary {
    std::optional<NightRow> row;
    QString problem;        // why the file is skipped
    QString pictureError;   // why its picture could not be written
    QString perSecondUsed;  // the per-second file read with a record file
};
[[nodiscard]] NightSummary SummariseNight(const QString& path, const QString& picture);

// Every night of the plan, as many at once as there are cores (Qt's global thread pool); the
// results by the files' index, nothing for a per-second file read with its record file.
[[nodiscard]] std::vector<NightSummary> SummariseNights(const NightsPlan& plan);

}  // namespace trelvo::report
