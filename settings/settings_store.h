#pragma once

#include "serial/port_map.h"

#include <QString>

#include <cstdint>

namespace trelvo::settings {

// What the program remembers from one run to the next.
struct StoredOptions {
    std::int16_t LanguageBase = 1000;
    std::uint8_t PortNumber = 1;

    friend bool operator==(const StoredOptions&, const StoredOptions&) = default;
};

// The per-user store (~/.config/Trelvo/Trelvo.conf on Linux, XDG_CONFIG_HOME respected).
// A missing value, a text that is no number, a language the program does not speak, or a
// port outside COM1..COM8 reads as the default: start-up always completes.
[[nodiscard]] StoredOptions LoadOptions();
// False when the store could not be written.
[[nodiscard]] bool SaveOptions(const StoredOptions& options);

// The Nights section: the folder the nights window shows, the folder of the last recording or the
// one chosen there last. Empty when none was kept.
[[nodiscard]] QString LoadNightsFolder();
bool SaveNightsFolder(const QString& folder);

// The Bericht section: the person the report for the doctor names, both optional.
struct ReportPerson {
    QString name, born;
};
[[nodiscard]] ReportPerson LoadReportPerson();
bool SaveReportPerson(const ReportPerson& person);

// The Ports section: device paths that replace the default COM port map. Read only; keys COM1
// to COM8, anything else is ignored.
[[nodiscard]] serial::PortOverrides LoadPortOverrides();

}  // namespace trelvo::settings
