#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QRect>
#include <QTimer>
#include <QWidget>

#include <vector>

namespace trelvo::app {

// Paces the repaints of fast-changing widgets (the trace, the level bar) to one frame in every
// kFrameMilliseconds for the whole window: all of them are repainted in the same pass, and a
// frame that is already due is requested at once, without a wake-up of its own.
class FrameClock final : public QObject {
    Q_OBJECT

public:
    static constexpr int kFrameMilliseconds = 33;

    explicit FrameClock(QObject* parent = nullptr);

    // The widget has changed within rect (its own coordinates) and wants to be shown.
    void Request(QWidget* widget, const QRect& rect);

private:
    void Frame();

    struct Pending {
        QPointer<QWidget> widget;
        QRect rect;
    };
    std::vector<Pending> m_pending;
    QElapsedTimer m_sinceFrame;
    QTimer m_timer;
};

}  // namespace trelvo::app
