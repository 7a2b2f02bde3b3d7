#pragma once

#include "report/analysis/figures.h"
#include "report/words/speech.h"

#include <QWidget>

#include <vector>

namespace trelvo::app {

// ODI3 and T90 of the listed nights, one bar a night, oldest on the left: the report's trend
// picture scaled to the widget.
class TrendView final : public QWidget {
    Q_OBJECT

public:
    // Painted in the language given, until another is set.
    TrendView(std::int16_t languageBase, QWidget* parent) : QWidget(parent), m_speech(languageBase)
    {
        setMinimumSize(320, 160);
    }
    void SetLanguage(std::int16_t base)
    {
        m_speech = report::Speech(base);
        update();
    }
    void SetNights(std::vector<report::NightRow> rows)
    {
        m_rows = std::move(rows);
        update();
    }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<report::NightRow> m_rows;
    report::Speech m_speech;
};

}  // namespace trelvo::app
