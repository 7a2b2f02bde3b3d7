#include "recording/time_text.h"

#include <gtest/gtest.h>

namespace trelvo::recording {
namespace {

TEST(TimeText, HoursMinutesAndSecondsWithoutTimeZoneInEveryLocale)
{
    const QTime time(14, 3, 25);
    const std::pair<const char*, const char*> cases[] = {
        {"de_DE", "14:03:25"},   {"en_GB", "14:03:25"},
        {"en_US", "2:03:25 PM"},  // 12-hour: the seconds are not the last characters
        {"zh_CN", "14:03:25"},    // the zone came first there
        {"C", "14:03:25"},
    };
    for (const auto& [locale, expected] : cases)
        EXPECT_EQ(TimeText(time, QLocale(QString::fromLatin1(locale))), QString::fromLatin1(expected)) << locale;
}

TEST(TimeText, QuotedTextStaysAndNoZoneOrEmptyBracketsAreLeft)
{
    for (const char* name : {"fr_CA", "fa_IR", "ja_JP", "ko_KR", "hu_HU", "ar_EG"}) {
        const QLocale locale{QString::fromLatin1(name)};
        const QString format = TimeOfDayFormat(locale);
        EXPECT_FALSE(format.contains(QStringLiteral("()"))) << name << ": " << format.toStdString();
        EXPECT_FALSE(format.endsWith(u' ')) << name;
        EXPECT_FALSE(TimeText(QTime(14, 3, 25), locale).contains(QStringLiteral("UTC"))) << name;
    }
    EXPECT_EQ(TimeText(QTime(14, 3, 25), QLocale(QStringLiteral("fr_CA"))), "14 h 03 min 25 s");
}

}  // namespace
}  // namespace trelvo::recording
