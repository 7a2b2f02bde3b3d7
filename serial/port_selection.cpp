#include "serial/port_selection.h"

namespace trelvo::serial {

PortSelection::StartUp PortSelection::InitSerialPort(std::uint8_t remembered)
{
    for (int n = kFirstPort; n <= kLastPort; ++n)
        m_menu.SetPortEnabled(n, true);
    const std::uint8_t first = FindFirstPort();

    // The remembered port wins whenever it opened in the probe. A number outside the menu
    // counts as a remembered port that did not.
    const bool rememberedUsable = IsPortNumber(remembered) && m_menu.PortEnabled(remembered);
    try {
        return {OpenPort(rememberedUsable ? remembered : first), std::nullopt};
    } catch (const CommError& e) {
        return {0, e};
    }
}

std::uint8_t PortSelection::FindFirstPort()
{
    std::uint8_t found = 0;
    for (int n = kFirstPort; n <= kLastPort; ++n) {
        const std::string device = DevicePath(n);
        try {
            m_line.Open(device);
            m_menu.SetPortUsable(n, device);
            if (found == 0)
                found = static_cast<std::uint8_t>(n);
        } catch (const CommError& e) {
            m_menu.SetPortEnabled(n, false);
            m_menu.SetPortUnusable(n, e);
        }
        m_line.Close();
    }
    return found;
}

void PortSelection::UncheckAllPorts()
{
    for (int n = kFirstPort; n <= kLastPort; ++n)
        m_menu.SetPortChecked(n, false);
}

std::uint8_t PortSelection::OpenPort(std::uint8_t n)
{
    m_line.Close();
    UncheckAllPorts();
    if (!IsPortNumber(n))
        throw CommError(CommFailure::InvalidPortNumber,
                        "COM" + std::to_string(n) + " is no valid port number (COM1 to COM8)");
    m_line.Open(DevicePath(n));
    m_menu.SetPortChecked(n, true);
    return n;
}

}  // namespace trelvo::serial
