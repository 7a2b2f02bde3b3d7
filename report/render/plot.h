#pragma once

#include "report/analysis/beats.h"
#include "report/analysis/figures.h"
#include "report/render/ink.h"
#include "report/words/speech.h"

#include <QFont>
#include <QRectF>
#include <QString>

#include <optional>
#include <vector>

class QPainter;

namespace trelvo::report {

// The fonts of the pictures: text of a size, the same bold, and a size smaller.
struct ReportFonts {
    explicit ReportFonts(int pixels);
    QFont normal, bold, small;
};

inline constexpr int kPlotWidth = 1200;
inline constexpr int kPlotHeight = 760;

// SpO2 and pulse over clock time on two stacked panels: hour ticks, the 90 % line, desaturations
// (3 points) shaded, time without readings left empty and marked, a title and the reminder that
// this is no diagnosis.
void PaintReport(QPainter& painter, const Night& night, const Figures& figures, const QString& title,
                 const Speech& speech);

// The two panels in an area, the time axis's labels just below it; ticks every hour, or every
// 10 s, 1, 10, 15 or 30 minutes for a span up to 2, 15 or 75 minutes, 3 or 6 hours.
void PaintPanels(QPainter& painter, const QRectF& area, const Night& night, const Figures& figures,
                 const Speech& speech);
// The same from one time of the night's axis to another (seconds as in Entry).
void PaintPanels(QPainter& painter, const QRectF& area, const Night& night, const Figures& figures, double from,
                 double to, const Speech& speech, const Ink& ink = Ink::ForPaper());
[[nodiscard]] double TickSeconds(double span);
// The same for a time axis this wide (in the picture's units): a longer step where the clock's
// labels would run into each other (they need kTickLabelRoom apart).
inline constexpr double kTickLabelRoom = 56;
[[nodiscard]] double TickSeconds(double span, double width);
// A value axis from 0 past `top`: ticks every `step` (1, 2 or 5 times a power of ten), `count` of them.
struct Ticks {
    double step = 1;
    int count = 1;
};
[[nodiscard]] Ticks RoundTicks(double top);
// The pulse wave from one time to another in an area, its scale on the left, grey where the night
// has none, and the beats found in it.
void PaintWaveStrip(QPainter& painter, const QRectF& area, const Night& night, double from, double to,
                    const std::vector<Beat>& beats, const Ink& ink = Ink::ForPaper());
// Time in the SpO2 bands as horizontal bars, with minutes and shares.
void PaintBands(QPainter& painter, const QRectF& area, const Figures& figures, const Speech& speech);
// ODI3 and ODI4 per clock hour as a table.
void PaintHourTable(QPainter& painter, const QRectF& area, const Night& night, const Figures& figures,
                    const Speech& speech);

// A figure per night, one bar a night, for a summary of many nights: by default ODI3 and T90.
enum class TrendMeasure { Odi3, Odi4, T90, T88, Spo2Mean, Spo2Min, Pulse };
inline constexpr int kTrendMeasureCount = 7;
[[nodiscard]] std::optional<double> TrendValue(const NightRow& night, TrendMeasure measure);
struct TrendChoice {
    std::vector<TrendMeasure> measures{TrendMeasure::Odi3, TrendMeasure::T90};
    std::optional<std::size_t> chosen;  // the night marked, among those drawn
};
inline constexpr int kTrendWidth = 1200;
inline constexpr int kTrendHeight = 600;  // for two measures; TrendHeight for more or fewer
[[nodiscard]] int TrendHeight(std::size_t measures);
// width: the picture's, in its units (a window makes it as wide as it has room for).
void PaintTrend(QPainter& painter, const std::vector<NightRow>& nights, const QString& title, const Speech& speech,
                const Ink& ink = Ink::ForPaper(), const TrendChoice& choice = {}, int width = kTrendWidth);
// The night drawn at x (in the picture's units), or nothing.
[[nodiscard]] std::optional<std::size_t> TrendNightAt(double x, std::size_t nights, int width = kTrendWidth);

// 30 seconds of the pulse wave around a moment, the beats found in it, and each second's SpO2,
// pulse and beat rate.
inline constexpr int kWaveWidth = 1200;
inline constexpr int kWaveHeight = 560;
inline constexpr double kWaveSpan = 30;
void PaintWave(QPainter& painter, const Night& night, double centre, const std::vector<Beat>& beats,
               const QString& title, const Speech& speech);

}  // namespace trelvo::report
