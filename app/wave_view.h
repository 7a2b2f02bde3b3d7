#pragma once

#include "core/trace.h"

#include <QFrame>
#include <QImage>
#include <QPainter>
#include <QTimer>

#include <memory>

namespace trelvo::app {

// The trace's drawing surface: lines go into an image the widget keeps between samples, and the
// widget shows it at most once per screen frame however many samples arrive meanwhile.
class WaveView final : public QFrame, public core::DrawingSurface {
    Q_OBJECT

public:
    explicit WaveView(QWidget* parent = nullptr);
    ~WaveView() override;

    void SetDrawWidth(int pixels) override { m_pen.setWidth(pixels); }
    [[nodiscard]] float ScaleWidth() const override { return static_cast<float>(contentsRect().width()); }
    [[nodiscard]] float ScaleHeight() const override { return static_cast<float>(contentsRect().height()); }
    void SetForeColor(core::Colour colour) override;
    void Line(float x1, float y1, float x2, float y2) override;

    // What has been drawn so far (tests and benchmarks look at it).
    [[nodiscard]] const QImage& Picture();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FinishDrawing();

    QImage m_picture;
    std::unique_ptr<QPainter> m_painter;  // open while lines arrive, closed to show the picture
    QPen m_pen;
    QTimer m_frame;
};

// The colour a core colour stands for in the current palette.
[[nodiscard]] QColor ToQColor(const core::Colour& colour);

}  // namespace trelvo::app
