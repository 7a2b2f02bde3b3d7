#include "app/widgets/artwork.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

namespace trelvo::app {
namespace {

const QColor kNavy(20, 40, 90);
const QColor kPulseRed(200, 30, 45);

// One heartbeat of a pulse trace across the given rectangle.
QPainterPath Heartbeat(const QRectF& r)
{
    const auto at = [&r](double fx, double fy) {
        return QPointF(r.left() + fx * r.width(), r.top() + fy * r.height());
    };
    QPainterPath path(at(0.0, 0.6));
    path.lineTo(at(0.30, 0.6));
    path.lineTo(at(0.40, 0.05));
    path.lineTo(at(0.52, 0.95));
    path.lineTo(at(0.60, 0.45));
    path.lineTo(at(0.68, 0.6));
    path.lineTo(at(1.0, 0.6));
    return path;
}

}  // namespace

QPixmap MakeIconPixmap(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(kNavy);
    p.drawRoundedRect(QRectF(0.5, 0.5, size - 1.0, size - 1.0), size / 5.0, size / 5.0);
    p.setPen(QPen(Qt::white, size / 10.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(Heartbeat(QRectF(size * 0.12, size * 0.2, size * 0.76, size * 0.6)));
    return pixmap;
}

QPixmap MakeLogo()
{
    QPixmap logo(200, 45);
    logo.fill(Qt::white);
    QPainter p(&logo);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    p.setPen(QPen(kPulseRed, 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(Heartbeat(QRectF(6, 8, 52, 30)));

    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(28);
    font.setBold(true);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 2.0);
    p.setFont(font);
    p.setPen(kNavy);
    p.drawText(QRect(64, 0, 136, 45), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("TRELVO"));
    return logo;
}

QIcon MakeWindowIcon()
{
    QIcon icon;
    icon.addPixmap(MakeIconPixmap(32));
    icon.addPixmap(MakeIconPixmap(16));
    return icon;
}

}  // namespace trelvo::app
