#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

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
// The nights window.
inline constexpr int kMenuNights = 40;
inline constexpr int kMenuShowNights = 41;
inline constexpr int kNightsTitle = 42;
inline constexpr int kNightsFolder = 43;
inline constexpr int kChooseFolder = 44;
inline constexpr int kOpenFolder = 45;
inline constexpr int kCancel = 46;
inline constexpr int kColumnDate = 47;  // the columns follow in their order
inline constexpr int kColumnCount = 13;
inline constexpr int kUnreadableFiles = 60;
inline constexpr int kNightTab = 61;
inline constexpr int kTrendTab = 62;
inline constexpr int kReadingFolder = 67;
inline constexpr int kReadingCancelled = 68;
inline constexpr int kNightsListed = 69;
inline constexpr int kNightViewHelp = 70;
inline constexpr int kNotWritten = 71;
inline constexpr int kWritten = 72;
inline constexpr int kWithWave = 73;
inline constexpr int kNoNightChosen = 74;
inline constexpr int kRecordingNow = 75;
inline constexpr int kFolderDialogTitle = 76;
inline constexpr int kNightUnreadable = 77;
inline constexpr int kNoWaveHere = 78;
inline constexpr int kDoctorsReport = 79;
inline constexpr int kDoctorsReportTitle = 80;
inline constexpr int kNightsFrom = 81;
inline constexpr int kNightsTo = 82;
inline constexpr int kOnlySelected = 83;
inline constexpr int kPersonName = 84;
inline constexpr int kPersonBorn = 85;
inline constexpr int kNoNightInRange = 86;
inline constexpr int kWritingReport = 87;
inline constexpr int kWouldReplace = 88;
// F1: the keys of a window.
inline constexpr int kKeysTitle = 89;
inline constexpr int kMainKeys = 90;
inline constexpr int kNightsKeys = 91;
inline constexpr int kStartKeys = 92;
// What a screen reader calls the controls that show no text of their own.
inline constexpr int kNameSpO2 = 300;
inline constexpr int kNamePulse = 301;
inline constexpr int kNameProbeStatus = 302;
inline constexpr int kNameTime = 303;
inline constexpr int kNamePulseBar = 304;
inline constexpr int kNameWave = 305;
inline constexpr int kNameLogo = 306;
inline constexpr int kNameNights = 307;
inline constexpr int kNameNightChart = 308;
inline constexpr int kNameTabs = 309;
inline constexpr int kNameUnreadable = 310;
inline constexpr int kNameProgress = 311;
inline constexpr int kNameChartScroll = 312;
inline constexpr int kNameTrend = 313;
inline constexpr int kNameFirstNight = 314;
inline constexpr int kNameLastNight = 315;
inline constexpr int kNameReadout = 316;
inline constexpr int kNameStatusLine = 317;
// What a screen reader is told of the live values: "SpO2 96 percent".
inline constexpr int kSaySpO2 = 318;
inline constexpr int kSayPulse = 319;
inline constexpr int kNoValue = 320;
inline constexpr int kNameAnnouncement = 321;
// A night's events and figures beside its chart.
inline constexpr int kEventsTab = 322;
inline constexpr int kFiguresTab = 323;
inline constexpr int kEventHeader = 324;  // the columns' names follow
inline constexpr int kEventColumns = 6;
inline constexpr int kDesaturationKind = 330;
inline constexpr int kPulseRiseKind = 331;
inline constexpr int kEventCounts = 332;
inline constexpr int kNameEvents = 333;
inline constexpr int kNameFigures = 334;
inline constexpr int kSecondsValue = 335;
inline constexpr int kYes = 336;
inline constexpr int kNameEventsAndFigures = 337;
// Why a moment of a night has no reading, and the event under it, as the readout says them.
inline constexpr int kNoDataHere = 338;
inline constexpr int kProbeOffHere = 339;
inline constexpr int kNoFingerHere = 340;
inline constexpr int kDesaturationHere = 341;
inline constexpr int kPulseRiseHere = 342;
// Time the person marked as not to be counted, under the excluded time.
inline constexpr int kMarkedName = 343;
inline constexpr int kMarkedValue = 344;
// A night's notes: the note's name, the tags a person may pick (in the order of kKnownTags), and
// the notes beside the chart.
inline constexpr int kNoteName = 345;
inline constexpr int kTagNames = 346;  // 6 of them
inline constexpr int kNotesTab = 352;
inline constexpr int kNoteEditName = 353;
inline constexpr int kTagsName = 354;
inline constexpr int kMarksName = 355;
inline constexpr int kMarkButton = 356;
inline constexpr int kUnmarkButton = 357;
inline constexpr int kUndoButton = 358;
inline constexpr int kMarkTitle = 359;
inline constexpr int kMarkFrom = 360;
inline constexpr int kMarkTo = 361;
inline constexpr int kMarkReason = 362;
inline constexpr int kReasons = 363;  // 3 of them, the last "other"
inline constexpr int kNotesNotSaved = 366;
inline constexpr int kNotesKept = 367;
inline constexpr int kNotesUnreadable = 368;
inline constexpr int kMarkLine = 369;
// The trend over a range of nights: the range, the measures shown, their means and medians.
inline constexpr int kTrendRange = 370;
inline constexpr int kTrendRanges = 371;  // 7, 30, 90 days, all, from–to
inline constexpr int kTrendRangeCount = 5;
inline constexpr int kTrendFrom = 376;
inline constexpr int kTrendTo = 377;
inline constexpr int kTrendMeasures = 378;
inline constexpr int kMeasureNames = 379;  // ODI3, ODI4, T90, T88, SpO2 mean, SpO2 lowest, pulse
inline constexpr int kTrendNights = 386;
inline constexpr int kMeanName = 387;
inline constexpr int kMedianName = 388;
inline constexpr int kNameTrendFigures = 389;
inline constexpr int kTrendKeys = 390;
inline constexpr int kNotCountedHere = 391;  // the readout in a marked stretch
// The report's texts; the rows of a table follow its header's first.
namespace report {
inline constexpr int kPulsePanel = 100;
inline constexpr int kTrendOdi3 = 101;
inline constexpr int kTrendT90 = 102;
inline constexpr int kTrendFoot = 103;
inline constexpr int kHourHeader = 104;
inline constexpr int kPictureLine = 110;
inline constexpr int kNoDiagnosis = 111;
inline constexpr int kFigureNames = 112;
inline constexpr int kRecordedValue = 124;
inline constexpr int kAnalysedValue = 125;
inline constexpr int kExcludedValue = 126;
inline constexpr int kSpO2Value = 127;
inline constexpr int kNoValidReading = 128;
inline constexpr int kBaselineValue = 129;
inline constexpr int kNoBaseline = 130;
inline constexpr int kT90Value = 131;
inline constexpr int kT88Value = 132;
inline constexpr int kPerHourValue = 133;
inline constexpr int kPulseValue = 134;
inline constexpr int kResolutionPerSecond = 135;
inline constexpr int kResolutionRecord = 136;
inline constexpr int kPanelsHeading = 137;
inline constexpr int kBandsHeading = 138;
inline constexpr int kHoursHeading = 139;
inline constexpr int kHowCounted = 140;
inline constexpr int kResolutionAfter = 141;
inline constexpr int kNightsTitle = 142;
inline constexpr int kPersonName = 143;
inline constexpr int kPersonBorn = 144;
inline constexpr int kTheNights = 145;
inline constexpr int kTheNightsContinued = 146;
inline constexpr int kNightsHeader = 147;
inline constexpr int kMeanOf = 157;
inline constexpr int kShortNights = 158;
inline constexpr int kTrendHeading = 159;
inline constexpr int kPageOf = 160;
inline constexpr int kNightUnreadable = 161;
inline constexpr int kRange = 162;
inline constexpr int kNightTitle = 163;
inline constexpr int kResolutionPerSecondLong = 164;
inline constexpr int kResolutionRecordLong = 165;
inline constexpr int kRules = 166;
inline constexpr int kMinutes = 167;
inline constexpr int kBandValue = 168;
// The summary on stdout.
inline constexpr int kFileLabel = 169;
inline constexpr int kBeatsLabel = 170;
inline constexpr int kBeatDetectorLabel = 171;
inline constexpr int kRulesLabel = 172;
inline constexpr int kUnreadableLabel = 173;
inline constexpr int kRecordedLine = 174;
inline constexpr int kAnalysedLine = 175;
inline constexpr int kExcludedLine = 176;
inline constexpr int kSpO2Line = 177;
inline constexpr int kBaselineLine = 178;
inline constexpr int kNoBaselineLine = 179;
inline constexpr int kBandLine = 180;
inline constexpr int kT90Line = 181;
inline constexpr int kT88Line = 182;
inline constexpr int kBeatsLine = 183;
inline constexpr int kBeatDetectorLine = 184;
inline constexpr int kHourTableHeader = 185;
inline constexpr int kBeatsColumn = 186;
inline constexpr int kNoDiagnosisShort = 187;
inline constexpr int kNightsTableHeader = 188;
inline constexpr int kPictureTitle = 189;
inline constexpr int kTrendTitle = 190;
inline constexpr int kSourcePerSecond = 191;
inline constexpr int kSourceRecord = 192;
inline constexpr int kSourceWith = 193;
inline constexpr int kDateLabel = 194;
inline constexpr int kDateGiven = 195;
inline constexpr int kDateFromFile = 196;
inline constexpr int kSourceDate = 197;
inline constexpr int kWaveTitle = 198;
inline constexpr int kWaveHeading = 199;
inline constexpr int kBeatsPerMinute = 200;
inline constexpr int kWaveFoot = 201;
// The lines that name the files written.
inline constexpr int kWaveLabel = 202;
inline constexpr int kFromTo = 203;
inline constexpr int kPlotLabel = 204;
inline constexpr int kPdfLabel = 205;
inline constexpr int kEventsLabel = 206;
inline constexpr int kEventsWritten = 207;
inline constexpr int kCsvLabel = 208;
inline constexpr int kRowsWritten = 209;
inline constexpr int kEdfLabel = 210;
inline constexpr int kWithoutPleth = 211;
inline constexpr int kOscarLabel = 212;
inline constexpr int kPicturesLabel = 213;
inline constexpr int kPicturesWritten = 214;
inline constexpr int kSomePicturesWritten = 215;
inline constexpr int kNightsPdfWritten = 216;
inline constexpr int kNightsWritten = 217;
inline constexpr int kTrendLabel = 218;
inline constexpr int kNotWritten = 219;
inline constexpr int kDateFromFileTime = 220;
// What went wrong with a file: 221 + Problem::Code (up to 299).
inline constexpr int kProblems = 221;
inline constexpr int kHourColumns = 6;
inline constexpr int kFigureCount = 12;
inline constexpr int kNightsColumns = 10;
}  // namespace report
}  // namespace text

