#pragma once

#include "core/pipeline.h"
#include "core/program_state.h"
#include "core/reading.h"
#include "recording/record_file.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace trelvo::recording {

// The time of day as the record line shows it, and the moment it was read.
struct TimeReading {
    int seconds = 0;                // 0..59
    std::string text;               // the locale's time text, UTF-8
    std::int64_t epochSeconds = 0;  // since 1970-01-01 UTC
};

class Clock {
public:
    virtual ~Clock() = default;
    [[nodiscard]] virtual TimeReading Now() = 0;
    // Only the second, cheaply: asked for every batch of bytes (the second it arrived in).
    [[nodiscard]] virtual std::int64_t EpochSeconds() = 0;
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

// Recording: switched on and off by the Save command, one line every five seconds while on, with
// the fields as shown at that moment. A line is due in every second whose
// seconds value ends in the expected digit, 0 and 5 in turn, so lines fall on :00, :05, :10 ...
// whatever the locale's time text looks like. Beside the record file the per-second file gets a
// row for every second once it is over: the values the fields had then, and the wave samples
// that arrived in it. A file that cannot be opened or written ends recording of both with a
// message; the lines already written stay whole.
class Recorder final : public core::MeasurementTap {
public:
    Recorder(core::ProgramState& program, Clock& clock, SaveDialog& dialog, RecordStore& store,
             RecordingView& view) noexcept
        : m_program(program),
          m_clock(clock),
          m_dialog(dialog),
          m_store(store),
          m_view(view)
    {
    }

    // Switches recording on (asking for the file) or off.
    void Toggle();
    // Every 500 ms: writes a line (the fields as shown) when one is due, and the rows of the
    // seconds that are over.
    void Tick(const core::Reading& shown);
    // Before a batch of bytes is decoded: the rows of the seconds before it are written, so the
    // batch's wave samples go to the second they arrived in.
    void BeginBatch(std::int64_t second) override;
    // The decoder's wave samples, kept for the row of the current second while recording.
    void TakeWaveSamples(std::span<const std::uint8_t> samples) override;
    // The unit's values behind the fields, for the rows.
    void TakeUnitValues(const core::UnitValues& values, bool noData) override;
    // Shutdown: closes the record file when recording.
    void CloseRecordFile();

    [[nodiscard]] bool FileNotReady() const noexcept { return m_fileNotReady; }
    [[nodiscard]] char NextRecordDigit() const noexcept { return m_nextRecordDigit; }
    // The per-second file being written; empty while not recording.
    [[nodiscard]] const std::string& PerSecondFileName() const noexcept { return m_perSecondName; }

    // A stall of the event loop up to this long is filled with the values of the second after it;
    // a longer break (the computer slept) is left as a gap.
    static constexpr std::int64_t kLongestFilledGap = 5;
    // How often the files are checked for still having their names.
    static constexpr std::int64_t kGoneCheckSeconds = 10;

private:
    void SwitchOn();
    void SwitchOff();
    void FinishSecondsBefore(std::int64_t now);
    [[nodiscard]] bool WriteRow(std::int64_t second);
    void CloseFiles();
    void StopAfterWriteFailure(std::string file, const std::string& reason);  // file: a copy, as the names are cleared
    void ShowNotRecording();
    // A file taken away while written: both files anew under free names, and the user told.
    void GoOnIfTakenAway(std::int64_t now);
    [[nodiscard]] RecordStore::Opened WithPerSecondFile(RecordStore::Opened record, RecordStore::Opened& perSecond);
    void TakeFiles(RecordStore::Opened record, RecordStore::Opened perSecond);

    core::ProgramState& m_program;
    Clock& m_clock;
    SaveDialog& m_dialog;
    RecordStore& m_store;
    RecordingView& m_view;

    std::unique_ptr<RecordFile> m_file;
    std::unique_ptr<RecordFile> m_perSecond;
    std::string m_perSecondName;
    std::int64_t m_openSecond = 0;     // the second whose row is being gathered
    std::vector<std::uint8_t> m_wave;  // its wave samples so far
    core::UnitValues m_unit;           // the values behind the fields
    bool m_noData = false;             // the no-data warning is on
    bool m_fileNotReady = false;
    std::int64_t m_lastGoneCheck = 0;
    char m_nextRecordDigit = '\0';  // kept for the window's life, across recordings
};

}  // namespace trelvo::recording
