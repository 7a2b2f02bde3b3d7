#include "app/widgets/fonts.h"
#include "app/widgets/value_label.h"

#include <QTest>

#include <gtest/gtest.h>

namespace trelvo::app {
namespace {

// A look seen before is painted from its picture, and the picture has the pixels of the plain
// paint: digits, frame and background, in every colour the field takes.
TEST(ValueLabel, ALookSeenBeforeIsPaintedFromItsPictureWithTheSamePixels)
{
    QWidget window;
    window.resize(300, 200);
    auto* field = new ValueLabel(&window);
    field->setGeometry(24, 40, 160, 136);
    field->setFrameStyle(QFrame::Box | QFrame::Plain);
    field->setAlignment(Qt::AlignCenter);
    field->setFont(Arial(90, true));
    field->setAutoFillBackground(true);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    for (const QColor back : {QColor(Qt::white), QColor(255, 192, 192)}) {
        QPalette palette = field->palette();
        palette.setColor(QPalette::Window, back);
        palette.setColor(QPalette::WindowText, QColor(0, 120, 215));
        field->setPalette(palette);
        for (const char* text : {"97", "100", "", "--"}) {
            field->setText(QString::fromLatin1(text));
            const std::size_t before = field->LooksKept();
            const QImage plain = window.grab().toImage();
            QTest::qWait(20);  // the picture is taken after the paint
            ASSERT_EQ(field->LooksKept(), before + 1) << text;
            const QImage copied = window.grab().toImage();
            EXPECT_EQ(copied, plain) << "\"" << text << "\" on " << back.name().toStdString();
            EXPECT_EQ(field->LooksKept(), before + 1) << "no second picture of the same look";
        }
    }
}

TEST(ValueLabel, KeepsOnlyTheLastLooks)
{
    QWidget window;
    auto* field = new ValueLabel(&window);
    field->setGeometry(0, 0, 60, 40);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    for (int value = 0; value < 40; ++value) {
        field->setText(QString::number(value));
        (void)window.grab();
        QTest::qWait(5);
    }
    EXPECT_EQ(field->LooksKept(), ValueLabel::kLooksKept);
}

}  // namespace
}  // namespace trelvo::app
