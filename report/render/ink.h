#pragma once

#include <QColor>

namespace trelvo::report {

// The colours a chart is drawn in. On paper (PDF, pictures) the report's own, on white. On a
// screen the chart takes its background and text from the desktop's palette, its fills are mixed
// from them, and each colour of its own keeps its hue and is moved to where it reads against that
// background: 3:1 for lines and bars, 4.5:1 for text. A dark palette gives a dark chart.
struct Ink {
    QColor paper{255, 255, 255};
    QColor text{0, 0, 0};
    QColor grid{235, 235, 235};    // the value lines across a panel
    QColor stripe{242, 242, 242};  // every other row of a table
    QColor gap{225, 225, 225};     // time without readings
    QColor event{255, 192, 192};   // a desaturation behind the line
    QColor rise{200, 235, 200};    // a pulse rise behind the line
    QColor rule{160, 160, 160};    // the axis of the bands
    QColor spo2{20, 80, 170};
    QColor pulse{0, 150, 0};
    QColor warning{200, 0, 0};  // the 90 % line, low values, the beats
    QColor t90{200, 60, 60};
    QColor bandMid{90, 140, 210};

    // The bar of SpO2 band b (0: the highest).
    [[nodiscard]] QColor Band(int b) const;

    [[nodiscard]] static Ink ForPaper() { return {}; }
    [[nodiscard]] static Ink ForScreen(const QColor& background, const QColor& text);

private:
    QColor m_bandLow[8];  // bands 2.. on a screen; on paper, computed
    bool m_screen = false;
};

}  // namespace trelvo::report
