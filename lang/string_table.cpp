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
    TableEntry{40, "Nächte"},
    TableEntry{41, "Nächte ansehen …"},
    TableEntry{42, "Nächte"},
    TableEntry{43, "Ordner:"},
    TableEntry{44, "Anderer Ordner …"},
    TableEntry{45, "Ordner öffnen"},
    TableEntry{46, "Abbrechen"},
    TableEntry{47, "Nacht vom"},
    TableEntry{48, "Beginn"},
    TableEntry{49, "Ende"},
    TableEntry{50, "Aufzeichnung"},
    TableEntry{51, "Ausgewertet"},
    TableEntry{52, "SpO2\nMittel [%]"},
    TableEntry{53, "SpO2\ntiefster [%]"},
    TableEntry{54, "T90\n[min]"},
    TableEntry{55, "T88\n[min]"},
    TableEntry{56, "ODI3\n[/h]"},
    TableEntry{57, "ODI4\n[/h]"},
    TableEntry{58, "Puls\nMittel [1/min]"},
    TableEntry{59, "Auflösung"},
    TableEntry{60, "Dateien, die nicht gelesen werden können:"},
    TableEntry{61, "Nacht"},
    TableEntry{62, "Verlauf"},
    TableEntry{63, "PDF …"},
    TableEntry{64, "EDF+ …"},
    TableEntry{65, "OSCAR …"},
    TableEntry{66, "CSV …"},
    TableEntry{67, "Ordner wird gelesen: %p %"},
    TableEntry{68, "Lesen abgebrochen."},
    TableEntry{69, "%1 Nächte in %2"},
    TableEntry{70,
               "Mausrad: zoomen · Ziehen: Ausschnitt wählen · Doppelklick: ganze Nacht · Bildlaufleiste: verschieben"},
    TableEntry{71, "Nicht geschrieben: %1"},
    TableEntry{72, "Geschrieben: %1"},
    TableEntry{73, "mit Pulswelle"},
    TableEntry{74, "Keine Nacht gewählt."},
    TableEntry{75, "wird aufgezeichnet"},
    TableEntry{76, "Ordner der Nächte wählen"},
    TableEntry{77, "Die Nacht kann nicht gelesen werden: %1"},
    TableEntry{78, "Pulswelle bei einem Ausschnitt von einer Minute oder weniger"},
    TableEntry{79, "Bericht für den Arzt …"},
    TableEntry{80, "Bericht für den Arzt"},
    TableEntry{81, "Nächte vom"},
    TableEntry{82, "bis"},
    TableEntry{83, "Nur die gewählten Nächte"},
    TableEntry{84, "Name (freiwillig)"},
    TableEntry{85, "Geboren (freiwillig)"},
    TableEntry{86, "In diesem Zeitraum liegt keine Nacht."},
    TableEntry{87, "Bericht wird geschrieben: %p %"},

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
    TableEntry{1040, "Nights"},
    TableEntry{1041, "View Nights …"},
    TableEntry{1042, "Nights"},
    TableEntry{1043, "Folder:"},
    TableEntry{1044, "Choose Folder …"},
    TableEntry{1045, "Open Folder"},
    TableEntry{1046, "Cancel"},
    TableEntry{1047, "Night of"},
    TableEntry{1048, "Start"},
    TableEntry{1049, "End"},
    TableEntry{1050, "Recorded"},
    TableEntry{1051, "Analysed"},
    TableEntry{1052, "SpO2\nmean [%]"},
    TableEntry{1053, "SpO2\nlowest [%]"},
    TableEntry{1054, "T90\n[min]"},
    TableEntry{1055, "T88\n[min]"},
    TableEntry{1056, "ODI3\n[/h]"},
    TableEntry{1057, "ODI4\n[/h]"},
    TableEntry{1058, "Pulse\nmean [1/min]"},
    TableEntry{1059, "Resolution"},
    TableEntry{1060, "Files that cannot be read:"},
    TableEntry{1061, "Night"},
    TableEntry{1062, "Trend"},
    TableEntry{1063, "PDF …"},
    TableEntry{1064, "EDF+ …"},
    TableEntry{1065, "OSCAR …"},
    TableEntry{1066, "CSV …"},
    TableEntry{1067, "Reading the folder: %p %"},
    TableEntry{1068, "Reading cancelled."},
    TableEntry{1069, "%1 nights in %2"},
    TableEntry{1070, "Wheel: zoom · drag: choose a stretch · double-click: the whole night · scroll bar: move"},
    TableEntry{1071, "Not written: %1"},
    TableEntry{1072, "Written: %1"},
    TableEntry{1073, "with pulse wave"},
    TableEntry{1074, "No night chosen."},
    TableEntry{1075, "being recorded"},
    TableEntry{1076, "Choose the folder of the nights"},
    TableEntry{1077, "The night cannot be read: %1"},
    TableEntry{1078, "pulse wave at a stretch of a minute or less"},
    TableEntry{1079, "Report for the Doctor …"},
    TableEntry{1080, "Report for the doctor"},
    TableEntry{1081, "Nights from"},
    TableEntry{1082, "to"},
    TableEntry{1083, "Only the nights selected"},
    TableEntry{1084, "Name (optional)"},
    TableEntry{1085, "Date of birth (optional)"},
    TableEntry{1086, "No night lies in this range."},
    TableEntry{1087, "Writing the report: %p %"},
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
