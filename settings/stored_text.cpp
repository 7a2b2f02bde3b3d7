#include "settings/stored_text.h"

#include <cctype>
#include <charconv>
#include <limits>

namespace trelvo::settings {
namespace {

template <typename T>
std::optional<T> ParseDecimal(std::string_view s) noexcept
{
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    long value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size())
        return std::nullopt;
    if (value < std::numeric_limits<T>::min() || value > std::numeric_limits<T>::max())
        return std::nullopt;
    return static_cast<T>(value);
}

}  // namespace

std::optional<std::int16_t> ParseInt16(std::string_view text) noexcept
{
    return ParseDecimal<std::int16_t>(text);
}

std::optional<std::uint8_t> ParseUInt8(std::string_view text) noexcept
{
    return ParseDecimal<std::uint8_t>(text);
}

}  // namespace trelvo::settings
