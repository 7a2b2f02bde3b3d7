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
// when the user picks one. It says which port it opened; the caller remembers it (PortNumber
// changes only after a successful open).
class PortSelection final {
public:
    PortSelection(SerialLine& line, PortMenu& menu, PortOverrides overrides = {})
        : m_line(line),
          m_menu(menu),
          m_overrides(std::move(overrides))
    {
    }

    // Start-up: the port opened, or 0 and the failure of the final open (no usable port, or the
    // port vanished since the probe), returned, not thrown: start-up goes on and the no-data
    // warning tells the rest.
    struct StartUp {
        std::uint8_t port = 0;
        std::optional<CommError> failure;
    };
    [[nodiscard]] StartUp InitSerialPort(std::uint8_t remembered);

    // Opens and closes every port in turn; disables each that fails. Returns the lowest port
    // that opened, 0 for none. Leaves no port open.
    std::uint8_t FindFirstPort();

    void UncheckAllPorts();

    // Closes the open port, then opens port n and returns it. Throws CommError; what was done
    // before the failing step stays done (old port closed, no item checked).
    std::uint8_t OpenPort(std::uint8_t n);

    // The device a COM number stands for here.
    [[nodiscard]] std::string DevicePath(int n) const { return serial::DevicePath(n, m_overrides); }

private:
    SerialLine& m_line;
    PortMenu& m_menu;
    PortOverrides m_overrides;
};

}  // namespace trelvo::serial
