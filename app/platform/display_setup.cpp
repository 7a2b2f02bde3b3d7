#include "app/platform/display_setup.h"

#include <QByteArray>
#include <QtGlobal>

namespace trelvo::app {

void PrepareDisplay()
{
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", QByteArrayLiteral("1"));
}

}  // namespace trelvo::app
