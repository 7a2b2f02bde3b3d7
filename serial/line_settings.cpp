#include "serial/line_settings.h"

#include "serial/comm_error.h"

#include <array>
#include <cctype>
#include <charconv>
#include <climits>

namespace trelvo::serial {
namespace {

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

[[noreturn]] void Reject(std::string_view text, std::string_view why)
{
    throw CommError(CommFailure::InvalidSettings,
                    "invalid line settings \"" + std::string(text) + "\": " + std::string(why) +
                        " (expected baud,parity,data bits,stop bits, for example \"9600,n,8,1\")");
}

bool ParseWhole(std::string_view s, int& value)
{
    if (s.empty())
        return false;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    return ec == std::errc() && end == s.data() + s.size();
}

}  // namespace

LineSettings ParseLineSettings(std::string_view text)
{
    std::array<std::string_view, 4> pieces{};
    std::size_t count = 0;
    std::string_view rest = text;
    while (true) {
        const auto comma = rest.find(',');
        if (count == pieces.size())
            Reject(text, "more than four pieces");
        pieces[count++] = Trim(rest.substr(0, comma));
        if (comma == std::string_view::npos)
            break;
        rest.remove_prefix(comma + 1);
    }
    if (count != pieces.size())
        Reject(text, "fewer than four pieces");

    LineSettings result;
    if (!ParseWhole(pieces[0], result.baudRate) || result.baudRate <= 0)
        Reject(text, "the baud rate is not a positive whole number");

    if (pieces[1].size() != 1)
        Reject(text, "the parity is not one of n, e, o, m, s");
    switch (std::tolower(static_cast<unsigned char>(pieces[1].front()))) {
    case 'n': result.parity = Parity::None; break;
    case 'e': result.parity = Parity::Even; break;
    case 'o': result.parity = Parity::Odd; break;
    case 'm': result.parity = Parity::Mark; break;
    case 's': result.parity = Parity::Space; break;
    default: Reject(text, "the parity is not one of n, e, o, m, s");
    }

    if (!ParseWhole(pieces[2], result.dataBits) || result.dataBits < 5 || result.dataBits > 8)
        Reject(text, "the data bits are not 5, 6, 7 or 8");

    if (pieces[3] == "1")
        result.stopBits = StopBits::One;
    else if (pieces[3] == "1.5")
        result.stopBits = StopBits::OneAndHalf;
    else if (pieces[3] == "2")
        result.stopBits = StopBits::Two;
    else
        Reject(text, "the stop bits are not 1, 1.5 or 2");
    return result;
}

std::string FormatLineSettings(const LineSettings& settings)
{
    static constexpr std::array kParity{'n', 'e', 'o', 'm', 's'};
    static constexpr std::array<std::string_view, 3> kStop{"1", "1.5", "2"};
    return std::to_string(settings.baudRate) + ',' + kParity[static_cast<std::size_t>(settings.parity)] +
           ',' + std::to_string(settings.dataBits) + ',' +
           std::string(kStop[static_cast<std::size_t>(settings.stopBits)]);
}

}  // namespace trelvo::serial
