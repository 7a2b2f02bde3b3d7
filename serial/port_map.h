#pragma once

#include <map>
#include <string>

namespace trelvo::serial {

inline constexpr int kFirstPort = 1;
inline constexpr int kLastPort = 8;

// Device paths that replace the defaults, by COM number (from the settings store's Ports
// section). Entries outside COM1..COM8 and empty paths are ignored.
using PortOverrides = std::map<int, std::string>;

[[nodiscard]] constexpr bool IsPortNumber(int n) noexcept
{
    return n >= kFirstPort && n <= kLastPort;
}

// The device a COM number stands for when nothing overrides it. On Linux the USB adapters come
// first, since that is how these units are connected today: COM1..4 = /dev/ttyUSB0..3,
// COM5..6 = /dev/ttyACM0..1, COM7..8 = /dev/ttyS0..1. On Windows COMn is "COMn".
// Precondition: IsPortNumber(n).
[[nodiscard]] std::string DefaultDevicePath(int n);

// The device for COM number n, override first. Precondition: IsPortNumber(n).
[[nodiscard]] std::string DevicePath(int n, const PortOverrides& overrides);

}  // namespace trelvo::serial
