#include "lang/string_table.h"

#include <algorithm>
#include <array>
#include <string>

namespace trelvo::lang {
namespace {

constexpr std::array kLanguages{
    Language{kGerman, "Deutsch", "setLangGerman"},
    Language{kEnglish, "English", "setLangEnglish"},
};

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
    TableEntry{29, "Datenübertragung vom Gerät gestört. Gerät verbinden und einschalten. "
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
    TableEntry{1029, "No data transmission. Connect the unit and turn unit power on. "
                     "Select correct COM port number."},
    TableEntry{1030, "PCs are not suitable for Patient Monitoring!"},
    TableEntry{1031, "Language"},
};

constexpr std::array kMessages{
    MessageEntry{kGerman, Message::PortNoSuchDevice, "Gerät nicht vorhanden (ist das Kabel eingesteckt?)"},
    MessageEntry{kGerman, Message::PortBusy, "belegt: ein anderes Programm benutzt die Schnittstelle"},
    MessageEntry{kGerman, Message::PortPermissionDenied,
                 "keine Berechtigung: Ihr Benutzer muss Mitglied der Gruppe %1 sein, der die Schnittstelle gehört "
                 "(meist dialout: sudo adduser $USER dialout, danach neu anmelden)"},
    MessageEntry{kGerman, Message::PortNotASerialPort, "keine serielle Schnittstelle"},
    MessageEntry{kGerman, Message::PortInvalidNumber, "keine gültige Portnummer"},
    MessageEntry{kGerman, Message::PortOpenFailed, "COM%1 (%2) lässt sich nicht öffnen: %3."},
    MessageEntry{kGerman, Message::PortUnusableTip, "%1: %2"},
    MessageEntry{kGerman, Message::RecordCannotCreate, "Die Datei %1 lässt sich nicht anlegen: %2."},
    MessageEntry{kGerman, Message::RecordCannotWrite,
                 "In die Datei %1 kann nicht mehr geschrieben werden: %2. Die Aufzeichnung ist beendet; die bisher "
                 "geschriebenen Zeilen bleiben erhalten."},
    MessageEntry{kGerman, Message::RecordCannotFinish, "Die Datei %1 ließ sich nicht sicher abschließen: %2."},
    MessageEntry{kGerman, Message::RecordInUse,
                 "In die Datei %1 schreibt gerade eine andere Aufzeichnung. Bitte eine andere Datei wählen."},

    MessageEntry{kEnglish, Message::PortNoSuchDevice, "no such device (is the cable plugged in?)"},
    MessageEntry{kEnglish, Message::PortBusy, "busy: another program is using it"},
    MessageEntry{kEnglish, Message::PortPermissionDenied,
                 "permission denied: your user must be a member of the group %1 that owns the device "
                 "(usually dialout: sudo adduser $USER dialout, then log in again)"},
    MessageEntry{kEnglish, Message::PortNotASerialPort, "not a serial port"},
    MessageEntry{kEnglish, Message::PortInvalidNumber, "no valid port number"},
    MessageEntry{kEnglish, Message::PortOpenFailed, "COM%1 (%2) cannot be opened: %3."},
    MessageEntry{kEnglish, Message::PortUnusableTip, "%1: %2"},
    MessageEntry{kEnglish, Message::RecordCannotCreate, "The record file %1 cannot be created: %2."},
    MessageEntry{kEnglish, Message::RecordCannotWrite,
                 "The record file %1 cannot be written any more: %2. Recording has stopped; the lines written so "
                 "far are kept."},
    MessageEntry{kEnglish, Message::RecordCannotFinish, "The record file %1 could not be finished safely: %2."},
    MessageEntry{kEnglish, Message::RecordInUse,
                 "Another recording is writing the record file %1. Please choose another file."},
};

constexpr bool ById(const TableEntry& a, const TableEntry& b)
{
    return a.id < b.id;
}

const Catalog* g_inUse = nullptr;

const Catalog& TheCatalog()
{
    return g_inUse ? *g_inUse : BuiltInCatalog();
}

std::optional<std::string_view> FindMessage(std::int32_t base, Message message)
{
    for (const MessageEntry& e : TheCatalog().messages)
        if (e.base == base && e.message == message)
            return e.utf8;
    return std::nullopt;
}

}  // namespace

static_assert(std::is_sorted(kTable.begin(), kTable.end(), ById));

MissingText::MissingText(int id)
    : std::out_of_range("the string table has no text with id " + std::to_string(id)),
      m_id(id)
{
}

std::span<const Language> Languages() noexcept
{
    return TheCatalog().languages;
}

bool IsLanguage(int base) noexcept
{
    return std::ranges::any_of(Languages(), [base](const Language& l) { return l.base == base; });
}

std::span<const TableEntry> AllTexts() noexcept
{
    return TheCatalog().texts;
}

std::optional<std::string_view> FindText(int id) noexcept
{
    const std::vector<TableEntry>& texts = TheCatalog().texts;
    const auto it = std::lower_bound(texts.begin(), texts.end(), TableEntry{id, {}}, ById);
    if (it == texts.end() || it->id != id)
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

std::string MessageText(std::int32_t languageBase, Message message, std::initializer_list<std::string_view> values)
{
    const std::string_view pattern =
        FindMessage(languageBase, message).value_or(FindMessage(kEnglish, message).value_or(std::string_view{}));
    std::string text;
    text.reserve(pattern.size() + 64);
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
            const auto n = static_cast<std::size_t>(pattern[i + 1] - '1');
            if (n < values.size()) {
                text += *(values.begin() + n);
                ++i;
                continue;
            }
        }
        text += c;
    }
    return text;
}

const Catalog& BuiltInCatalog()
{
    static const Catalog catalog{
        {kLanguages.begin(), kLanguages.end()}, {kTable.begin(), kTable.end()}, {kMessages.begin(), kMessages.end()}};
    return catalog;
}

UseCatalog::UseCatalog(const Catalog& catalog) : m_before(g_inUse)
{
    g_inUse = &catalog;
}

UseCatalog::~UseCatalog()
{
    g_inUse = m_before;
}

}  // namespace trelvo::lang
