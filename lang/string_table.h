#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace trelvo::lang {

// The language is chosen by one number; a text is always fetched by base + offset.
inline constexpr std::int16_t kGerman = 0;
inline constexpr std::int16_t kEnglish = 1000;

// Offsets of the texts, by what they are shown as.
namespace text {
inline constexpr int kMenuFile = 2;
inline constexpr int kMenuSave = 3;
inline constexpr int kEnd = 4;
inline constexpr int kMenuTone = 5;
inline constexpr int kMenuPulseTone = 6;
inline constexpr int kPulseHeading = 11;
inline constexpr int kClockHeading = 12;
inline constexpr int kNotRecording = 20;
inline constexpr int kSaveDialogTitle = 21;
inline constexpr int kRecordingTo = 22;
inline constexpr int kNoProbe = 23;
inline constexpr int kNoSerialData = 24;
inline constexpr int kNoSignal = 25;
inline constexpr int kNoProbeTip = 26;
inline constexpr int kNoSignalTip = 27;
inline constexpr int kMeasuringTip = 28;
inline constexpr int kNoSerialDataTip = 29;
inline constexpr int kNotForMonitoring = 30;
inline constexpr int kMenuLanguage = 31;
}  // namespace text

struct TableEntry {
    int id;
    std::string_view utf8;
};

// Thrown when a text is asked for by an id the table does not hold (only an unknown language
// base can lead there).
class MissingText final : public std::out_of_range {
public:
    explicit MissingText(int id);
    [[nodiscard]] int id() const noexcept { return m_id; }

private:
    int m_id;
};

// Every entry of the table, in ascending id order. Texts are UTF-8.
[[nodiscard]] std::span<const TableEntry> AllTexts() noexcept;

// The text with this id, or nothing when the table has no such id.
[[nodiscard]] std::optional<std::string_view> FindText(int id) noexcept;

// The text with this id; throws MissingText when the table has no such id.
[[nodiscard]] std::string_view Text(int id);

// The text at offset n in the language with this base.
[[nodiscard]] inline std::string_view Text(std::int16_t languageBase, int n)
{
    return Text(languageBase + n);
}

// The status bar's text for the recording state: "Data written to:" directly followed by the
// record file's path (UTF-8), or "Data is NOT written to file!".
[[nodiscard]] std::string RecordingStatus(std::int32_t languageBase, bool recording, std::string_view recordFileName);

}  // namespace trelvo::lang
