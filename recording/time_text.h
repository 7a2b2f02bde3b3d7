#pragma once

#include <QLocale>
#include <QString>
#include <QTime>

namespace trelvo::recording {

// The time-of-day format of a locale with hours, minutes and seconds and without a time zone:
// Qt's long format minus its time-zone part ("HH:mm:ss t" becomes "HH:mm:ss").
[[nodiscard]] QString TimeOfDayFormat(const QLocale& locale);

// The one time text of the program: the clock label shows it, and record lines carry it.
[[nodiscard]] QString TimeText(const QTime& time, const QLocale& locale = QLocale());

}  // namespace trelvo::recording
