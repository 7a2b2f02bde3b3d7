#pragma once

#include <string>
#include <string_view>

namespace trelvo::serial {

enum class Parity { None, Even, Odd, Mark, Space };
enum class StopBits { One, OneAndHalf, Two };

// Baud, parity, data bits and stop bits, as in "9600,n,8,1".
struct LineSettings {
    int baudRate = 9600;
    Parity parity = Parity::None;
    int dataBits = 8;
    StopBits stopBits = StopBits::One;

    friend bool operator==(const LineSettings&, const LineSettings&) = default;
};

inline constexpr std::string_view kOximeterLineSettings = "9600,n,8,1";

// Parses "baud,parity,data bits,stop bits"; throws CommError (InvalidSettings) naming what is
// wrong. Parity is one of n, e, o, m, s (either case), data bits 5..8, stop bits 1, 1.5 or 2.
[[nodiscard]] LineSettings ParseLineSettings(std::string_view text);

[[nodiscard]] std::string FormatLineSettings(const LineSettings& settings);

}  // namespace trelvo::serial