// The messages a user may read beyond the window's own texts; %1, %2 ... stand for the values
// they name.
enum class Message {
    PortNoSuchDevice,
    PortBusy,
    PortPermissionDenied,  // %1 the group that owns the device
    PortNotASerialPort,
    PortInvalidNumber,
    PortOpenFailed,      // %1 the COM number, %2 the device, %3 the reason
    PortUnusableTip,     // %1 the device, %2 the reason
    RecordCannotCreate,  // %1 the file, %2 the reason
    RecordCannotWrite,   // %1 the file, %2 the reason
    RecordCannotFinish,  // %1 the file, %2 the reason
    RecordInUse,         // %1 the file
    RecordFileGone,      // %1 the file taken away, %2 the file recording goes on into
};

struct TableEntry {
    int id;
    std::string_view utf8;
};

struct MessageEntry {
    std::int16_t base;
    Message message;
    std::string_view utf8;
};

// A language of the interface: its base and the Language menu item that chooses it.
struct Language {
    std::int16_t base;
    std::string_view caption;        // the menu item's text, the same in every language
    std::string_view menuName;       // the menu item's name
    char decimalSeparator;           // in the numbers of the report's texts
    std::string_view dateForm;       // of the dates in the report's texts: dd.MM.yyyy, yyyy-MM-dd
    std::string_view qtName = "en";  // of Qt's own translations (its dialogs' texts): de, en
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

// The languages, in the order of the Language menu.
[[nodiscard]] std::span<const Language> Languages() noexcept;
[[nodiscard]] bool IsLanguage(int base) noexcept;

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

// A message in the language with this base (English where it has none), its %1, %2 ... replaced
// by the values in order. Values are taken as they are, even if they hold a "%2".
[[nodiscard]] std::string MessageText(std::int32_t languageBase, Message message,
                                      std::initializer_list<std::string_view> values = {});

// The status bar's text for the recording state: "Data written to:" directly followed by the
// record file's path (UTF-8), or "Data is NOT written to file!".
[[nodiscard]] std::string RecordingStatus(std::int32_t languageBase, bool recording, std::string_view recordFileName);

// What the program speaks: its languages, the texts (in ascending id order) and the messages.
struct Catalog {
    std::vector<Language> languages;
    std::vector<TableEntry> texts;
    std::vector<MessageEntry> messages;
};

// The program's own languages, as written into the tables; what it reads unless told otherwise.
[[nodiscard]] const Catalog& BuiltInCatalog();

// Another catalog read in its place for as long as this object lives (a further language is
// nothing but data: a test shows it so). The catalog must outlive it.
class UseCatalog final {
public:
    explicit UseCatalog(const Catalog& catalog);
    ~UseCatalog();
    UseCatalog(const UseCatalog&) = delete;
    UseCatalog& operator=(const UseCatalog&) = delete;

private:
    const Catalog* m_before;
};

}  // namespace trelvo::lang
