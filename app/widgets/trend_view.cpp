#include "app/widgets/trend_view.h"

#include "report/render/plot.h"

#include <QPainter>

#include <algorithm>

namespace trelvo::app {

void TrendView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    const double scale = std::min(width() / double(report::kTrendWidth), height() / double(report::kTrendHeight));
    p.translate((width() - report::kTrendWidth * scale) / 2, 0);
    p.scale(scale, scale);
    report::PaintTrend(p, m_rows, QString(), m_speech);
}

}  // namespace trelvo::app
