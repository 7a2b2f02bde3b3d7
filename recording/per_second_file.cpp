#include "recording/per_second_file.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace trelvo::recording {
namespace {

void AppendNumber(std::string& out, int value)
{
    char digits[12];
    const char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, static_cast<std::size_t>(end - digits));
}

std::string_view WordOf(RowStatus status)
{
    for (const StatusWord& w : kStatusWords)
        if (w.status == status)
            return w.word;
    return kOtherStatus;
}

// Plain decimal digits only: no sign, no blanks.
bool Number(std::string_view s, int& value)
{
    if (s.empty() || s.front() < '0' || s.front() > '9')
        return false;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    return ec == std::errc() && end == s.data() + s.size();
}

bool Digits(std::string_view s, std::size_t at, std::size_t n, int& value)
{
    if (at + n > s.size())
        return false;
    value = 0;
    for (std::size_t i = at; i < at + n; ++i) {
        if (s[i] < '0' || s[i] > '9')
            return false;
        value = value * 10 + (s[i] - '0');
    }
    return true;
}

// "2026-12-07T23:40:01+01:00", "…-03:30" or "…Z" into the row's time fields.
bool ReadTime(std::string_view t, RowRead& r)
{
    int h = 0, m = 0, s = 0, oh = 0, om = 0;
    if (t.size() < 20 || t[4] != '-' || t[7] != '-' || t[10] != 'T' || t[13] != ':' || t[16] != ':' ||
        !Digits(t, 0, 4, r.year) || !Digits(t, 5, 2, r.month) || !Digits(t, 8, 2, r.day) || !Digits(t, 11, 2, h) ||
        !Digits(t, 14, 2, m) || !Digits(t, 17, 2, s))
        return false;
    if (t.size() == 20 && t[19] == 'Z') {
        r.utcOffset = 0;
    } else if (t.size() == 25 && (t[19] == '+' || t[19] == '-') && t[22] == ':' && Digits(t, 20, 2, oh) &&
               Digits(t, 23, 2, om) && oh <= 14 && om <= 59) {
        r.utcOffset = (t[19] == '-' ? -1 : 1) * (oh * 3600 + om * 60);
    } else {
        return false;
    }
    if (r.month < 1 || r.month > 12 || r.day < 1 || r.day > 31 || h > 23 || m > 59 || s > 59)
        return false;
    r.secondOfDay = h * 3600 + m * 60 + s;
    return true;
}

// A row's cells: at most five, a field in double quotes without them.
struct RowCells {
    std::array<std::string_view, 5> cell;
    std::size_t count = 0;
};
// Splits a row at its commas; nothing for a row of more than five cells.
std::optional<RowCells> Cells(std::string_view row)
{
    RowCells cells;
    std::size_t at = 0;
    while (true) {
        if (cells.count == cells.cell.size())
            return std::nullopt;
        const std::size_t comma = row.find(',', at);
        std::string_view cell = row.substr(at, comma == std::string_view::npos ? std::string_view::npos : comma - at);
        if (cell.size() >= 2 && cell.front() == '"' && cell.back() == '"')
            cell = cell.substr(1, cell.size() - 2);
        cells.cell[cells.count++] = cell;
        if (comma == std::string_view::npos)
            return cells;
        at = comma + 1;
    }
}

// "12 40 200": samples 0..247 separated by single blanks, appended to wave; false (and wave as
// it was) for anything else. A night holds millions of them: one pass, no searching.
bool ReadWave(std::string_view field, std::vector<std::uint8_t>& wave)
{
    const std::size_t before = wave.size();
    int sample = 0, digits = 0;
    for (const char c : field) {
        if (c >= '0' && c <= '9' && digits < 3) {
            sample = sample * 10 + (c - '0');
            ++digits;
        } else if (c == ' ' && digits > 0 && sample <= 247) {
            wave.push_back(static_cast<std::uint8_t>(sample));
            sample = digits = 0;
        } else {
            wave.resize(before);
            return false;
        }
    }
    if (digits == 0 ? !field.empty() : sample > 247) {
        wave.resize(before);
        return false;
    }
    if (digits > 0)
        wave.push_back(static_cast<std::uint8_t>(sample));
    return true;
}

// The same rule as ReadWave without keeping the samples: what a listing of many nights does for
// every second, so it looks at 32 bytes at once. At each byte, with the three after it: a byte
// that is neither a digit nor a blank, two blanks, four digits, or three digits above 247 make the
// field wrong. No look back is needed: a block may be looked at twice. Built twice on x86-64: with
// AVX2 where the processor has it, and for any.
using Bytes = unsigned char __attribute__((vector_size(32)));
using Mask = signed char __attribute__((vector_size(32)));
constexpr std::size_t kBlock = sizeof(Bytes), kAhead = 3;

