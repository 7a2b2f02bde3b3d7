#pragma once

#include "report/analysis/figures.h"
#include "report/render/plot.h"
#include "report/words/speech.h"

#include <QWidget>

#include <optional>
#include <vector>

namespace trelvo::app {

// Nights of a range, one bar a night for each measure chosen, oldest on the left: the report's
// trend picture scaled to the widget. The night chosen is marked; a click on a night's bar, or
// Enter, opens it, and the arrow keys choose another.
class TrendView final : public QWidget {
    Q_OBJECT

public:
    // Painted in the language given, until another is set.
    TrendView(std::int16_t languageBase, QWidget* parent);
    void SetLanguage(std::int16_t base);
    // The nights drawn (oldest first), what of them, and the one marked.
    void SetNights(std::vector<report::NightRow> rows, report::TrendChoice choice);
    [[nodiscard]] const std::vector<report::NightRow>& Nights() const noexcept { return m_rows; }
    [[nodiscard]] const report::TrendChoice& Choice() const noexcept { return m_choice; }
    // The night drawn at a point of the widget, or nothing.
    [[nodiscard]] std::optional<std::size_t> NightAt(QPointF point) const;

signals:
    // The person asked for this night (by its index among those drawn) to be opened.
    void NightOpened(std::size_t index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The picture as wide as the widget's shape allows (at least the report's), and its scale.
    [[nodiscard]] int PictureWidth() const;
    [[nodiscard]] double Scale() const;
    std::vector<report::NightRow> m_rows;
    report::TrendChoice m_choice;
    report::Speech m_speech;
};

}  // namespace trelvo::app
