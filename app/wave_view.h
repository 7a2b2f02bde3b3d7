#pragma once

#include "core/trace.h"

#include <QFrame>
#include <QImage>
#include <QPainter>
#include <memory>

namespace trelvo::app {

class FrameClock;

// The trace's drawing surface: lines go into an image the widget keeps between samples, and the
// widget shows what changed at the pace of the window's frame clock, however many samples
// arrive meanwhile.
class WaveView final : public QFrame, public core::DrawingSurface {
    Q_OBJECT

public:
    WaveView(FrameClock& frames, QWidget* parent = nullptr);
    ~WaveView() override;

    void SetDrawWidth(int pixels) override { m_width = pixels < 1 ? 1 : pixels; }
    [[nodiscard]] float ScaleHeight() const override { return static_cast<float>(contentsRect().height()); }
    void SetForeColor(core::Colour colour) override;
    void Line(float x1, float y1, float x2, float y2) override;

    // What has been drawn so far (tests and benchmarks look at it).
    [[nodiscard]] const QImage& Picture() const noexcept { return m_picture; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QImage m_picture;
    int m_width = 1;
    QRgb m_colour = 0;
    FrameClock& m_frames;
};

// The colour a core colour stands for in the current palette.
[[nodiscard]] QColor ToQColor(const core::Colour& colour);

}  // namespace trelvo::app
