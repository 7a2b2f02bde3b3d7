#pragma once

#include "report/analysis/beats.h"
#include "report/analysis/figures.h"
#include "report/render/ink.h"
#include "report/words/speech.h"

#include <QWidget>

#include <memory>
#include <optional>

class QScrollBar;

namespace trelvo::app {

// A night as the nights window shows it: its readings, figures and the beats in its wave.
struct ShownNight {
    report::Night night;
    report::Figures figures;
    std::vector<report::Beat> beats;
};

// The SpO2 and pulse panels of one night, zoomed with the wheel (about the pointer) or by
// dragging across a stretch, moved with the scroll bar, the arrow keys or the overview strip of
// the whole night above them (click or drag), from the whole night down to kShortestSpan. From
// kWaveSpan down, the pulse wave and its beats are drawn under them. A line across the panels
// marks the moment read out: the pointer's, or the keyboard's (Shift and the arrows move it).
// Dragging with Shift held asks for the stretch to be marked as not to be counted.
class NightView final : public QWidget {
    Q_OBJECT

public:
    // Painted in the language given, until another is set.
    NightView(std::int16_t languageBase, QWidget* parent);

    // Shows a night whole; nothing shows none. The same night read again (the night being
    // recorded) keeps the stretch shown, unless that was the whole night.
    void SetNight(std::shared_ptr<const ShownNight> night);
    // The stretch shown, in seconds of the night's axis.
    void ShowStretch(double from, double to);
    // The four minutes around an event (more for a longer one), the keyboard's line at its start.
    void ShowEvent(double start, double end);
    [[nodiscard]] double From() const noexcept { return m_from; }
    [[nodiscard]] double To() const noexcept { return m_to; }
    [[nodiscard]] bool WaveShown() const noexcept;
    void SetLanguage(std::int16_t base);
    // What the readout says of a moment: its time, SpO2 and pulse or why there are none, and the
    // event under it.
    [[nodiscard]] QString Describe(double t) const;

    static constexpr double kShortestSpan = 15;
    static constexpr double kWaveSpan = 60;
    static constexpr double kEventSpan = 240;

signals:
    // The moment under the pointer or the keyboard's line and its values, or empty when the
    // pointer left.
    void PointedAt(const QString& text);
    // A stretch dragged across with Shift held: to be marked as not to be counted.
    void MarkAsked(double from, double to);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    [[nodiscard]] QRectF OverviewArea() const;
    [[nodiscard]] QRectF PanelArea() const;
    [[nodiscard]] QRectF WaveArea() const;
    [[nodiscard]] double TimeAt(double x) const;
    void Zoom(double factor, double about);
    // The stretch shown, centred where the overview strip was clicked or dragged to.
    void CentreAt(double x);
    void PaintOverview(QPainter& p, const report::Ink& ink) const;
    void UpdateScrollBar();
    // The keyboard's line at t (within the stretch shown), read out.
    void MarkAt(double t);

    std::shared_ptr<const ShownNight> m_night;
    double m_from = 0, m_to = 1;
    std::optional<double> m_dragFrom;
    bool m_overviewDrag = false;
    bool m_dragMarks = false;         // the drag under way chooses a stretch to mark, not to zoom to
    std::optional<double> m_pointer;  // the pointer's line, in seconds of the night's axis
    std::optional<double> m_mark;     // the keyboard's line, in seconds of the night's axis
    double m_dragTo = 0;
    QScrollBar* m_scroll = nullptr;
    report::Speech m_speech;
};

}  // namespace trelvo::app
