#include "lang/string_table.h"

#include <gtest/gtest.h>

#include <map>

namespace trelvo::lang {
namespace {

// Letter for letter, misspellings included: these are the program's texts.
const std::map<int, std::string_view> kExpected{
    {2, "Datei"},
    {3, "Speichern"},
    {4, "Ende"},
    {5, "Ton"},
    {6, "Pulston"},
    {11, "Puls[1/min]"},
    {12, "Zeit"},
    {20, "Daten werden NICHT abgespeichert!"},
    {21, "Daten speichern"},
    {22, "Daten werden gespeichert:"},
    {23, "Kein Sensor!"},
    {24, "Keine ser. Daten!"},
    {25, "Kein Signal!"},
    {26, "Daten vom Gerät werden emfangen, aber kein Sensor am Gerät."},
    {27, "Daten vom Gerät werden empfangen, aber kein Finger im Sensor."},
    {28, "Messwerte werden empfangen und anzeigt."},
    {29, "Datenübertragung vom Gerät gestört. Gerät verbinden und einschalten. COM Portnummer korrekt einstellen."},
    {30, "PCs sind nicht geeignet zum Patientenmonitoring!"},
    {31, "Sprache"},
    {1002, "File"},
    {1003, "Save"},
    {1004, "End"},
    {1005, "Tone"},
    {1006, "Pulse Tone"},
    {1011, "Pulse[1/min]"},
    {1012, "Time"},
    {1020, "Data is NOT written to file!"},
    {1021, "Save Data"},
    {1022, "Data written to:"},
    {1023, "No Probe!"},
    {1024, "No Serial Data!"},
    {1025, "No Signal!"},
    {1026, "Data received from unit, but no probe connected to the unit."},
    {1027, "Data received from unit, but no finger in the probe."},
    {1028, "Data from the unit is received and displayed."},
    {1029, "No data transmission. Connect the unit and turn unit power on. Select correct COM port number."},
    {1030, "PCs are not suitable for Patient Monitoring!"},
    {1031, "Language"},
};

TEST(StringTable, HoldsExactlyTheProgramsTexts)
{
    for (const auto& [id, text] : kExpected) {
        ASSERT_TRUE(FindText(id).has_value()) << "id " << id;
        EXPECT_EQ(*FindText(id), text) << "id " << id;
        EXPECT_EQ(Text(id), text);
    }
    // Beyond them only the nights window's, each in every language.
    std::size_t nights = 0;
    for (const TableEntry& e : AllTexts())
        if (e.id % 1000 >= text::kMenuNights) {
            ++nights;
            for (const Language& l : Languages())
                EXPECT_TRUE(FindText(l.base + e.id % 1000)) << "id " << e.id;
        }
    EXPECT_EQ(AllTexts().size(), kExpected.size() + nights) << "no texts beyond these";
}

TEST(StringTable, GapsAndOutsideIdsAreMissingAndSaySo)
{
    for (int id = -1; id <= 1040; ++id) {
        if (kExpected.contains(id) || (id % 1000 >= text::kMenuNights && FindText(id)))
            continue;
        EXPECT_FALSE(FindText(id).has_value()) << "id " << id;
        try {
            (void)Text(id);
            ADD_FAILURE() << "id " << id << " gave a text";
        } catch (const MissingText& e) {
            EXPECT_EQ(e.id(), id);
            EXPECT_NE(std::string(e.what()).find(std::to_string(id)), std::string::npos);
        }
    }
}

TEST(StringTable, TextsAreFetchedByLanguageBasePlusOffset)
{
    EXPECT_EQ(Text(kEnglish, text::kNoSerialData), "No Serial Data!");
    EXPECT_EQ(Text(kGerman, text::kNoSerialData), "Keine ser. Daten!");
    EXPECT_EQ(Text(kEnglish, text::kRecordingTo).back(), ':') << "the path follows directly";
}

}  // namespace
}  // namespace trelvo::lang