// Marks in wrong the bytes at p that make a field wrong (by reference: a vector returned would
// change the calling convention between the two builds).
[[gnu::always_inline]] inline void AddWrongBytes(const char* p, Mask& wrong)
{
    Bytes c0, c1, c2, c3;
    std::memcpy(&c0, p, kBlock);
    std::memcpy(&c1, p + 1, kBlock);
    std::memcpy(&c2, p + 2, kBlock);
    std::memcpy(&c3, p + 3, kBlock);
    const Mask d0 = (c0 - '0') <= 9, d1 = (c1 - '0') <= 9, d2 = (c2 - '0') <= 9, d3 = (c3 - '0') <= 9;
    const Mask b0 = c0 == ' ', b1 = c1 == ' ';
    const Mask three = d0 & d1 & d2;
    const Mask over247 = (c0 > '2') | ((c0 == '2') & ((c1 > '4') | ((c1 == '4') & (c2 > '7'))));
    wrong |= ~(d0 | b0) | (b0 & b1) | (three & d3) | (three & over247);
}

#if defined(__x86_64__) && defined(__GNUC__)
[[gnu::target_clones("avx2", "default")]]
#endif
bool WaveIsValid(std::string_view field)
{
    const std::size_t n = field.size();
    if (n == 0)
        return true;
    const char* const f = field.data();
    if (f[0] == ' ' || f[n - 1] == ' ')
        return false;
    Mask wrong{};
    if (n < kBlock + kAhead) {
        // A short field: looked at in a copy padded with blanks, the padding's own bytes left out
        // (a byte's place against the field's length).
        char rest[2 * kBlock + kAhead];
        std::memset(rest, ' ', sizeof rest);
        std::memcpy(rest, f, n);
        Mask low{}, high{};
        AddWrongBytes(rest, low);
        if (n > kBlock)
            AddWrongBytes(rest + kBlock, high);
        Bytes place;
        for (std::size_t i = 0; i < kBlock; ++i)
            place[i] = static_cast<unsigned char>(i);
        const auto length = static_cast<unsigned char>(n);
        wrong = (low & (place < length)) | (high & (place + static_cast<unsigned char>(kBlock) < length));
    } else {
        for (std::size_t at = 0; at + kBlock + kAhead <= n; at += kBlock)
            AddWrongBytes(f + at, wrong);
        // The last block again, up to the last byte with three after it; the last three bytes
        // below: digits or blanks, not two blanks, and as three digits no more than 247 (three
        // digits with one before them are four, found in the block).
        AddWrongBytes(f + n - kBlock - kAhead, wrong);
        const char* const t = f + n - kAhead;
        const auto digit = [](char c) { return c >= '0' && c <= '9'; };
        for (std::size_t i = 0; i < kAhead; ++i)
            if (!digit(t[i]) && t[i] != ' ')
                return false;
        if ((t[0] == ' ' && t[1] == ' ') ||
            (digit(t[0]) && digit(t[1]) && digit(t[2]) && (t[0] - '0') * 100 + (t[1] - '0') * 10 + (t[2] - '0') > 247))
            return false;
    }
    std::uint64_t words[kBlock / 8];
    std::memcpy(words, &wrong, sizeof words);
    return (words[0] | words[1] | words[2] | words[3]) == 0;
}

std::optional<RowRead> ReadRow(std::string_view row, std::vector<std::uint8_t>* wave)
{
    const auto cells = Cells(row);
    RowRead r;
    if (!cells || cells->count < 4 || !ReadTime(cells->cell[0], r))
        return std::nullopt;
    const auto& cell = cells->cell;
    int spo2 = 0, pulse = 0;
    if (!cell[1].empty()) {
        if (!Number(cell[1], spo2) || spo2 > 100)
            return std::nullopt;
        r.spo2 = spo2;
    }
    if (!cell[2].empty()) {
        if (!Number(cell[2], pulse) || pulse > 254)
            return std::nullopt;
        r.pulse = pulse;
    }
    const std::string_view status = cell[3];
    const auto word = std::find_if(std::begin(kStatusWords), std::end(kStatusWords),
                                   [status](const StatusWord& w) { return w.word == status; });
    if (word != std::end(kStatusWords))
        r.status = word->status;
    else if (status.starts_with(kOtherStatus))
        r.status = RowStatus::Other;
    else
        return std::nullopt;
    if (cells->count == 5 && !(wave ? ReadWave(cell[4], *wave) : WaveIsValid(cell[4])))
        return std::nullopt;
    return r;
}

}  // namespace

std::optional<RowRead> ReadPerSecondRow(std::string_view row, std::vector<std::uint8_t>& wave)
{
    return ReadRow(row, &wave);
}

std::optional<RowRead> ReadPerSecondRow(std::string_view row)
{
    return ReadRow(row, nullptr);
}

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

std::string PerSecondRow(std::int64_t epochSeconds, const SecondValues& values, std::span<const std::uint8_t> wave)
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
        row += WordOf(RowStatus::NoData);
    } else if (unit.Status <= 2) {
        row += WordOf(unit.Status == 0 ? RowStatus::Ok : unit.Status == 1 ? RowStatus::NoProbe : RowStatus::NoSignal);
    } else {
        row += kOtherStatus;
        AppendNumber(row, unit.Status);
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

std::string PerSecondPath(std::string_view recordPath, int n)
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

bool IsPerSecondStart(std::string_view firstBytes)
{
    for (const std::string_view header : {kPerSecondHeader, kPerSecondHeaderWithoutWave})
        if (firstBytes.substr(0, header.size()) == header &&
            (firstBytes.size() == header.size() || firstBytes[header.size()] == '\r' ||
             firstBytes[header.size()] == '\n'))
            return true;
    return false;
}

}  // namespace trelvo::recording
