#pragma once

#include "serial/comm_error.h"
#include "serial/line_settings.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace trelvo::serial {

// A serial device opened to read the unit: read only, raw, non-blocking, not our controlling
// terminal, and held exclusively (TIOCEXCL, and flock, which also stops root), so that a second
// program that tries gets "busy". Plain POSIX; the owner watches Descriptor() for readability.
class TtyDevice final {
public:
    // Opens and configures the device; throws CommError with the kind of failure and a reason.
    [[nodiscard]] static TtyDevice Open(const std::string& path, const LineSettings& settings);

    TtyDevice(TtyDevice&& other) noexcept;
    TtyDevice& operator=(TtyDevice&& other) noexcept;
    TtyDevice(const TtyDevice&) = delete;
    TtyDevice& operator=(const TtyDevice&) = delete;
    ~TtyDevice();

    [[nodiscard]] int Descriptor() const noexcept { return m_fd; }

    enum class ReadState { Open, Gone };
    // Appends what is waiting, up to limit bytes in the buffer. Gone when the device has gone away
    // (unplugged, switched off, the far end of a pseudo-terminal closed).
    [[nodiscard]] ReadState ReadWaiting(std::vector<std::uint8_t>& buffer, std::size_t limit);

private:
    explicit TtyDevice(int fd) noexcept : m_fd(fd) {}
    void Close() noexcept;

    int m_fd = -1;
};

}  // namespace trelvo::serial
