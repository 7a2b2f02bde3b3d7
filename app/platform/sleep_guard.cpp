#include "app/platform/sleep_guard.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>

#include <unistd.h>

namespace trelvo::app {
namespace {

constexpr int kCallTimeoutMilliseconds = 5000;
constexpr std::uint32_t kSuspendFlag = 4;  // the session manager's "suspend" inhibition

struct Service {
    const char* name;
    const char* path;
    const char* interface;
    const char* release;
};

const Service kPowerManagement{"org.freedesktop.PowerManagement", "/org/freedesktop/PowerManagement/Inhibit",
                               "org.freedesktop.PowerManagement.Inhibit", "UnInhibit"};
const Service kSessionManager{"org.gnome.SessionManager", "/org/gnome/SessionManager", "org.gnome.SessionManager",
                              "Uninhibit"};

QDBusMessage Call(const Service& s, const char* method)
{
    return QDBusMessage::createMethodCall(QString::fromLatin1(s.name), QString::fromLatin1(s.path),
                                          QString::fromLatin1(s.interface), QString::fromLatin1(method));
}

}  // namespace

SleepGuard::~SleepGuard()
{
    m_wanted = false;
    Drop();
}

void SleepGuard::Take(const QString& why)
{
    m_wanted = true;
    m_why = why;
    if (Held() || m_asking)
        return;
    Ask(m_buses == Buses::SystemThenSession ? Way::Logind : Way::PowerManagement);
}

void SleepGuard::Release()
{
    m_wanted = false;
    Drop();  // a request still on its way is dropped when its answer comes
}

void SleepGuard::Ask(Way way)
{
    QDBusMessage call;
    QDBusConnection bus = QDBusConnection::sessionBus();
    switch (way) {
    case Way::Logind:
        bus = QDBusConnection::systemBus();
        call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
            QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
        call << QStringLiteral("sleep:idle") << QStringLiteral("Trelvo") << m_why << QStringLiteral("block");
        break;
    case Way::PowerManagement:
        call = Call(kPowerManagement, "Inhibit");
        call << QStringLiteral("Trelvo") << m_why;
        break;
    case Way::SessionManager:
        call = Call(kSessionManager, "Inhibit");
        call << QStringLiteral("Trelvo") << 0U << m_why << kSuspendFlag;
        break;
    case Way::None: return;
    }
    if (!bus.isConnected()) {
        Ask(static_cast<Way>(static_cast<int>(way) + 1));
        return;
    }
    m_asking = true;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kCallTimeoutMilliseconds), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, way](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        Answered(w, way);
    });
}

void SleepGuard::Answered(QDBusPendingCallWatcher* call, Way way)
{
    m_asking = false;
    const QDBusMessage reply = call->reply();
    const bool ok = reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty();
    if (ok && way == Way::Logind) {
        const auto fd = qvariant_cast<QDBusUnixFileDescriptor>(reply.arguments().constFirst());
        if (fd.isValid())
            m_fd = ::dup(fd.fileDescriptor());
    } else if (ok) {
        m_cookie = reply.arguments().constFirst().toUInt();
        m_cookieWay = way;
    }
    if (!Held()) {
        if (m_wanted)
            Ask(static_cast<Way>(static_cast<int>(way) + 1));
        return;
    }
    // Recording stopped while the request was on its way; or it stopped and started again.
    if (!m_wanted)
        Drop();
}

void SleepGuard::Drop()
{
    if (m_fd >= 0) {
        ::close(m_fd);  // logind ends the block when its descriptor closes
        m_fd = -1;
    }
    if (m_cookie != 0) {
        QDBusMessage call =
            Call(m_cookieWay == Way::SessionManager ? kSessionManager : kPowerManagement,
                 m_cookieWay == Way::SessionManager ? kSessionManager.release : kPowerManagement.release);
        call << m_cookie;
        QDBusConnection::sessionBus().asyncCall(call, kCallTimeoutMilliseconds);
        m_cookie = 0;
    }
}

}  // namespace trelvo::app
