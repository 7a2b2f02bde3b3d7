#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace trelvo::tools {

// A pseudo-terminal that plays the oximeter's end of a serial line: bytes written here arrive at
// whoever opens SlavePath() (or the optional link to it). The master side is non-blocking; bytes
// that find the line full are dropped, as on a real line nobody reads.
class PseudoTerminal final {
public:
    // Throws std::system_error when no pseudo-terminal can be had. With a link path, a symbolic
    // link to the slave is made there (replacing an old link) and removed again on Close().
    explicit PseudoTerminal(std::string linkPath = {});
    ~PseudoTerminal();

    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    [[nodiscard]] const std::string& SlavePath() const noexcept { return m_slavePath; }
    [[nodiscard]] const std::string& LinkPath() const noexcept { return m_linkPath; }
    [[nodiscard]] bool IsOpen() const noexcept { return m_master >= 0; }

    // Writes what fits; returns the number of bytes the line took.
    std::size_t Write(std::span<const std::uint8_t> bytes);

    // Closes the oximeter's end (the reader sees a hang-up, like a pulled cable) and removes the
    // link.
    void Close();

private:
    int m_master = -1;
    int m_slaveKeeper = -1;
    std::string m_slavePath;
    std::string m_linkPath;
};

}  // namespace trelvo::tools
