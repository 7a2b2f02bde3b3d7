#pragma once

#include <QString>

#include <cstdint>

namespace trelvo::app {

// Keeps the computer from going to sleep while a recording runs: a sleeping laptop ends an
// overnight recording. Asks logind (system bus) for a "sleep:idle" block, or where that is
// missing the desktop's screen saver (session bus); where neither exists, nothing happens.
class SleepGuard final {
public:
    enum class Buses { SystemThenSession, SessionOnly };

    explicit SleepGuard(Buses buses = Buses::SystemThenSession) : m_buses(buses) {}
    ~SleepGuard() { Release(); }
    SleepGuard(const SleepGuard&) = delete;
    SleepGuard& operator=(const SleepGuard&) = delete;

    void Take(const QString& why);
    void Release();

    [[nodiscard]] bool Held() const noexcept { return m_fd >= 0 || m_cookie != 0; }

private:
    bool TakeFromLogind(const QString& why);
    bool TakeFromScreenSaver(const QString& why);

    Buses m_buses;
    int m_fd = -1;            // logind's inhibitor: held while open
    std::uint32_t m_cookie = 0;  // the screen saver's inhibition
};

}  // namespace trelvo::app
