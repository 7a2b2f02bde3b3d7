#include "app/platform/recording_adapters.h"

#include "recording/time_text.h"

#include <QDateTime>
#include <QFileDialog>
#include <QTime>

namespace trelvo::app {

// "All Files" matches every file: on Linux many have no dot in their name.
const QString kSaveFilter = QStringLiteral("Text Files (*.txt);;All Files (*)");

recording::TimeReading SystemClock::Now()
{
    const QDateTime now = QDateTime::currentDateTime();
    const QTime time = now.time();
    return {time.second(), recording::TimeText(time).toStdString(), now.toSecsSinceEpoch()};
}

std::int64_t SystemClock::EpochSeconds()
{
    return QDateTime::currentSecsSinceEpoch();
}

std::optional<std::string> FileSaveDialog::ShowSave(std::string_view titleUtf8)
{
    const QString path = QFileDialog::getSaveFileName(
        m_parent ? m_parent() : nullptr, QString::fromUtf8(titleUtf8.data(), static_cast<qsizetype>(titleUtf8.size())),
        QString(), kSaveFilter);
    if (path.isEmpty())
        return std::nullopt;
    return path.toStdString();
}

}  // namespace trelvo::app
