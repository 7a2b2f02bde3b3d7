#include "settings/settings_store.h"
#include "settings/stored_text.h"
#include "support/settings_fixture.h"

#include <gtest/gtest.h>

namespace trelvo::settings {
namespace {

using test::GetSetting;
using test::PutSetting;

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override { test::ClearStore(); }
    void TearDown() override { test::ClearStore(); }
};

TEST_F(SettingsStoreTest, AnEmptyStoreGivesEnglishOnPortOne)
{
    EXPECT_EQ(LoadOptions(), (StoredOptions{1000, 1}));
}

TEST_F(SettingsStoreTest, WhatIsSavedReadsBackAsDecimalText)
{
    for (const StoredOptions written : {StoredOptions{0, 5}, StoredOptions{1000, 8}, StoredOptions{0, 1}}) {
        ASSERT_TRUE(SaveOptions(written));
        EXPECT_EQ(LoadOptions(), written);
    }
    EXPECT_EQ(GetSetting(QStringLiteral("Optionen/Sprache")), "0");
    EXPECT_EQ(GetSetting(QStringLiteral("Optionen/Port")), "1");
}

// The nights window's folder and the report's person have sections of their own: empty until
// saved, and saving them leaves the options as they were.
TEST_F(SettingsStoreTest, TheNightsFolderAndTheReportsPersonAreKeptApart)
{
    EXPECT_TRUE(LoadNightsFolder().isEmpty());
    EXPECT_TRUE(LoadReportPerson().name.isEmpty() && LoadReportPerson().born.isEmpty()) << "never required";
    ASSERT_TRUE(SaveOptions({0, 3}));
    ASSERT_TRUE(SaveNightsFolder(QStringLiteral("/home/erika/Nächte")));
    ASSERT_TRUE(SaveReportPerson({QStringLiteral("Erika Muster"), QString()}));
    EXPECT_EQ(LoadNightsFolder(), QStringLiteral("/home/erika/Nächte"));
    EXPECT_EQ(LoadReportPerson().name, QStringLiteral("Erika Muster"));
    EXPECT_TRUE(LoadReportPerson().born.isEmpty());
    EXPECT_EQ(GetSetting(QStringLiteral("Bericht/Name")), QStringLiteral("Erika Muster"));
    EXPECT_EQ(LoadOptions(), (StoredOptions{0, 3}));
}

TEST_F(SettingsStoreTest, HandEditedValuesThatMakeNoSenseFallBackToTheDefaults)
{
    const std::pair<QVariant, QVariant> cases[] = {
        {QStringLiteral("deutsch"), QStringLiteral("COM3")},
        {QStringLiteral("500"), QStringLiteral("0")},
        {QStringLiteral("99999"), QStringLiteral("9")},
        {QStringLiteral("1000.0"), QStringLiteral("256")},
        {QStringLiteral(""), QStringLiteral("-1")},
        {QStringList{QStringLiteral("0"), QStringLiteral("1")}, QStringLiteral("3x")},
    };
    for (const auto& [language, port] : cases) {
        PutSetting(QStringLiteral("Optionen/Sprache"), language);
        PutSetting(QStringLiteral("Optionen/Port"), port);
        EXPECT_EQ(LoadOptions(), (StoredOptions{1000, 1}))
            << language.toString().toStdString() << " / " << port.toString().toStdString();
    }
}

TEST_F(SettingsStoreTest, BlanksAndSignsAroundAGoodNumberAreAccepted)
{
    PutSetting(QStringLiteral("Optionen/Sprache"), QStringLiteral(" 0 "));
    PutSetting(QStringLiteral("Optionen/Port"), QStringLiteral("+4"));
    EXPECT_EQ(LoadOptions(), (StoredOptions{0, 4}));
}

TEST_F(SettingsStoreTest, PortOverridesAreReadForCom1ToCom8Only)
{
    PutSetting(QStringLiteral("Ports/COM3"), QStringLiteral("/dev/serial/by-id/usb-unit"));
    PutSetting(QStringLiteral("Ports/COM4"), QStringLiteral("  "));
    PutSetting(QStringLiteral("Ports/COM9"), QStringLiteral("/dev/ttyS9"));
    EXPECT_EQ(LoadPortOverrides(), (serial::PortOverrides{{3, "/dev/serial/by-id/usb-unit"}}));
}

TEST(StoredText, NumbersOfTheTargetTypeOnly)
{
    EXPECT_EQ(ParseInt16("-32768"), -32768);
    EXPECT_EQ(ParseInt16("32767"), 32767);
    EXPECT_EQ(ParseInt16("32768"), std::nullopt);
    EXPECT_EQ(ParseInt16("1e3"), std::nullopt);
    EXPECT_EQ(ParseInt16("+"), std::nullopt);
    EXPECT_EQ(ParseUInt8("255"), 255);
    EXPECT_EQ(ParseUInt8("256"), std::nullopt);
    EXPECT_EQ(ParseUInt8("-0"), 0);
    EXPECT_EQ(ParseUInt8("-1"), std::nullopt);
    EXPECT_EQ(ParseUInt8("2 3"), std::nullopt);
}

}  // namespace
}  // namespace trelvo::settings
