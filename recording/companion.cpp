#include "recording/companion.h"

#include <charconv>
#include <cstdio>
#include <ctime>

namespace trelvo::recording {
namespace {

void AppendNumber(std::string& out, int value)
{
    char digits[12];
    const char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, static_cast<std::size_t>(end - digits));
}

}  // namespace

std::string IsoLocalTime(std::int64_t epochSeconds)
{
    const std::time_t t = static_cast<std::time_t>(epochSeconds);
    std::tm local{};
    ::localtime_r(&t, &local);
    const long offset = local.tm_gmtoff;
    const long minutes = (offset < 0 ? -offset : offset) / 60;
    char text[96];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02ld:%02ld", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, offset < 0 ? '-' : '+',
                  minutes / 60, minutes % 60);
    return text;
}

std::string CompanionRow(std::int64_t epochSeconds, const SecondValues& values, std::span<const std::uint8_t> wave)
{
    std::string row = IsoLocalTime(epochSeconds);
    row.reserve(row.size() + 24 + 4 * wave.size());
    const core::UnitValues& unit = values.unit;
    row += ',';
    if (!values.noData && unit.SpO2 <= 100)
        AppendNumber(row, unit.SpO2);
    row += ',';
    if (!values.noData && unit.Pulse != 255)
        AppendNumber(row, unit.Pulse);
    row += ',';
    if (values.noData) {
        row += "no_data";
    } else {
        switch (unit.Status) {
        case 0: row += "ok"; break;
        case 1: row += "no_probe"; break;
        case 2: row += "no_signal"; break;
        default:
            row += "other:";
            AppendNumber(row, unit.Status);
            break;
        }
    }
    row += ',';
    for (std::size_t i = 0; i < wave.size(); ++i) {
        if (i > 0)
            row += ' ';
        AppendNumber(row, wave[i]);
    }
    row += "\r\n";
    return row;
}

std::string CompanionPath(std::string_view recordPath, int n)
{
    const std::size_t slash = recordPath.rfind('/');
    const std::size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    std::size_t dot = recordPath.rfind('.');
    // A dot that starts the name (".night") or sits in a folder name is no extension.
    if (dot == std::string_view::npos || dot <= nameStart)
        dot = recordPath.size();
    std::string path(recordPath.substr(0, dot));
    if (n > 1) {
        path += '-';
        AppendNumber(path, n);
    }
    path += ".csv";
    return path;
}

bool IsCompanionStart(std::string_view firstBytes)
{
    for (const std::string_view header : {kCompanionHeader, kCompanionHeaderWithoutWave})
        if (firstBytes.substr(0, header.size()) == header && firstBytes.substr(header.size(), 2) == "\r\n")
            return true;
    return false;
}

}  // namespace trelvo::recording
