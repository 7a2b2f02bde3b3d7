#pragma once

namespace trelvo::serial {

enum class Parity { None, Even, Odd };

// Baud, parity, data bits and stop bits of a serial line.
struct LineSettings {
    int baudRate = 9600;
    Parity parity = Parity::None;
    int dataBits = 8;
    int stopBits = 1;

    friend bool operator==(const LineSettings&, const LineSettings&) = default;
};

// The unit's line: 9600 baud, no parity, 8 data bits, 1 stop bit.
inline constexpr LineSettings kOximeterLine{};

}  // namespace trelvo::serial
