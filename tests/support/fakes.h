#pragma once

// The stand-ins many tests share: a tone that stays silent (and notes what it was asked to
// sound), a save dialog that answers for the user, a clock the test sets, and a record store
// whose files fail after a number of lines.

#include "core/tone.h"
#include "recording/record_file.h"
#include "recording/recorder.h"

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace trelvo::test {

class SilentTone final : public core::ToneOutput {
public:
    void Beep(std::int32_t frequency, std::int32_t) override { frequencies.push_back(frequency); }
    void Prepare() override { ++prepared; }
    std::vector<int> frequencies;
    int prepared = 0;
};

// Answers the save dialog with a file, or cancels when the answer is empty.
class ChosenFile final : public recording::SaveDialog {
public:
    explicit ChosenFile(std::optional<std::string> file = std::nullopt) : answer(std::move(file)) {}
    std::optional<std::string> ShowSave(std::string_view title) override
    {
        titles.emplace_back(title);
        return answer;
    }
    std::optional<std::string> answer;
    std::vector<std::string> titles;
};

// What the window shows of recording: the Save check mark, the status bar, the messages.
class RecordingWindow final : public recording::RecordingView {
public:
    void SetSaveChecked(bool c) override { checked = c; }
    void SetStatusText(std::string_view t) override { status = t; }
    void ShowMessage(std::string_view t) override { messages.emplace_back(t); }
    bool checked = false;
    std::string status = "Data is NOT written to file!";
    std::vector<std::string> messages;
};

// A clock the test sets; the text is 24-hour unless told otherwise.
class SetClock final : public recording::Clock {
public:
    recording::TimeReading Now() override
    {
        ++reads;
        const int h = seconds / 3600 % 24, m = seconds / 60 % 60, s = seconds % 60;
        char text[32];
        if (twelveHour)
            std::snprintf(text, sizeof text, "%d:%02d:%02d %s", h % 12 == 0 ? 12 : h % 12, m, s, h < 12 ? "AM" : "PM");
        else
            std::snprintf(text, sizeof text, "%02d:%02d:%02d", h, m, s);
        return {s, text, day + seconds};
    }
    std::int64_t EpochSeconds() override { return day + seconds; }
    std::int64_t day = 1'796'083'200;  // 2026-12-01T00:00:00Z
    int seconds = 14 * 3600 + 3 * 60 + 20;
    bool twelveHour = false;
    int reads = 0;
};

// A store whose files fail after a number of lines, as a full disk or a pulled stick does.
class FailingStore final : public recording::RecordStore {
public:
    explicit FailingStore(int goodLines) : m_goodLines(goodLines) {}
    // goodRows: the per-second file fails after so many rows (its header row included).
    FailingStore(int goodLines, int goodRows) : m_goodLines(goodLines), m_goodRows(goodRows) {}
    Opened Create(const std::string& path) override { return {std::make_unique<File>(lines, m_goodLines), {}, path}; }
    Opened CreatePerSecondFile(const std::string& path) override
    {
        return {std::make_unique<File>(rows, m_goodRows), {}, path + ".csv"};
    }
    std::vector<std::string> lines;
    std::vector<std::string> rows;

private:
    class File final : public recording::RecordFile {
    public:
        File(std::vector<std::string>& lines, int good) : m_lines(lines), m_good(good) {}
        std::string Append(std::string_view line) override
        {
            if (static_cast<int>(m_lines.size()) >= m_good)
                return "Input/output error";
            m_lines.emplace_back(line);
            return {};
        }
        std::string Close() override { return {}; }

    private:
        std::vector<std::string>& m_lines;
        int m_good;
    };
    int m_goodLines;
    int m_goodRows = 1'000'000;
};

}  // namespace trelvo::test
