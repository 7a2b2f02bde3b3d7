#include "app/recording_adapters.h"

#include "recording/time_text.h"

#include <QFileDialog>
#include <QTime>

namespace trelvo::app {

recording::TimeReading SystemClock::Now()
{
    const QTime now = QTime::currentTime();
    // The record file is plain 8-bit text in the system's encoding.
    return {now.second(), recording::TimeText(now).toLocal8Bit().toStdString()};
}

std::optional<std::string> FileSaveDialog::ShowSave(std::string_view titleUtf8)
{
    const QString path = QFileDialog::getSaveFileName(
        m_parent, QString::fromUtf8(titleUtf8.data(), static_cast<qsizetype>(titleUtf8.size())), QString(),
        QStringLiteral("Text Files (*.txt);;All Files (*.*)"));
    if (path.isEmpty())
        return std::nullopt;
    return path.toStdString();
}

}  // namespace trelvo::app
