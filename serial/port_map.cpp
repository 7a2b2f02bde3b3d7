#include "serial/port_map.h"

#include <cassert>

namespace trelvo::serial {

std::string DefaultDevicePath(int n)
{
    assert(IsPortNumber(n));
    if (n <= 4)
        return "/dev/ttyUSB" + std::to_string(n - 1);
    if (n <= 6)
        return "/dev/ttyACM" + std::to_string(n - 5);
    return "/dev/ttyS" + std::to_string(n - 7);
}

std::string DevicePath(int n, const PortOverrides& overrides)
{
    if (const auto it = overrides.find(n); it != overrides.end() && !it->second.empty())
        return it->second;
    return DefaultDevicePath(n);
}

}  // namespace trelvo::serial
