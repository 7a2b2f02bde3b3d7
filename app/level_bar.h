#pragma once

#include <QWidget>

namespace trelvo::app {

class FrameClock;

// A vertical level bar. QProgressBar repaints at once on every new value; the pulse bar gets a
// new value every fourth byte from the unit, so this one takes the value at once and shows it at
// the pace of the window's frame clock.
class LevelBar final : public QWidget {
    Q_OBJECT

public:
    LevelBar(int maximum, FrameClock& frames, QWidget* parent = nullptr);

    void setValue(int value);
    [[nodiscard]] int value() const noexcept { return m_value; }
    [[nodiscard]] int maximum() const noexcept { return m_maximum; }

    [[nodiscard]] QSize sizeHint() const override { return {25, 137}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_maximum;
    int m_value = 0;
    FrameClock& m_frames;
};

}  // namespace trelvo::app
