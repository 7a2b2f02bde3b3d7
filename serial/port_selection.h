#pragma once

#include "serial/comm_error.h"
#include "serial/port_map.h"
#include "serial/serial_line.h"

#include <cstdint>
#include <optional>
#include <string>

namespace trelvo::serial {

// The Port menu as port selection sees it: items 1 to 8, one per COM number.
class PortMenu {
public:
    virtual ~PortMenu() = default;

    virtual void SetPortEnabled(int n, bool enabled) = 0;
    [[nodiscard]] virtual bool PortEnabled(int n) const = 0;
    virtual void SetPortChecked(int n, bool checked) = 0;
    // Why a port is or is not usable: its device, and the reason it failed.
    virtual void SetPortUnusable(int n, const CommError& why) = 0;
    virtual void SetPortUsable(int n, const std::string& device) = 0;

protected:
    PortMenu() = default;
    PortMenu(const PortMenu&) = default;
    PortMenu& operator=(const PortMenu&) = default;
};

// Decides which port the program listens on: probes COM1..COM8 at start-up, disables the ones
// that do not open, opens the remembered port or else the first usable one, and switches ports
// when the user picks one. PortNumber changes only after a successful open.
class PortSelection final {
public:
    PortSelection(SerialLine& line, PortMenu& menu, std::uint8_t& portNumber, PortOverrides overrides = {})
        : m_line(line), m_menu(menu), m_portNumber(portNumber), m_overrides(std::move(overrides))
    {
    }

    // Start-up. A failure of the final open (no usable port, or the port vanished since the
    // probe) is returned, not thrown: start-up goes on and the no-data warning tells the rest.
    std::optional<CommError> InitSerialPort();

    // Opens and closes every port in turn; disables each that fails. Returns the lowest port
    // that opened, 0 for none. Leaves no port open.
    std::uint8_t FindFirstPort();

    void UncheckAllPorts();

    // Closes the open port, then opens port n. Throws CommError; what was done before the failing
    // step stays done (old port closed, no item checked).
    void OpenPort(std::uint8_t n);

    // The device a COM number stands for here.
    [[nodiscard]] std::string DevicePath(int n) const { return serial::DevicePath(n, m_overrides); }

private:
    SerialLine& m_line;
    PortMenu& m_menu;
    std::uint8_t& m_portNumber;
    PortOverrides m_overrides;
};

}  // namespace trelvo::serial
