#pragma once

#include <QObject>
#include <QString>

#include <cstdint>

class QDBusPendingCallWatcher;

namespace trelvo::app {

// Keeps the computer from going to sleep while a recording runs: a sleeping laptop ends an
// overnight recording. Asks logind (system bus) for a "sleep:idle" block; where that is missing,
// the desktop's power manager or session manager (session bus) for a suspend block. Never the
// screen: a display lit all night next to a sleeping person is no help. Where none answers,
// nothing happens. Every call is asynchronous, so the window never waits for the bus.
class SleepGuard final : public QObject {
    Q_OBJECT

public:
    enum class Buses { SystemThenSession, SessionOnly };

    explicit SleepGuard(Buses buses = Buses::SystemThenSession) : m_buses(buses) {}
    ~SleepGuard() override;
    SleepGuard(const SleepGuard&) = delete;
    SleepGuard& operator=(const SleepGuard&) = delete;

    void Take(const QString& why);
    void Release();

    // A block is in force (not merely asked for).
    [[nodiscard]] bool Held() const noexcept { return m_fd >= 0 || m_cookie != 0; }

private:
    // The ways to ask, in the order they are tried.
    enum class Way { Logind, PowerManagement, SessionManager, None };
    void Ask(Way way);
    void Answered(QDBusPendingCallWatcher* call, Way way);
    void Drop();

    Buses m_buses;
    QString m_why;
    bool m_wanted = false;       // recording runs: a block should be in force
    bool m_asking = false;       // a request is on its way
    int m_fd = -1;               // logind's block: held while open
    std::uint32_t m_cookie = 0;  // the session bus service's block
    Way m_cookieWay = Way::None;
};

}  // namespace trelvo::app
