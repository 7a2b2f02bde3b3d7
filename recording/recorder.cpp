#include "recording/recorder.h"

#include "lang/string_table.h"
#include "recording/companion.h"
#include "recording/record_line.h"

namespace trelvo::recording {

void Recorder::Toggle()
{
    m_program.Recording = !m_program.Recording;
    m_view.SetSaveChecked(m_program.Recording);
    if (m_program.Recording)
        SwitchOn();
    else
        SwitchOff();
}

void Recorder::SwitchOff()
{
    if (m_file) {
        std::string file = m_program.RecordFileName;
        std::string error = m_file->Close();
        if (const std::string companionError = m_companion->Close(); error.empty() && !companionError.empty()) {
            file = m_companionName;
            error = companionError;
        }
        CloseFiles();
        if (!error.empty())
            m_view.ShowMessage(
                lang::MessageText(m_program.LanguageBase, lang::Message::RecordCannotFinish, {file, error}));
    }
    ShowNotRecording();
}

// Forgets both files, closed or not (a file closes itself when dropped).
void Recorder::CloseFiles()
{
    m_file.reset();
    m_companion.reset();
    m_companionName.clear();
    m_view.SetRecordingActive(false);
}

void Recorder::SwitchOn()
{
    m_fileNotReady = true;
    const auto chosen = m_dialog.ShowSave(lang::Text(m_program.LanguageBase, lang::text::kSaveDialogTitle));
    if (!chosen) {
        // Cancelled: back to off, silently, the status bar as it was.
        m_program.Recording = false;
        m_view.SetSaveChecked(false);
        return;
    }
    m_program.RecordFileName = *chosen;
    RecordStore::Opened opened = m_store.Create(*chosen);
    RecordStore::Opened companion;
    if (opened.file) {
        companion = m_store.CreateCompanion(*chosen);
        if (!companion.file) {
            (void)opened.file->Close();
            opened = std::move(companion);
        }
    }
    if (!opened.file) {
        m_program.Recording = false;
        m_view.SetSaveChecked(false);
        ShowNotRecording();
        m_view.ShowMessage(lang::MessageText(m_program.LanguageBase, lang::Message::RecordCannotCreate,
                                             {opened.path, opened.error}));
        return;
    }
    m_file = std::move(opened.file);
    m_companion = std::move(companion.file);
    m_companionName = std::move(companion.path);
    m_lastRowSecond = 0;
    m_view.SetRecordingActive(true);
    m_view.SetStatusText(lang::RecordingStatus(m_program.LanguageBase, true, *chosen));
    m_fileNotReady = false;
}

void Recorder::Tick()
{
    if (m_nextRecordDigit == '\0')
        m_nextRecordDigit = '0';
    if (!m_program.Recording || m_fileNotReady || !m_file)
        return;

    const TimeReading now = m_clock.Now();
    WriteSecondRows(now.epochSeconds);
    if (!m_file)
        return;
    // The seconds value decides, not the last character of the text: a 12-hour text ends in
    // "AM" or "PM".
    if (static_cast<char>('0' + now.seconds % 10) != m_nextRecordDigit)
        return;
    m_nextRecordDigit = m_nextRecordDigit == '5' ? '0' : '5';

    const std::string line = RecordLine(m_reading.SpO2Text, m_reading.PulseText, now.text, m_reading.StatusText);
    if (const std::string error = m_file->Append(line); !error.empty())
        StopAfterWriteFailure(m_program.RecordFileName, error);
}

// One row for each second since the last row: two ticks in a second give one row, and a short
// stall is filled with the values the program holds after it. A clock set back starts afresh.
void Recorder::WriteSecondRows(std::int64_t now)
{
    if (now == m_lastRowSecond)
        return;
    const bool shortGap = now > m_lastRowSecond && now - m_lastRowSecond <= kLongestFilledGap;
    const SecondValues values{m_reading.Unit, m_reading.NoData || !m_reading.Unit.Received};
    for (std::int64_t second = shortGap ? m_lastRowSecond + 1 : now; second <= now; ++second) {
        if (const std::string error = m_companion->Append(CompanionRow(second, values)); !error.empty()) {
            StopAfterWriteFailure(m_companionName, error);
            return;
        }
    }
    m_lastRowSecond = now;
}

void Recorder::StopAfterWriteFailure(std::string file, const std::string& reason)
{
    (void)m_file->Close();
    (void)m_companion->Close();
    CloseFiles();
    m_program.Recording = false;
    m_view.SetSaveChecked(false);
    ShowNotRecording();
    m_view.ShowMessage(lang::MessageText(m_program.LanguageBase, lang::Message::RecordCannotWrite, {file, reason}));
}

void Recorder::CloseRecordFile()
{
    if (m_program.Recording && m_file) {
        (void)m_file->Close();
        (void)m_companion->Close();
        CloseFiles();
    }
}

void Recorder::ShowNotRecording()
{
    m_view.SetStatusText(lang::RecordingStatus(m_program.LanguageBase, false, {}));
}

}  // namespace trelvo::recording
