#include "recording/recorder.h"

#include "lang/string_table.h"
#include "recording/record_line.h"

namespace trelvo::recording {
namespace {

std::string Message(std::int16_t languageBase, std::string_view german, std::string_view english,
                    const std::string& path, const std::string& reason)
{
    std::string text(languageBase == 0 ? german : english);
    for (const auto& [key, value] : {std::pair<std::string_view, const std::string&>{"%1", path}, {"%2", reason}})
        if (const auto at = text.find(key); at != std::string::npos)
            text.replace(at, key.size(), value);
    return text;
}

}  // namespace

void Recorder::menSpeichern_Click()
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
            m_view.ShowMessage(Message(m_program.LanguageBase,
                                       "Die Datei %1 ließ sich nicht sicher abschließen: %2.",
                                       "The record file %1 could not be finished safely: %2.",
                                       m_program.RecordFileName, error));
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
        m_view.ShowMessage(Message(m_program.LanguageBase, "Die Datei %1 lässt sich nicht anlegen: %2.",
                                   "The record file %1 cannot be created: %2.", *chosen, opened.error));
        return;
    }
    m_file = std::move(opened.file);
    m_view.SetRecordingActive(true);
    m_view.SetStatusText(lang::RecordingStatus(m_program.LanguageBase, true, *chosen));
    m_fileNotReady = false;
}

void Recorder::Timer1_Timer()
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

    const std::string line = RecordLine(m_fields.Caption(core::Field::SpO2), m_fields.Caption(core::Field::Pulse),
                                        now.text, m_fields.Caption(core::Field::Status));
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
    m_view.ShowMessage(Message(m_program.LanguageBase,
                               "In die Datei %1 kann nicht mehr geschrieben werden: %2. Die Aufzeichnung ist "
                               "beendet; die bisher geschriebenen Zeilen bleiben erhalten.",
                               "The record file %1 cannot be written any more: %2. Recording has stopped; the lines "
                               "written so far are kept.",
                               m_program.RecordFileName, reason));
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
