#pragma once

#include <stdexcept>
#include <string>

namespace trelvo::serial {

enum class CommFailure {
    InvalidPortNumber,  // not one of COM1..COM8
    NoSuchDevice,
    Busy,  // another program has the device open
    PermissionDenied,
    NotASerialPort,  // the path exists but is no terminal device
    Other,
};

// A failure of the serial line, with a reason a user can act on. The reason is English, for the
// log; the window words it in the user's language from the failure kind.
class CommError final : public std::runtime_error {
public:
    CommError(CommFailure failure, std::string reason, std::string device = {}, std::string detail = {})
        : std::runtime_error(reason),
          m_failure(failure),
          m_device(std::move(device)),
          m_detail(std::move(detail))
    {
    }

    [[nodiscard]] CommFailure failure() const noexcept { return m_failure; }
    // The device path involved, empty where the failure has none.
    [[nodiscard]] const std::string& device() const noexcept { return m_device; }
    [[nodiscard]] std::string reason() const { return what(); }
    // PermissionDenied: the group that owns the device, if known. Other: the system's own text.
    [[nodiscard]] const std::string& detail() const noexcept { return m_detail; }

private:
    CommFailure m_failure;
    std::string m_device;
    std::string m_detail;
};

}  // namespace trelvo::serial
