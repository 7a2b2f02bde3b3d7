#pragma once

#include <QSettings>
#include <QString>
#include <QVariant>

#include <initializer_list>
#include <string>
#include <utility>

namespace trelvo::test {

// The program's settings store, for setting up what a user or an earlier run left there.
inline QSettings Store()
{
    return QSettings(QSettings::UserScope, QStringLiteral("Trelvo"), QStringLiteral("Trelvo"));
}

inline void ClearStore()
{
    QSettings store = Store();
    store.clear();
    store.sync();
}

inline void PutSetting(const QString& key, const QVariant& value)
{
    QSettings store = Store();
    store.setValue(key, value);
    store.sync();
}

inline QString GetSetting(const QString& key)
{
    return Store().value(key).toString();
}

// An empty store whose COM ports all lead to devices that do not exist (in folder), but for the
// ones given, which lead to the given devices.
inline void StoreWithPorts(const QString& folder, std::initializer_list<std::pair<int, std::string>> devices)
{
    ClearStore();
    for (int n = 1; n <= 8; ++n)
        PutSetting(QStringLiteral("Ports/COM%1").arg(n), folder + QStringLiteral("/missing-com%1").arg(n));
    for (const auto& [n, device] : devices)
        PutSetting(QStringLiteral("Ports/COM%1").arg(n), QString::fromStdString(device));
}

}  // namespace trelvo::test
