#include "recording/recorder.h"

#include "lang/string_table.h"
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
        const std::string error = m_file->Close();
        m_file.reset();
        m_view.SetRecordingActive(false);
        if (!error.empty())
            m_view.ShowMessage(lang::MessageText(m_program.LanguageBase, lang::Message::RecordCannotFinish,
                                                 {m_program.RecordFileName, error}));
    }
    ShowNotRecording();
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
    if (!opened.file) {
        m_program.Recording = false;
        m_view.SetSaveChecked(false);
        ShowNotRecording();
        m_view.ShowMessage(
            lang::MessageText(m_program.LanguageBase, lang::Message::RecordCannotCreate, {*chosen, opened.error}));
        return;
    }
    m_file = std::move(opened.file);
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
    // The seconds value decides, not the last character of the text: a 12-hour text ends in
    // "AM" or "PM".
    if (static_cast<char>('0' + now.seconds % 10) != m_nextRecordDigit)
        return;
    m_nextRecordDigit = m_nextRecordDigit == '5' ? '0' : '5';

    const std::string line = RecordLine(m_reading.SpO2Text, m_reading.PulseText, now.text, m_reading.StatusText);
    if (const std::string error = m_file->Append(line); !error.empty())
        StopAfterWriteFailure(error);
}

void Recorder::StopAfterWriteFailure(const std::string& reason)
{
    (void)m_file->Close();
    m_file.reset();
    m_view.SetRecordingActive(false);
    m_program.Recording = false;
    m_view.SetSaveChecked(false);
    ShowNotRecording();
    m_view.ShowMessage(
        lang::MessageText(m_program.LanguageBase, lang::Message::RecordCannotWrite, {m_program.RecordFileName, reason}));
}

void Recorder::CloseRecordFile()
{
    if (m_program.Recording && m_file) {
        (void)m_file->Close();
        m_file.reset();
        m_view.SetRecordingActive(false);
    }
}

void Recorder::ShowNotRecording()
{
    m_view.SetStatusText(lang::RecordingStatus(m_program.LanguageBase, false, {}));
}

}  // namespace trelvo::recording
