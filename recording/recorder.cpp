#include "recording/recorder.h"

#include "lang/string_table.h"
#include "recording/per_second_file.h"
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
        // The second being gathered ends here: its row is written with what it has.
        if (!WriteRow(m_openSecond))
            return;  // recording has stopped, with a message
        std::string file = m_program.RecordFileName;
        std::string error = m_file->Close();
        if (const std::string perSecondError = m_perSecond->Close(); error.empty() && !perSecondError.empty()) {
            file = m_perSecondName;
            error = perSecondError;
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
    m_perSecond.reset();
    m_perSecondName.clear();
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
    RecordStore::Opened perSecond;
    RecordStore::Opened opened = WithPerSecondFile(m_store.Create(*chosen), perSecond);
    if (!opened.file) {
        m_program.Recording = false;
        m_view.SetSaveChecked(false);
        ShowNotRecording();
        m_view.ShowMessage(opened.inUse
                               ? lang::MessageText(m_program.LanguageBase, lang::Message::RecordInUse, {opened.path})
                               : lang::MessageText(m_program.LanguageBase, lang::Message::RecordCannotCreate,
                                                   {opened.path, opened.error}));
        return;
    }
    TakeFiles(std::move(opened), std::move(perSecond));
    m_openSecond = m_clock.EpochSeconds();
    m_lastGoneCheck = m_openSecond;
    m_wave.clear();
    m_wave.reserve(256);
    m_fileNotReady = false;
}

void Recorder::Tick(const core::Reading& shown)
{
    if (m_nextRecordDigit == '\0')
        m_nextRecordDigit = '0';
    if (!m_program.Recording || m_fileNotReady || !m_file)
        return;

    const TimeReading now = m_clock.Now();
    FinishSecondsBefore(now.epochSeconds);
    GoOnIfTakenAway(now.epochSeconds);
    if (!m_file)
        return;
    // The seconds value decides, not the last character of the text: a 12-hour text ends in
    // "AM" or "PM".
    if (static_cast<char>('0' + now.seconds % 10) != m_nextRecordDigit)
        return;
    m_nextRecordDigit = m_nextRecordDigit == '5' ? '0' : '5';

    const std::string line = RecordLine(shown.SpO2Text, shown.PulseText, now.text, shown.StatusText);
    if (const std::string error = m_file->Append(line); !error.empty())
        StopAfterWriteFailure(m_program.RecordFileName, error);
}

void Recorder::BeginBatch(std::int64_t second)
{
    if (m_perSecond)
        FinishSecondsBefore(second);
}

void Recorder::TakeUnitValues(const core::UnitValues& values, bool noData)
{
    m_unit = values;
    m_noData = noData;
}

void Recorder::TakeWaveSamples(std::span<const std::uint8_t> samples)
{
    if (m_perSecond)
        m_wave.insert(m_wave.end(), samples.begin(), samples.end());
}

// The row of the second being gathered, once a later second has begun; a short stall in between
// is filled with the values the program holds after it (and no wave: none arrived). A clock set
// back starts afresh.
void Recorder::FinishSecondsBefore(std::int64_t now)
{
    if (now == m_openSecond)
        return;
    if (!WriteRow(m_openSecond))
        return;
    if (now > m_openSecond && now - m_openSecond <= kLongestFilledGap)
        for (std::int64_t second = m_openSecond + 1; second < now; ++second)
            if (!WriteRow(second))
                return;
    m_openSecond = now;
}

// Writes the row of a second with the values as they stand and the wave gathered; false when the
// file failed and recording has stopped.
bool Recorder::WriteRow(std::int64_t second)
{
    const SecondValues values{m_unit, m_noData || !m_unit.Received};
    const std::string error = m_perSecond->Append(PerSecondRow(second, values, m_wave));
    m_wave.clear();
    if (error.empty())
        return true;
    StopAfterWriteFailure(m_perSecondName, error);
    return false;
}

void Recorder::StopAfterWriteFailure(std::string file, const std::string& reason)
{
    (void)m_file->Close();
    (void)m_perSecond->Close();
    CloseFiles();
    m_program.Recording = false;
    m_view.SetSaveChecked(false);
    ShowNotRecording();
    m_view.ShowMessage(lang::MessageText(m_program.LanguageBase, lang::Message::RecordCannotWrite, {file, reason}));
}

void Recorder::CloseRecordFile()
{
    if (m_program.Recording && m_file) {
        if (!WriteRow(m_openSecond))
            return;
        (void)m_file->Close();
        (void)m_perSecond->Close();
        CloseFiles();
    }
}

// The per-second file beside a record file just opened; when it cannot be made, the record file is
// closed again (and removed while empty: a disk full at the start leaves nothing behind) and the
// per-second file's failure is what is returned.
RecordStore::Opened Recorder::WithPerSecondFile(RecordStore::Opened record, RecordStore::Opened& perSecond)
{
    if (!record.file)
        return record;
    perSecond = m_store.CreatePerSecondFile(record.path);
    if (perSecond.file)
        return record;
    (void)record.file->Close();
    m_store.RemoveIfEmpty(record.path);
    return std::move(perSecond);
}

void Recorder::TakeFiles(RecordStore::Opened record, RecordStore::Opened perSecond)
{
    m_file = std::move(record.file);
    m_perSecond = std::move(perSecond.file);
    m_perSecondName = std::move(perSecond.path);
    m_view.SetRecordingActive(true);
    m_view.SetStatusText(lang::RecordingStatus(m_program.LanguageBase, true, m_program.RecordFileName));
}

void Recorder::GoOnIfTakenAway(std::int64_t now)
{
    if (!m_file || (now - m_lastGoneCheck < kGoneCheckSeconds && now >= m_lastGoneCheck))
        return;
    m_lastGoneCheck = now;
    const bool recordGone = m_file->Gone();
    if (!recordGone && !m_perSecond->Gone())
        return;
    const std::string gone = recordGone ? m_program.RecordFileName : m_perSecondName;
    // Both files go on anew, so that the per-second file lies beside its record file again.
    (void)m_file->Close();
    (void)m_perSecond->Close();
    CloseFiles();
    RecordStore::Opened perSecond;
    RecordStore::Opened opened = WithPerSecondFile(m_store.CreateNext(m_program.RecordFileName), perSecond);
    if (!opened.file) {
        m_program.Recording = false;
        m_view.SetSaveChecked(false);
        ShowNotRecording();
        m_view.ShowMessage(lang::MessageText(m_program.LanguageBase, lang::Message::RecordCannotWrite,
                                             {gone, opened.error.empty() ? std::string("-") : opened.error}));
        return;
    }
    m_program.RecordFileName = opened.path;
    TakeFiles(std::move(opened), std::move(perSecond));
    m_view.ShowMessage(
        lang::MessageText(m_program.LanguageBase, lang::Message::RecordFileGone, {gone, m_program.RecordFileName}));
}

void Recorder::ShowNotRecording()
{
    m_view.SetStatusText(lang::RecordingStatus(m_program.LanguageBase, false, {}));
}

}  // namespace trelvo::recording
