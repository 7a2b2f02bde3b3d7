#include "app/widgets/trend_view.h"

#include "report/render/plot.h"

#include <QPainter>

#include <algorithm>

namespace trelvo::app {

void TrendView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const report::Ink ink = report::Ink::ForScreen(palette().color(QPalette::Base), palette().color(QPalette::Text));
    p.fillRect(rect(), ink.paper);
    const double scale = std::min(width() / double(report::kTrendWidth), height() / double(report::kTrendHeight));
    p.translate((width() - report::kTrendWidth * scale) / 2, 0);
    p.scale(scale, scale);
    report::PaintTrend(p, m_rows, QString(), m_speech, ink);
}

}  // namespace trelvo::app
