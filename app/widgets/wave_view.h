#pragma once

#include "core/trace.h"

#include <QFrame>
#include <QImage>

namespace trelvo::app {

// The trace's drawing surface: lines go into an image the widget keeps between samples. What
// changed is gathered and sent to the screen in one update when the window shows the batch
// (ShowChanges), so a frame repaints only the columns the sweep moved through.
class WaveView final : public QFrame, public core::DrawingSurface {
    Q_OBJECT

public:
    explicit WaveView(QWidget* parent = nullptr);
    ~WaveView() override;

    void SetDrawWidth(int pixels) override { m_width = pixels < 1 ? 1 : pixels; }
    [[nodiscard]] float ScaleHeight() const override { return static_cast<float>(contentsRect().height()); }
    void SetForeColor(core::Colour colour) override;
    void Line(float x1, float y1, float x2, float y2) override;
    // The same pixels as the lines of DrawTraceSteps, written straight into the picture.
    void DrawSteps(std::span<const core::TraceStep> steps) override;

    // Sends what was drawn since the last call to the screen.
    void ShowChanges();

    // What has been drawn so far (tests and benchmarks look at it).
    [[nodiscard]] const QImage& Picture() const noexcept { return m_picture; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Changed(const QRect& pictureRect);
    void Stamp(int x, int y, QRgb colour);

    QImage m_picture;
    int m_width = 1;
    QRgb m_colour = 0;
    QRect m_changed;         // in the picture's coordinates, not yet shown
    QRect m_changedEarlier;  // the part before the sweep started again at the left
};

// The colour a core colour stands for in the current palette.
[[nodiscard]] QColor ToQColor(const core::Colour& colour);

}  // namespace trelvo::app
