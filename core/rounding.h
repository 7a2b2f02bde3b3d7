#pragma once

#include <cmath>

namespace trelvo::core {

// Nearest whole number, a tie going to the even one (2.5 → 2, 3.5 → 4), whatever the floating
// point rounding mode of the moment.
[[nodiscard]] inline double RoundHalfToEven(double x) noexcept
{
    const double lower = std::floor(x);
    const double fraction = x - lower;
    if (fraction < 0.5)
        return lower;
    if (fraction > 0.5)
        return lower + 1.0;
    return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

}  // namespace trelvo::core
