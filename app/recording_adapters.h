#pragma once

#include "recording/recorder.h"

class QWidget;

namespace trelvo::app {

// The time of day from the system clock, in the user's locale, encoded as the record file is.
class SystemClock final : public recording::Clock {
public:
    [[nodiscard]] recording::TimeReading Now() override;
};

// Qt's save dialog with the platform's defaults, its overwrite question included.
class FileSaveDialog final : public recording::SaveDialog {
public:
    explicit FileSaveDialog(QWidget* parent) : m_parent(parent) {}
    [[nodiscard]] std::optional<std::string> ShowSave(std::string_view titleUtf8) override;

private:
    QWidget* m_parent;
};

}  // namespace trelvo::app
