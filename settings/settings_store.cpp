#include "settings/settings_store.h"

#include "lang/string_table.h"
#include "settings/stored_text.h"

#include <QSettings>
#include <QString>

namespace trelvo::settings {
namespace {

const QString kApplication = QStringLiteral("Trelvo");
const QString kOptions = QStringLiteral("Optionen");
const QString kLanguageKey = QStringLiteral("Sprache");
const QString kPortKey = QStringLiteral("Port");
const QString kPortsSection = QStringLiteral("Ports");
const QString kNightsSection = QStringLiteral("Naechte");
const QString kFolderKey = QStringLiteral("Ordner");
const QString kReportSection = QStringLiteral("Bericht");

QSettings Store()
{
    return QSettings(QSettings::UserScope, kApplication, kApplication);
}

}  // namespace

StoredOptions LoadOptions()
{
    const StoredOptions defaults;
    QSettings store = Store();
    store.beginGroup(kOptions);
    // A value that is not a single text (an INI list, say) reads as empty and so as the default.
    const QString language = store.value(kLanguageKey, QString::number(defaults.LanguageBase)).toString();
    const QString port = store.value(kPortKey, QString::number(defaults.PortNumber)).toString();

    StoredOptions options;
    const auto base = ParseInt16(language.toStdString());
    options.LanguageBase = (base && lang::IsLanguage(*base)) ? *base : defaults.LanguageBase;
    const auto number = ParseUInt8(port.toStdString());
    options.PortNumber = (number && serial::IsPortNumber(*number)) ? *number : defaults.PortNumber;
    return options;
}

bool SaveOptions(const StoredOptions& options)
{
    QSettings store = Store();
    store.beginGroup(kOptions);
    store.setValue(kLanguageKey, QString::number(options.LanguageBase));
    store.setValue(kPortKey, QString::number(options.PortNumber));
    store.endGroup();
    store.sync();
    return store.status() == QSettings::NoError;
}

QString LoadNightsFolder()
{
    QSettings store = Store();
    return store.value(kNightsSection + QStringLiteral("/") + kFolderKey).toString();
}

bool SaveNightsFolder(const QString& folder)
{
    QSettings store = Store();
    store.setValue(kNightsSection + QStringLiteral("/") + kFolderKey, folder);
    store.sync();
    return store.status() == QSettings::NoError;
}

ReportPerson LoadReportPerson()
{
    QSettings store = Store();
    store.beginGroup(kReportSection);
    return {store.value(QStringLiteral("Name")).toString(), store.value(QStringLiteral("Geboren")).toString()};
}

bool SaveReportPerson(const ReportPerson& person)
{
    QSettings store = Store();
    store.beginGroup(kReportSection);
    store.setValue(QStringLiteral("Name"), person.name);
    store.setValue(QStringLiteral("Geboren"), person.born);
    store.endGroup();
    store.sync();
    return store.status() == QSettings::NoError;
}

serial::PortOverrides LoadPortOverrides()
{
    serial::PortOverrides overrides;
    QSettings store = Store();
    store.beginGroup(kPortsSection);
    for (int n = serial::kFirstPort; n <= serial::kLastPort; ++n) {
        const QString path = store.value(QStringLiteral("COM%1").arg(n)).toString().trimmed();
        if (!path.isEmpty())
            overrides[n] = path.toStdString();
    }
    return overrides;
}

}  // namespace trelvo::settings
