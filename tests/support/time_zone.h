#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace trelvo::test {

// Sets this process's time zone (TZ) for as long as it lives and puts back what was there
// before, also when a failed assertion ends the test early.
class TimeZone {
public:
    explicit TimeZone(const char* zone)
    {
        if (const char* before = std::getenv("TZ"))
            m_before = before;
        Set(zone);
    }
    ~TimeZone()
    {
        if (m_before)
            ::setenv("TZ", m_before->c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }
    TimeZone(const TimeZone&) = delete;
    TimeZone& operator=(const TimeZone&) = delete;

    void Set(const char* zone)
    {
        ::setenv("TZ", zone, 1);
        ::tzset();
    }

private:
    std::optional<std::string> m_before;
};

}  // namespace trelvo::test
