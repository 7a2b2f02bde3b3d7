#pragma once

#include "report/files/output.h"

#include "report/analysis/figures.h"
#include "report/words/speech.h"

#include <QIODevice>
#include <QString>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace trelvo::report {

// The one-page report as a PDF: title with the night's date, the figures and how they are
// counted, the two panels, the time in bands, ODI per clock hour, and the reminder that it is no
// diagnosis. A4, or Letter where the locale measures in inches, written into the device (a failed
// write shows there). Returns why it failed, or nothing.
[[nodiscard]] WriteFailure WritePdf(QIODevice& out, const Night& night, const Figures& figures, const QString& title,
                                    const QString& subtitle, const Speech& speech);

// A report for the doctor over many nights: a first page with the person (when given), the range,
// a row a night, the means, the trend of ODI3 and T90 and how the figures are counted (the table
// going on over further pages when it is long); then each night's page, in date order. Every
// page's foot gives its number and the range.
struct NightsReport {
    QString person, born;  // optional
    QString range;         // "2026-12-07 to 2026-12-13", in the report's language
    Speech speech;
    std::vector<NightRow> rows;  // oldest first
    // Night i in full for its page, and its page's title and subtitle; nothing when it can no
    // longer be read (its page says so).
    struct Page {
        Night night;
        Figures figures;
        QString title, subtitle;
    };
    std::function<std::optional<Page>(std::size_t)> night;
};
[[nodiscard]] WriteFailure WriteNightsPdf(QIODevice& out, const NightsReport& report);

}  // namespace trelvo::report
