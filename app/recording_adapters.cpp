#include "app/recording_adapters.h"

#include "recording/time_text.h"

#include <QFileDialog>
#include <QTime>

namespace trelvo::app {

// "All Files" matches every file: on Linux many have no dot in their name.
const QString kSaveFilter = QStringLiteral("Text Files (*.txt);;All Files (*)");

recording::TimeReading SystemClock::Now()
{
    const QTime now = QTime::currentTime();
    return {now.second(), recording::TimeText(now).toStdString()};
}

std::optional<std::string> FileSaveDialog::ShowSave(std::string_view titleUtf8)
{
    const QString path = QFileDialog::getSaveFileName(
        m_parent, QString::fromUtf8(titleUtf8.data(), static_cast<qsizetype>(titleUtf8.size())), QString(),
        kSaveFilter);
    if (path.isEmpty())
        return std::nullopt;
    return path.toStdString();
}

}  // namespace trelvo::app
