#include "lang/string_table.h"

#include <algorithm>
#include <array>
#include <string>

namespace trelvo::lang {
namespace {

// German at the offset, English at 1000 + offset. The two misspellings (26, 28) are the
// program's own texts and stay as they are.
constexpr std::array kTable{
    TableEntry{2, "Datei"},
    TableEntry{3, "Speichern"},
    TableEntry{4, "Ende"},
    TableEntry{5, "Ton"},
    TableEntry{6, "Pulston"},
    TableEntry{11, "Puls[1/min]"},
    TableEntry{12, "Zeit"},
    TableEntry{20, "Daten werden NICHT abgespeichert!"},
    TableEntry{21, "Daten speichern"},
    TableEntry{22, "Daten werden gespeichert:"},
    TableEntry{23, "Kein Sensor!"},
    TableEntry{24, "Keine ser. Daten!"},
    TableEntry{25, "Kein Signal!"},
    TableEntry{26, "Daten vom Gerät werden emfangen, aber kein Sensor am Gerät."},
    TableEntry{27, "Daten vom Gerät werden empfangen, aber kein Finger im Sensor."},
    TableEntry{28, "Messwerte werden empfangen und anzeigt."},
    TableEntry{29,
               "Datenübertragung vom Gerät gestört. Gerät verbinden und einschalten. "
               "COM Portnummer korrekt einstellen."},
    TableEntry{30, "PCs sind nicht geeignet zum Patientenmonitoring!"},
    TableEntry{31, "Sprache"},

    TableEntry{1002, "File"},
    TableEntry{1003, "Save"},
    TableEntry{1004, "End"},
    TableEntry{1005, "Tone"},
    TableEntry{1006, "Pulse Tone"},
    TableEntry{1011, "Pulse[1/min]"},
    TableEntry{1012, "Time"},
    TableEntry{1020, "Data is NOT written to file!"},
    TableEntry{1021, "Save Data"},
    TableEntry{1022, "Data written to:"},
    TableEntry{1023, "No Probe!"},
    TableEntry{1024, "No Serial Data!"},
    TableEntry{1025, "No Signal!"},
    TableEntry{1026, "Data received from unit, but no probe connected to the unit."},
    TableEntry{1027, "Data received from unit, but no finger in the probe."},
    TableEntry{1028, "Data from the unit is received and displayed."},
    TableEntry{1029,
               "No data transmission. Connect the unit and turn unit power on. "
               "Select correct COM port number."},
    TableEntry{1030, "PCs are not suitable for Patient Monitoring!"},
    TableEntry{1031, "Language"},
};

static_assert(std::is_sorted(kTable.begin(), kTable.end(),
                             [](const TableEntry& a, const TableEntry& b) { return a.id < b.id; }));

}  // namespace

MissingText::MissingText(int id)
    : std::out_of_range("the string table has no text with id " + std::to_string(id)), m_id(id)
{
}

std::span<const TableEntry> AllTexts() noexcept { return kTable; }

std::optional<std::string_view> FindText(int id) noexcept
{
    const auto it = std::lower_bound(kTable.begin(), kTable.end(), id,
                                     [](const TableEntry& e, int wanted) { return e.id < wanted; });
    if (it == kTable.end() || it->id != id)
        return std::nullopt;
    return it->utf8;
}

std::string_view Text(int id)
{
    if (const auto found = FindText(id))
        return *found;
    throw MissingText(id);
}

std::string RecordingStatus(std::int32_t languageBase, bool recording, std::string_view recordFileName)
{
    if (!recording)
        return std::string(Text(static_cast<int>(languageBase) + text::kNotRecording));
    std::string status(Text(static_cast<int>(languageBase) + text::kRecordingTo));
    status += recordFileName;
    return status;
}

}  // namespace trelvo::lang
