#pragma once

#include <QString>

namespace trelvo::test {

// A caption as it reads, without the mark of its mnemonic ("&Datei" reads "Datei").
inline QString Plain(QString caption)
{
    return caption.remove(QLatin1Char('&'));
}

}  // namespace trelvo::test
