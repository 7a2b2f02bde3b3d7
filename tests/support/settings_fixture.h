#pragma once

#include <QSettings>
#include <QString>
#include <QVariant>

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

}  // namespace trelvo::test
