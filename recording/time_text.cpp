#include "recording/time_text.h"

namespace trelvo::recording {

QString TimeOfDayFormat(const QLocale& locale)
{
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString result;
    result.reserve(format.size());
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        // 't' (and its longer forms) is the time zone; inside quotes it is literal text.
        if (!quoted && c == u't')
            continue;
        result.append(c);
    }
    // What separated or enclosed the zone ("HH:mm:ss t", "t HH:mm:ss", "H:mm:ss (t)") is left.
    result.remove(QStringLiteral("()"));
    return result.simplified();
}

QString TimeText(const QTime& time, const QLocale& locale)
{
    return locale.toString(time, TimeOfDayFormat(locale));
}

}  // namespace trelvo::recording
