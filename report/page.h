#pragma once

#include "report/figures.h"

#include <QIODevice>
#include <QString>

namespace trelvo::report {

// The one-page report as a PDF: title with the night's date, the figures and how they are
// counted, the two panels, the time in bands, ODI per clock hour, and the reminder that it is no
// diagnosis. A4, or Letter where the locale measures in inches, written into the device (a failed
// write shows there). Returns why it failed, or nothing.
[[nodiscard]] QString WritePdf(QIODevice& out, const Night& night, const Figures& figures, const QString& title,
                               const QString& subtitle);

}  // namespace trelvo::report
