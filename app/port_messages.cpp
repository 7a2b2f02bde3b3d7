#include "app/port_messages.h"

namespace trelvo::app {
namespace {

QString Pick(std::int16_t languageBase, const char* german, const char* english)
{
    return QString::fromUtf8(languageBase == 0 ? german : english);
}

}  // namespace

QString PortFailureReason(std::int16_t languageBase, const serial::CommError& error)
{
    using serial::CommFailure;
    switch (error.failure()) {
    case CommFailure::NoSuchDevice:
        return Pick(languageBase, "Gerät nicht vorhanden (ist das Kabel eingesteckt?)",
                    "no such device (is the cable plugged in?)");
    case CommFailure::Busy:
        return Pick(languageBase, "belegt: ein anderes Programm benutzt die Schnittstelle",
                    "busy: another program is using it");
    case CommFailure::PermissionDenied: {
        const QString group = error.detail().empty() ? QStringLiteral("dialout") : QString::fromStdString(error.detail());
        return Pick(languageBase,
                    "keine Berechtigung: Ihr Benutzer muss Mitglied der Gruppe %1 sein, der die Schnittstelle "
                    "gehört (meist dialout: sudo adduser $USER dialout, danach neu anmelden)",
                    "permission denied: your user must be a member of the group %1 that owns the device "
                    "(usually dialout: sudo adduser $USER dialout, then log in again)")
            .arg(group);
    }
    case CommFailure::NotASerialPort:
        return Pick(languageBase, "keine serielle Schnittstelle", "not a serial port");
    case CommFailure::InvalidPortNumber:
        return Pick(languageBase, "keine gültige Portnummer", "no valid port number");
    case CommFailure::DeviceLost:
        return Pick(languageBase, "das Gerät antwortet nicht mehr (Kabel gezogen oder ausgeschaltet)",
                    "the device stopped answering (unplugged or switched off)");
    case CommFailure::PortAlreadyOpen:
    case CommFailure::InvalidSettings:
    case CommFailure::InvalidProperty:
    case CommFailure::Other:
        break;
    }
    return QString::fromStdString(error.reason());
}

QString PortOpenFailedMessage(std::int16_t languageBase, int portNumber, const serial::CommError& error)
{
    const QString device = QString::fromStdString(error.device());
    return Pick(languageBase, "COM%1 (%2) lässt sich nicht öffnen: %3.", "COM%1 (%2) cannot be opened: %3.")
        .arg(portNumber)
        .arg(device.isEmpty() ? QStringLiteral("-") : device, PortFailureReason(languageBase, error));
}

QString UnusablePortToolTip(std::int16_t languageBase, const serial::CommError& error)
{
    return QString::fromStdString(error.device()) + QStringLiteral(": ") + PortFailureReason(languageBase, error);
}

}  // namespace trelvo::app
