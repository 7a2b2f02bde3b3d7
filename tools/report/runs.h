#pragma once

// The command line's runs: what trelvo-report prints and writes for one night or for many, and
// its status (0, 1 when an output could not be written, 2 for input it refuses).

#include <QDate>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace trelvo::report_tool {

// What the options asked for.
struct Options {
    QString output, csv, edf, oscar, pdf, events, wave;
    std::optional<QDate> date;
    bool svg = false;
    // Many nights: only those from, to (the nights' dates, both included); the person on the PDF.
    std::optional<QDate> from, to;
    QString name, born;
    // The language of the pictures and pages (the summary on stdout and the machine files stay as
    // they are).
    std::int16_t language = 1000;
    // For scripts: the summary as JSON on stdout; no picture unless -o names one; nothing on
    // stdout but what was asked for. "-" as --csv or --events: that file on stdout.
    bool json = false, noPicture = false, quiet = false;
    // Many nights: every file read, the summary cache neither used nor filled.
    bool noCache = false;
    // The night came on standard input (copied to the file given): no picture beside it.
    bool fromStdin = false;
};

// One night: summary on stdout, the picture, and what was asked for.
[[nodiscard]] int ReportNight(const QString& path, const Options& o);
// Many nights: a row each, each night's picture beside its file, the trend.
[[nodiscard]] int ReportNights(const QStringList& arguments, const Options& o);
// Says why on stderr and gives the status to end with.
[[nodiscard]] int Refuse(int status, const QString& text);

}  // namespace trelvo::report_tool
