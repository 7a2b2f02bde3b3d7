#include "serial/port_selection.h"

namespace trelvo::serial {

std::optional<CommError> SerialInterface::InitSerialPort()
{
    for (int n = kFirstPort; n <= kLastPort; ++n)
        m_menu.SetPortEnabled(n, true);
    const std::uint8_t first = FindFirstPort();

    // The remembered port wins whenever it opened in the probe. A number outside the menu
    // counts as a remembered port that did not.
    const std::uint8_t remembered = m_portNumber;
    const bool rememberedUsable = IsPortNumber(remembered) && m_menu.PortEnabled(remembered);
    try {
        OpenPort(rememberedUsable ? remembered : first);
    } catch (const CommError& e) {
        return e;
    }
    return std::nullopt;
}

std::uint8_t SerialInterface::FindFirstPort()
{
    std::uint8_t found = 0;
    for (int n = kFirstPort; n <= kLastPort; ++n) {
        m_comm.SetCommPort(n);
        try {
            m_comm.SetPortOpen(true);
        } catch (const CommError& e) {
            m_menu.SetPortEnabled(n, false);
            m_menu.SetPortUnusable(n, e);
        }
        if (m_comm.PortOpen()) {
            m_menu.SetPortUsable(n, m_comm.DevicePath());
            if (found == 0)
                found = static_cast<std::uint8_t>(n);
        }
        m_comm.SetPortOpen(false);
    }
    return found;
}

void SerialInterface::UncheckAllPorts()
{
    for (int n = kFirstPort; n <= kLastPort; ++n)
        m_menu.SetPortChecked(n, false);
}

void SerialInterface::OpenPort(std::uint8_t n)
{
    if (m_comm.PortOpen())
        m_comm.SetPortOpen(false);
    UncheckAllPorts();
    m_comm.SetCommPort(n);
    m_comm.SetSettings(kOximeterLineSettings);
    m_comm.SetInputMode(static_cast<int>(InputMode::Binary));
    m_comm.SetRThreshold(1);
    m_comm.SetSThreshold(1);
    m_comm.SetPortOpen(true);
    m_menu.SetPortChecked(n, true);
    m_portNumber = n;
}

}  // namespace trelvo::serial
