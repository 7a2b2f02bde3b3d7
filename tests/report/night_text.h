#pragma once

// Small nights written by hand for the report's tests: record lines every five seconds, and
// per-second rows.

#include "recording/per_second_file.h"
#include "report/night/night.h"

#include <cstdio>
#include <string>

namespace trelvo::report {

// Record lines every 5 s from a start time, one per value ("XX" no data, "--" probe off).
class RecordText {
public:
    explicit RecordText(int startSeconds) : m_at(startSeconds) {}
    RecordText& Add(int count, const std::string& spo2, int pulse = 70)
    {
        for (int i = 0; i < count; ++i, m_at += 5) {
            const int s = m_at % 86400;
            char time[16];
            std::snprintf(time, sizeof time, "%02d:%02d:%02d", s / 3600, s / 60 % 60, s % 60);
            if (spo2 == "XX")
                m_text += std::string("S XX P XXX T ") + time + "  No Serial Data!\r\n";
            else if (spo2 == "--")
                m_text += std::string("S -- P --- T ") + time + "  No Probe!\r\n";
            else
                m_text += "S " + spo2 + " P " + std::to_string(pulse) + " T " + time + "  OK!\r\n";
        }
        return *this;
    }
    RecordText& Skip(int seconds)
    {
        m_at += seconds;
        return *this;
    }
    RecordText& Raw(const std::string& line)
    {
        m_text += line + "\r\n";
        return *this;
    }
    [[nodiscard]] const std::string& Text() const { return m_text; }

private:
    int m_at;
    std::string m_text;
};

// Per-second rows from a start time (UTC), one per value: a number, "no_data", "no_probe" ...
class RowText {
public:
    explicit RowText(std::string date = "2026-12-07", int startSeconds = 23 * 3600 + 40 * 60)
        : m_date(std::move(date)),
          m_at(startSeconds)
    {
        m_text = std::string(recording::kPerSecondHeader) + "\r\n";
    }
    RowText& Add(int count, const std::string& spo2, int pulse = 70)
    {
        for (int i = 0; i < count; ++i, ++m_at) {
            char time[64];
            const int day = m_at / 86400, s = m_at % 86400;
            std::snprintf(time, sizeof time, "%sT%02d:%02d:%02d+00:00", Date(day).c_str(), s / 3600, s / 60 % 60,
                          s % 60);
            if (spo2.starts_with("no_") || spo2.starts_with("other"))
                m_text += std::string(time) + ",,," + spo2 + "\r\n";
            else
                m_text += std::string(time) + "," + spo2 + "," + std::to_string(pulse) + ",ok\r\n";
        }
        return *this;
    }
    // Seconds without rows (the computer slept).
    RowText& Skip(int seconds)
    {
        m_at += seconds;
        return *this;
    }
    [[nodiscard]] const std::string& Text() const { return m_text; }

private:
    [[nodiscard]] std::string Date(int day) const
    {
        const CivilDate d{std::stoi(m_date.substr(0, 4)), std::stoi(m_date.substr(5, 2)),
                          std::stoi(m_date.substr(8, 2))};
        return DateText(CivilFromDays(DaysFromCivil(d) + day));
    }
    std::string m_date;
    int m_at;
    std::string m_text;
};

}  // namespace trelvo::report
