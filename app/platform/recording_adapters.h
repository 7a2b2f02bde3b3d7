#pragma once

#include "recording/recorder.h"

#include <QString>

class QWidget;

namespace trelvo::app {

// The time of day from the system clock, in the user's locale.
class SystemClock final : public recording::Clock {
public:
    [[nodiscard]] recording::TimeReading Now() override;
    [[nodiscard]] std::int64_t EpochSeconds() override;
};

// The save dialog's file types.
extern const QString kSaveFilter;

// Qt's save dialog with the platform's defaults, its overwrite question included.
class FileSaveDialog final : public recording::SaveDialog {
public:
    // parent: the window the dialog belongs to when it is shown.
    explicit FileSaveDialog(std::function<QWidget*()> parent) : m_parent(std::move(parent)) {}
    [[nodiscard]] std::optional<std::string> ShowSave(std::string_view titleUtf8) override;

private:
    std::function<QWidget*()> m_parent;
};

}  // namespace trelvo::app
