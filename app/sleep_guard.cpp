#include "app/sleep_guard.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>

#include <unistd.h>

namespace trelvo::app {
namespace {

constexpr int kCallTimeoutMilliseconds = 1000;
const QString kScreenSaverService = QStringLiteral("org.freedesktop.ScreenSaver");

bool HasService(const QDBusConnection& bus, const QString& service)
{
    return bus.isConnected() && bus.interface() && bus.interface()->isServiceRegistered(service).value();
}

}  // namespace

void SleepGuard::Take(const QString& why)
{
    if (Held())
        return;
    if (m_buses == Buses::SystemThenSession && TakeFromLogind(why))
        return;
    TakeFromScreenSaver(why);
}

bool SleepGuard::TakeFromLogind(const QString& why)
{
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!HasService(bus, QStringLiteral("org.freedesktop.login1")))
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.login1"),
                                                       QStringLiteral("/org/freedesktop/login1"),
                                                       QStringLiteral("org.freedesktop.login1.Manager"),
                                                       QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep:idle") << QStringLiteral("Trelvo") << why << QStringLiteral("block");
    const QDBusMessage reply = bus.call(call, QDBus::Block, kCallTimeoutMilliseconds);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    const auto fd = qvariant_cast<QDBusUnixFileDescriptor>(reply.arguments().constFirst());
    if (!fd.isValid())
        return false;
    m_fd = ::dup(fd.fileDescriptor());
    return m_fd >= 0;
}

bool SleepGuard::TakeFromScreenSaver(const QString& why)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!HasService(bus, kScreenSaverService))
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(kScreenSaverService, QStringLiteral("/org/freedesktop/ScreenSaver"),
                                                       kScreenSaverService, QStringLiteral("Inhibit"));
    call << QStringLiteral("Trelvo") << why;
    const QDBusMessage reply = bus.call(call, QDBus::Block, kCallTimeoutMilliseconds);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    m_cookie = reply.arguments().constFirst().toUInt();
    return m_cookie != 0;
}

void SleepGuard::Release()
{
    if (m_fd >= 0) {
        ::close(m_fd);  // logind ends the block when its descriptor closes
        m_fd = -1;
    }
    if (m_cookie != 0) {
        QDBusMessage call = QDBusMessage::createMethodCall(kScreenSaverService,
                                                           QStringLiteral("/org/freedesktop/ScreenSaver"),
                                                           kScreenSaverService, QStringLiteral("UnInhibit"));
        call << m_cookie;
        QDBusConnection::sessionBus().call(call, QDBus::Block, kCallTimeoutMilliseconds);
        m_cookie = 0;
    }
}

}  // namespace trelvo::app
