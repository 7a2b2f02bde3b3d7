#pragma once

#include "tools/report/figures.h"

#include <QString>

class QPainter;

namespace trelvo::report {

inline constexpr int kPlotWidth = 1200;
inline constexpr int kPlotHeight = 760;

// SpO2 and pulse over clock time on two stacked panels: hour ticks, the 90 % line, desaturations
// (3 points) shaded, time without readings left empty and marked, a title and the reminder that
// this is no diagnosis.
void PaintReport(QPainter& painter, const Night& night, const Figures& figures, const QString& title);

}  // namespace trelvo::report
