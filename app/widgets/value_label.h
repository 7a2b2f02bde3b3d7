#pragma once

#include <QImage>
#include <QLabel>

#include <functional>
#include <list>

namespace trelvo::app {

// The two large value fields. Their digits are 90 points tall, too large for Qt's glyph cache, so
// a plain label draws every digit as a path each time it is painted; the unit's values come and go
// among a few numbers all night. This label keeps pictures of its last few looks (text, colours,
// size) and paints a look it has seen before by copying its picture: the same pixels, for a
// fraction of the work. A new look is painted the plain way, and its picture taken afterwards,
// outside the paint.
class ValueLabel final : public QLabel {
    Q_OBJECT

public:
    explicit ValueLabel(QWidget* parent = nullptr) : QLabel(parent) {}

    static constexpr std::size_t kLooksKept = 24;

    // What a screen reader is told the field shows, made from its text when asked.
    void SetSpeech(std::function<QString(const QString& text)> speech) { m_speech = std::move(speech); }
    [[nodiscard]] QString Spoken() const { return m_speech ? m_speech(text()) : QString(); }

    // How many looks have a picture (tests look at it).
    [[nodiscard]] std::size_t LooksKept() const noexcept { return m_looks.size(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Look {
        QString text;
        QRgb background = 0;
        QRgb foreground = 0;
        QSize size;
        QImage picture;

        [[nodiscard]] bool SameAs(const Look& other) const
        {
            return text == other.text && background == other.background && foreground == other.foreground &&
                   size == other.size;
        }
    };
    [[nodiscard]] Look Current() const;
    void TakePicture();

    std::function<QString(const QString&)> m_speech;
    std::list<Look> m_looks;  // the most recently used first
    bool m_plain = false;     // painting the plain way, for a picture
    bool m_pictureAsked = false;
};

}  // namespace trelvo::app
