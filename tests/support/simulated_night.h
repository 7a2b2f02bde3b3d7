#pragma once

#include <QDir>
#include <QProcess>
#include <QString>

namespace trelvo::test {

// An hour and a half of a simulated night in a folder, as the program records it: night.txt and
// the per-second file night.csv beside it, from 00:30 on 2026-12-07, with a spell of desaturations
// (tests/report/make_night). The record file's path, or nothing when it could not be made.
inline QString MakeSimulatedNight(const QString& folder)
{
    const QString night = QDir(folder).filePath(QStringLiteral("night.txt"));
    const int status = QProcess::execute(QStringLiteral(TRELVO_MAKE_NIGHT_PATH),
                                         {night, QStringLiteral("1.5"), QStringLiteral("0"), QStringLiteral("0")});
    return status == 0 ? night : QString();
}

}  // namespace trelvo::test
