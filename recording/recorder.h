#pragma once

#include "core/display.h"
#include "core/program_state.h"
#include "recording/record_file.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace trelvo::recording {

// The time of day as the record line shows it.
struct TimeReading {
    int seconds = 0;   // 0..59
    std::string text;  // the locale's time text, in the file's encoding
};

class Clock {
public:
    virtual ~Clock() = default;
    [[nodiscard]] virtual TimeReading Now() = 0;
};

// What the value fields show, in the file's encoding.
class FieldCaptions {
public:
    virtual ~FieldCaptions() = default;
    [[nodiscard]] virtual std::string Caption(core::Field field) const = 0;
};

class SaveDialog {
public:
    virtual ~SaveDialog() = default;
    // Asks for the record file; nothing when the user cancels. Paths are UTF-8.
    [[nodiscard]] virtual std::optional<std::string> ShowSave(std::string_view titleUtf8) = 0;
};

// What the window shows of recording.
class RecordingView {
public:
    virtual ~RecordingView() = default;
    virtual void SetSaveChecked(bool checked) = 0;
    virtual void SetStatusText(std::string_view utf8) = 0;
    virtual void ShowMessage(std::string_view utf8) = 0;
    // A record file is open and being written (true), or no longer (false).
    virtual void SetRecordingActive(bool /*active*/) {}
};

// The Save command and the five-second recording tick. A line is due in every second whose
// seconds value ends in the expected digit, 0 and 5 in turn, so lines fall on :00, :05, :10 ...
// whatever the locale's time text looks like. A file that cannot be opened or written ends
// recording with a message; the lines already written stay whole.
class Recorder final {
public:
    Recorder(core::ProgramState& program, FieldCaptions& fields, Clock& clock, SaveDialog& dialog, RecordStore& store,
             RecordingView& view) noexcept
        : m_program(program), m_fields(fields), m_clock(clock), m_dialog(dialog), m_store(store), m_view(view)
    {
    }

    // Save: switches recording on (asking for the file) or off.
    void menSpeichern_Click();
    // Every 500 ms: writes a line when one is due.
    void Timer1_Timer();
    // Shutdown: closes the record file when recording.
    void CloseRecordFile();

    [[nodiscard]] bool FileNotReady() const noexcept { return m_fileNotReady; }
    [[nodiscard]] char NextRecordDigit() const noexcept { return m_nextRecordDigit; }

private:
    void SwitchOn();
    void SwitchOff();
    void StopAfterWriteFailure(const std::string& reason);
    void ShowNotRecording();

    core::ProgramState& m_program;
    FieldCaptions& m_fields;
    Clock& m_clock;
    SaveDialog& m_dialog;
    RecordStore& m_store;
    RecordingView& m_view;

    std::unique_ptr<RecordFile> m_file;
    bool m_fileNotReady = false;
    char m_nextRecordDigit = '\0';  // kept for the window's life, across recordings
};

}  // namespace trelvo::recording
