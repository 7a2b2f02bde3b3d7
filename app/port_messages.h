#pragma once

#include "serial/comm_error.h"

#include <QString>

#include <cstdint>

namespace trelvo::app {

// Why a port cannot be used, in the interface's language (German for base 0, else English).
[[nodiscard]] QString PortFailureReason(std::int16_t languageBase, const serial::CommError& error);

// The message shown when a port picked from the Port menu does not open.
[[nodiscard]] QString PortOpenFailedMessage(std::int16_t languageBase, int portNumber, const serial::CommError& error);

// The tooltip of a Port menu item whose port did not open in the start-up probe.
[[nodiscard]] QString UnusablePortToolTip(std::int16_t languageBase, const serial::CommError& error);

}  // namespace trelvo::app
