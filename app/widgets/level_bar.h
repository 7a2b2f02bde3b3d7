#pragma once

#include <QWidget>

namespace trelvo::app {

// A vertical level bar, drawn plainly. The window sets it once per batch from the line; a value
// that did not change costs nothing, and a new one repaints only the band between the two levels.
class LevelBar final : public QWidget {
    Q_OBJECT

public:
    explicit LevelBar(int maximum, QWidget* parent = nullptr);

    void setValue(int value);
    [[nodiscard]] int value() const noexcept { return m_value; }
    [[nodiscard]] int maximum() const noexcept { return m_maximum; }

    [[nodiscard]] QSize sizeHint() const override { return {25, 137}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_maximum;
    int m_value = 0;
};

}  // namespace trelvo::app
