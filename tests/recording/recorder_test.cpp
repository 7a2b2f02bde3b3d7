#include "lang/string_table.h"
#include "recording/per_second_file.h"
#include "recording/record_line.h"
#include "recording/recorder.h"
#include "support/fakes.h"
#include "support/time_zone.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace trelvo::recording {
namespace {

namespace fs = std::filesystem;
using test::FailingStore;

TEST(RecordLine, CopiesTheFieldsWithTwoBlanksBeforeTheStatusAndEndsInCrLf)
{
    EXPECT_EQ(RecordLine("97", "72", "14:03:25", "OK!"), "S 97 P 72 T 14:03:25  OK!\r\n");
    EXPECT_EQ(RecordLine("--", "---", "14:03:25", "No Probe!"), "S -- P --- T 14:03:25  No Probe!\r\n");
    EXPECT_EQ(RecordLine("97", "72", "2:03:25 PM", ""), "S 97 P 72 T 2:03:25 PM  \r\n");
}

TEST(RecordLine, AnEmptySpO2FieldGivesPlaceholdersWhateverThePulseFieldShows)
{
    EXPECT_EQ(RecordLine("", "72", "14:03:25", "No Serial Data!"), "S XX P XXX T 14:03:25  No Serial Data!\r\n");
    EXPECT_EQ(RecordLine("", "", "14:03:25", ""), "S XX P XXX T 14:03:25  \r\n");
    EXPECT_EQ(RecordLine("97", "", "14:03:25", "OK!"), "S 97 P  T 14:03:25  OK!\r\n") << "pulse taken even if empty";
}

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class RecorderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("trelvo-rec-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
        file = (dir / "night.txt").string();
        dialog.answer = file;
    }
    void TearDown() override { fs::remove_all(dir); }

    // As the pipeline does: the values behind the fields reach the recorder before it writes, and
    // each batch of bytes comes with its second.
    void Tick(Recorder& r)
    {
        r.TakeUnitValues(shown.Unit, shown.NoData);
        r.Tick(shown);
    }
    void Batch(Recorder& r)
    {
        r.TakeUnitValues(shown.Unit, shown.NoData);
        r.BeginBatch(clock.EpochSeconds());
    }

    // Ticks every 500 ms of the set clock for the given number of seconds.
    void Run(int seconds)
    {
        for (int i = 0; i < 2 * seconds; ++i) {
            Tick(recorder);
            if (i % 2)
                ++clock.seconds;
        }
    }
    [[nodiscard]] std::vector<std::string> Lines() const
    {
        std::vector<std::string> lines;
        std::string content = ReadFile(file);
        for (std::size_t at = 0; at < content.size();) {
            const std::size_t end = content.find("\r\n", at);
            EXPECT_NE(end, std::string::npos) << "a line without its end";
            if (end == std::string::npos)
                break;
            lines.push_back(content.substr(at, end - at));
            at = end + 2;
        }
        return lines;
    }
    [[nodiscard]] static std::vector<std::string> Times(const std::vector<std::string>& lines)
    {
        std::vector<std::string> times;
        for (const std::string& l : lines)
            times.push_back(l.substr(l.find(" T ") + 3, l.find("  ") - l.find(" T ") - 3));
        return times;
    }

    fs::path dir;
    std::string file;
    core::ProgramState program;
    core::Reading shown{
        .SpO2Text = "97", .PulseText = "72", .StatusText = "OK!", .StatusTip = {}, .Unit = {97, 72, 0, true}};
    core::UnitValues& unit = shown.Unit;
    test::SetClock clock;
    test::ChosenFile dialog;
    DiskRecordStore disk;
    test::RecordingWindow view;
    Recorder recorder{program, clock, dialog, disk, view};
};

TEST_F(RecorderTest, SwitchingOnAsksForTheFileCreatesItEmptyAndSaysWhere)
{
    recorder.Toggle();
    EXPECT_TRUE(program.Recording);
    EXPECT_TRUE(view.checked);
    EXPECT_EQ(dialog.titles, (std::vector<std::string>{"Save Data"}));
    EXPECT_EQ(view.status, "Data written to:" + file);
    EXPECT_EQ(program.RecordFileName, file);
    EXPECT_TRUE(fs::exists(file));
    EXPECT_EQ(fs::file_size(file), 0u);
    EXPECT_TRUE(view.messages.empty());
}

TEST_F(RecorderTest, WhileOffOrChoosingNothingIsReadOrWritten)
{
    Run(20);
    EXPECT_EQ(clock.reads, 0) << "the time is read only when a line may be due";
    EXPECT_EQ(recorder.NextRecordDigit(), '0') << "set on the first tick all the same";

    // The dialog is open: recording is on, the file not chosen yet, and the ticks go on.
    class SlowDialog final : public SaveDialog {
    public:
        std::optional<std::string> ShowSave(std::string_view) override
        {
            whileOpen();
            return path;
        }
        std::function<void()> whileOpen;
        std::string path;
    } slow;
    slow.path = file;
    Recorder withDialog{program, clock, slow, disk, view};
    slow.whileOpen = [&] {
        EXPECT_TRUE(program.Recording);
        EXPECT_TRUE(withDialog.FileNotReady());
        for (int i = 0; i < 20; ++i) {
            Tick(withDialog);
            clock.seconds += i % 2;
        }
    };
    withDialog.Toggle();
    EXPECT_EQ(clock.reads, 0);
    EXPECT_EQ(fs::file_size(file), 0u);
    EXPECT_FALSE(withDialog.FileNotReady());
}

TEST_F(RecorderTest, LinesFallEveryFiveSecondsOnTheDigitsZeroAndFive)
{
    clock.seconds = 14 * 3600 + 3 * 60 + 22;
    recorder.Toggle();
    Run(31);
    const auto lines = Lines();
    EXPECT_EQ(Times(lines), (std::vector<std::string>{"14:03:30", "14:03:35", "14:03:40", "14:03:45", "14:03:50"}))
        << "two ticks a second, one line; the first at the next :x0 since the digit starts at 0";
    EXPECT_EQ(lines[0], "S 97 P 72 T 14:03:30  OK!");
}

TEST_F(RecorderTest, AMissedSecondGivesAFifteenSecondGapThenFiveSecondSteps)
{
    clock.seconds = 14 * 3600 + 3 * 60 + 29;
    recorder.Toggle();
    Run(2);                                   // 14:03:29, :30 → line at :30
    clock.seconds = 14 * 3600 + 3 * 60 + 36;  // the window was busy through :35
    Run(15);                                  // :36 .. :50
    EXPECT_EQ(Times(Lines()), (std::vector<std::string>{"14:03:30", "14:03:45", "14:03:50"}));
}

TEST_F(RecorderTest, ATwelveHourTimeTextRecordsAllTheSame)
{
    clock.twelveHour = true;
    clock.seconds = 14 * 3600 + 3 * 60 + 58;
    recorder.Toggle();
    Run(13);
    EXPECT_EQ(Times(Lines()), (std::vector<std::string>{"2:04:00 PM", "2:04:05 PM", "2:04:10 PM"}));
}

TEST_F(RecorderTest, TheFieldsAsShownAtTheMomentOfWriting)
{
    clock.seconds = 14 * 3600 + 3 * 60 + 29;
    recorder.Toggle();
    shown.SpO2Text = "";
    shown.StatusText = "No Serial Data!";
    Run(2);
    shown.SpO2Text = "--";
    shown.PulseText = "---";
    shown.StatusText = "";
    Run(5);
    EXPECT_EQ(ReadFile(file), "S XX P XXX T 14:03:30  No Serial Data!\r\nS -- P --- T 14:03:35  \r\n");
}

TEST_F(RecorderTest, OffThenOnAgainEmptiesTheFileAndKeepsTheDigit)
{
    clock.seconds = 14 * 3600 + 3 * 60 + 29;
    recorder.Toggle();
    Run(2);  // line at :30; the digit is now 5
    recorder.Toggle();
    EXPECT_FALSE(program.Recording);
    EXPECT_FALSE(view.checked);
    EXPECT_EQ(view.status, "Data is NOT written to file!");
    EXPECT_EQ(Lines().size(), 1u);
    EXPECT_EQ(recorder.NextRecordDigit(), '5');

    clock.seconds = 14 * 3600 + 4 * 60 + 1;  // :01; the next due second is :05 (the digit left over)
    recorder.Toggle();
    EXPECT_EQ(fs::file_size(file), 0u) << "the new recording starts from an empty file";
    Run(6);
    EXPECT_EQ(Times(Lines()), (std::vector<std::string>{"14:04:05"}));
}

TEST_F(RecorderTest, CancellingTheDialogLeavesEverythingOffAndSilent)
{
    dialog.answer.reset();
    view.status = "before";
    recorder.Toggle();
    EXPECT_FALSE(program.Recording);
    EXPECT_FALSE(view.checked);
    EXPECT_EQ(view.status, "before");
    EXPECT_TRUE(view.messages.empty());
    EXPECT_FALSE(fs::exists(file));
}

TEST_F(RecorderTest, AFileThatCannotBeCreatedIsExplainedAndRecordingStaysOff)
{
    // As root every permission check passes; a missing folder and a folder in the file's place
    // cannot be created by anyone.
    program.LanguageBase = lang::kGerman;
    for (const fs::path& target : {dir / "no-such-folder" / "night.txt", dir}) {
        view.messages.clear();
        dialog.answer = target.string();
        recorder.Toggle();
        EXPECT_FALSE(program.Recording) << target;
        EXPECT_FALSE(view.checked);
        EXPECT_EQ(view.status, "Daten werden NICHT abgespeichert!") << "not 'written to' a file that is not written";
        ASSERT_EQ(view.messages.size(), 1u);
        EXPECT_NE(view.messages[0].find(target.string()), std::string::npos) << view.messages[0];
        EXPECT_NE(view.messages[0].find("lässt sich nicht anlegen"), std::string::npos) << view.messages[0];
        Run(10);
    }
}

TEST_F(RecorderTest, AWriteFailureStopsRecordingWithAMessageAndKeepsTheEarlierLines)
{
    FailingStore failing(2);
    Recorder r{program, clock, dialog, failing, view};
    clock.seconds = 14 * 3600 + 3 * 60 + 29;
    r.Toggle();
    for (int i = 0; i < 40; ++i) {
        Tick(r);
        clock.seconds += i % 2;
    }
    EXPECT_EQ(failing.lines.size(), 2u);
    EXPECT_FALSE(program.Recording);
    EXPECT_FALSE(view.checked);
    EXPECT_EQ(view.status, "Data is NOT written to file!");
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_NE(view.messages[0].find(file), std::string::npos);
    EXPECT_NE(view.messages[0].find("Input/output error"), std::string::npos);
}

TEST_F(RecorderTest, ADeviceWithNoSpaceLeftStopsRecordingAtTheFirstLine)
{
    dialog.answer = "/dev/full";
    clock.seconds = 14 * 3600 + 3 * 60 + 29;
    recorder.Toggle();
    ASSERT_TRUE(program.Recording);
    Run(3);
    EXPECT_FALSE(program.Recording);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_NE(view.messages[0].find("No space left on device"), std::string::npos) << view.messages[0];
}

// A file taken away while it is written (deleted, or moved to another disk): noticed within the
// check's interval, said, and recording goes on into files that have names; a pipe chosen as the
// record file is refused at once; a disk full at the start leaves no empty files.
TEST_F(RecorderTest, AFileTakenAwayIsNoticedAndRecordingGoesOn)
{
    recorder.Toggle();
    Run(12);
    fs::remove(file);
    fs::remove(dir / "night.csv");
    Run(Recorder::kGoneCheckSeconds + 1);
    EXPECT_TRUE(program.Recording);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0], "The file " + file +
                                    " was deleted or moved to another disk while recording. "
                                    "Recording goes on into " +
                                    file + ".");
    EXPECT_EQ(view.status, "Data written to:" + file);
    Run(10);
    EXPECT_GE(Lines().size(), 2u);
    const std::string rows = ReadFile((dir / "night.csv").string());
    EXPECT_GE(std::count(rows.begin(), rows.end(), '\n'), 10);
    recorder.Toggle();

    const fs::path pipe = dir / "pipe.txt";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    dialog.answer = pipe.string();
    view.messages.clear();
    recorder.Toggle();
    EXPECT_FALSE(program.Recording);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_NE(view.messages[0].find("it is a pipe, not a file"), std::string::npos) << view.messages[0];

    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit none = old;
    none.rlim_cur = 8;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &none), 0);
    dialog.answer = (dir / "full.txt").string();
    recorder.Toggle();
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(program.Recording);
    EXPECT_FALSE(fs::exists(dir / "full.txt"));
    EXPECT_FALSE(fs::exists(dir / "full.csv"));
}

// A disk that fills up in the middle of a row: both files keep whole lines only, and one message
// names the file that could not be written.
TEST_F(RecorderTest, ARowCutOffByAFullDiskIsTakenBack)
{
    const std::size_t header = kPerSecondHeader.size() + 2;
    const std::size_t row = PerSecondRow(0, {shown.Unit, false}).size();
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = static_cast<rlim_t>(header + 12 * row + row / 2);  // room for 12.5 rows
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);

    clock.seconds = 14 * 3600 + 3 * 60 + 29;
    recorder.Toggle();
    Run(20);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);

    EXPECT_FALSE(program.Recording);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_NE(view.messages[0].find((dir / "night.csv").string()), std::string::npos) << view.messages[0];
    EXPECT_NE(view.messages[0].find("File too large"), std::string::npos) << view.messages[0];
    EXPECT_EQ(ReadFile(dir / "night.csv").size(), header + 12 * row) << "twelve whole rows, the cut one taken back";
    EXPECT_EQ(Times(Lines()), (std::vector<std::string>{"14:03:30", "14:03:35", "14:03:40"}))
        << "the record file stopped with it, after whole lines";
}

// The reading and the time are UTF-8 everywhere; the file turns each whole line into its own
// encoding, once.
TEST_F(RecorderTest, TheFileEncodesEachLineOnce)
{
    int encoded = 0;
    DiskRecordStore latin1([&encoded](std::string_view utf8) {
        ++encoded;
        std::string out;
        for (std::size_t i = 0; i < utf8.size(); ++i) {
            const auto c = static_cast<unsigned char>(utf8[i]);
            if (c == 0xC3 && i + 1 < utf8.size())
                out += static_cast<char>(static_cast<unsigned char>(utf8[++i]) + 0x40);
            else
                out += static_cast<char>(c);
        }
        return out;
    });
    Recorder r{program, clock, dialog, latin1, view};
    shown.StatusText = "Grün";
    clock.seconds = 14 * 3600 + 3 * 60 + 29;
    r.Toggle();
    for (int i = 0; i < 4; ++i) {
        Tick(r);
        clock.seconds += i % 2;
    }
    r.CloseRecordFile();
    EXPECT_EQ(encoded, 1);
    EXPECT_EQ(ReadFile(file), "S 97 P 72 T 14:03:30  Gr\xfcn\r\n");
}

TEST(PerSecondRow, CarriesTheUnitsValuesAndStatus)
{
    const test::TimeZone zone("UTC");
    const std::int64_t t = 1'796'083'200 + 23 * 3600 + 40 * 60 + 1;
    const auto row = [](core::UnitValues unit, bool noData = false) {
        return PerSecondRow(1'796'083'200 + 23 * 3600 + 40 * 60 + 1, {unit, noData});
    };
    EXPECT_EQ(row({97, 72, 0, true}), "2026-12-01T23:40:01+00:00,97,72,ok,\r\n");
    EXPECT_EQ(row({100, 254, 0, true}), "2026-12-01T23:40:01+00:00,100,254,ok,\r\n")
        << "100 % is a value here, though the field shows --";
    EXPECT_EQ(row({127, 255, 1, true}), "2026-12-01T23:40:01+00:00,,,no_probe,\r\n");
    EXPECT_EQ(row({0, 0, 2, true}), "2026-12-01T23:40:01+00:00,0,0,no_signal,\r\n");
    EXPECT_EQ(row({0, 0, 200, true}), "2026-12-01T23:40:01+00:00,0,0,other:200,\r\n");
    const std::uint8_t wave[] = {0, 9, 247};
    EXPECT_EQ(PerSecondRow(t, {{97, 72, 0, true}, false}, wave), "2026-12-01T23:40:01+00:00,97,72,ok,0 9 247\r\n");
    EXPECT_EQ(row({97, 72, 0, true}, true), "2026-12-01T23:40:01+00:00,,,no_data,\r\n")
        << "without data the last values are not the unit's values at that second";
}

// Local time with the offset in force at each second: midnight changes the date, the end of
// summer time repeats an hour under another offset.
TEST(PerSecondRow, LocalTimeKeepsDatesAndOffsetsAcrossMidnightAndClockChanges)
{
    test::TimeZone zone("Europe/Berlin");
    const std::int64_t midnight = 1'796'083'200 + 23 * 3600;  // 2026-12-02 00:00 in Berlin
    EXPECT_EQ(IsoLocalTime(midnight - 1), "2026-12-01T23:59:59+01:00");
    EXPECT_EQ(IsoLocalTime(midnight), "2026-12-02T00:00:00+01:00");
    const std::int64_t change = 1'792'890'000;  // 2026-10-25 01:00 UTC: 03:00 summer time becomes 02:00
    EXPECT_EQ(IsoLocalTime(change - 1), "2026-10-25T02:59:59+02:00");
    EXPECT_EQ(IsoLocalTime(change), "2026-10-25T02:00:00+01:00");
    zone.Set("America/St_Johns");
    EXPECT_EQ(IsoLocalTime(midnight), "2026-12-01T19:30:00-03:30");
}

TEST(PerSecondPath, NamedAfterTheRecordFile)
{
    EXPECT_EQ(PerSecondPath("/home/a/night.txt", 1), "/home/a/night.csv");
    EXPECT_EQ(PerSecondPath("/home/a/night.txt", 2), "/home/a/night-2.csv");
    EXPECT_EQ(PerSecondPath("/home/a.b/night", 1), "/home/a.b/night.csv");
    EXPECT_EQ(PerSecondPath("/home/a/.night", 1), "/home/a/.night.csv");
    EXPECT_EQ(PerSecondPath("night.tar.gz", 3), "night.tar-3.csv");
}

// A second's row is written once the second is over: the values the fields had then, and the
// wave samples that arrived in it.
TEST_F(RecorderTest, ARowForEverySecondOnceItIsOverWithItsWave)
{
    const test::TimeZone zone("UTC");
    const auto samples = [this](std::initializer_list<std::uint8_t> wave) {
        Batch(recorder);
        recorder.TakeWaveSamples(std::vector<std::uint8_t>(wave));
    };
    clock.seconds = 23 * 3600 + 59 * 60 + 58;
    recorder.Toggle();
    EXPECT_EQ(recorder.PerSecondFileName(), (dir / "night.csv").string());
    samples({10, 20});
    Run(1);  // 23:59:58
    samples({30});
    unit = {88, 255, 0, true};  // a status byte late in 23:59:59
    shown.SpO2Text = "88";
    shown.PulseText = "---";
    Run(1);              // 23:59:59
    Run(1);              // 00:00:00: the record line
    clock.seconds += 2;  // the window was busy for two seconds
    samples({40});       // 00:00:03
    unit.Status = 7;
    Run(1);
    samples({});  // bytes early in 00:00:04, before the no-data warning comes on
    shown.NoData = true;
    shown.SpO2Text.clear();
    Run(1);             // 00:00:04
    recorder.Toggle();  // the second being gathered is written as it is
    EXPECT_EQ(ReadFile(dir / "night.csv"), std::string(kPerSecondHeader) +
                                               "\r\n"
                                               "2026-12-01T23:59:58+00:00,97,72,ok,10 20\r\n"
                                               "2026-12-01T23:59:59+00:00,88,,ok,30\r\n"
                                               "2026-12-02T00:00:00+00:00,88,,ok,\r\n"
                                               "2026-12-02T00:00:01+00:00,88,,ok,\r\n"
                                               "2026-12-02T00:00:02+00:00,88,,ok,\r\n"
                                               "2026-12-02T00:00:03+00:00,88,,other:7,40\r\n"
                                               "2026-12-02T00:00:04+00:00,,,no_data,\r\n");
    EXPECT_EQ(ReadFile(file), "S 88 P --- T 00:00:00  OK!\r\n");
    EXPECT_TRUE(recorder.PerSecondFileName().empty());

    // A break longer than a stall (the computer slept) stays a gap; nothing is invented for it.
    recorder.Toggle();
    Run(1);
    clock.seconds += 600;
    Run(1);
    recorder.Toggle();
    const std::string rows = ReadFile(dir / "night-2.csv");
    EXPECT_EQ(std::count(rows.begin(), rows.end(), '\n'), 3) << rows;
}

TEST_F(RecorderTest, NeverWritesOverAFileItDidNotWrite)
{
    const auto put = [](const fs::path& path, const std::string& content) { std::ofstream(path) << content; };
    // Only a file of ours that holds nothing but the header row is written afresh.
    put(dir / "night.csv", "budget,2026\r\n");
    put(dir / "night-2.csv", std::string(kPerSecondHeader));  // the header cut short: not ours either
    put(dir / "night-3.csv", std::string(kPerSecondHeaderWithoutWave) + "\r\n");
    recorder.Toggle();
    EXPECT_EQ(recorder.PerSecondFileName(), (dir / "night-3.csv").string()) << "an empty file of ours is reused";
    Run(1);
    recorder.Toggle();
    EXPECT_EQ(ReadFile(dir / "night.csv"), "budget,2026\r\n");
    EXPECT_EQ(ReadFile(dir / "night-2.csv"), kPerSecondHeader);
    EXPECT_EQ(std::count_if(fs::directory_iterator(dir), {}, [](auto&) { return true; }), 4);

    // A record file named .csv itself: its per-second file takes the next name; folders and
    // files with rows are taken.
    fs::create_directory(dir / "night-4.csv");
    dialog.answer = (dir / "night.csv").string();
    recorder.Toggle();
    EXPECT_EQ(recorder.PerSecondFileName(), (dir / "night-5.csv").string());
    recorder.Toggle();
    EXPECT_TRUE(view.messages.empty());
}

// Another night's rows are never emptied: a recording into night, night.log or night.TXT (all
// of which pair with night.csv) after night.txt takes the next free name.
TEST_F(RecorderTest, ASecondRecordingBesideAFirstTakesANameOfItsOwn)
{
    recorder.Toggle();
    Run(3);
    recorder.Toggle();
    const std::string first = ReadFile(dir / "night.csv");
    ASSERT_EQ(std::count(first.begin(), first.end(), '\n'), 4) << first;
    int n = 2;
    for (const char* name : {"night", "night.log", "night.TXT"}) {
        dialog.answer = (dir / name).string();
        recorder.Toggle();
        EXPECT_EQ(recorder.PerSecondFileName(), (dir / ("night-" + std::to_string(n++) + ".csv")).string()) << name;
        Run(1);
        recorder.Toggle();
    }
    EXPECT_EQ(ReadFile(dir / "night.csv"), first);
    EXPECT_TRUE(view.messages.empty());
}

// Two copies of the program, or two units, recording at the same time: each holds its files, and
// the other finds them taken.
TEST_F(RecorderTest, TwoRecordingsAtOnceNeverShareAFile)
{
    core::ProgramState otherProgram;
    test::ChosenFile otherDialog;
    test::RecordingWindow otherView;
    DiskRecordStore otherDisk;
    Recorder other{otherProgram, clock, otherDialog, otherDisk, otherView};

    recorder.Toggle();  // night.txt and night.csv, the latter still only its header row
    otherDialog.answer = (dir / "night.log").string();
    other.Toggle();
    EXPECT_EQ(other.PerSecondFileName(), (dir / "night-2.csv").string());
    Run(2);
    other.Toggle();

    // The same record file chosen again while it is written: refused, and left whole.
    otherDialog.answer = file;
    other.Toggle();
    EXPECT_FALSE(otherProgram.Recording);
    EXPECT_FALSE(otherView.checked);
    ASSERT_EQ(otherView.messages.size(), 1u);
    EXPECT_EQ(otherView.messages[0],
              "Another recording is writing the record file " + file + ". Please choose another file.");
    Run(6);
    recorder.Toggle();
    EXPECT_EQ(Lines().size(), 2u) << "the first recording's lines are all there";
    EXPECT_TRUE(view.messages.empty());
}

// A night.csv this user cannot write is a taken name, not a reason to refuse the recording.
TEST_F(RecorderTest, AnUnwritablePerSecondNameIsTaken)
{
    std::ofstream(dir / "night.csv") << kPerSecondHeader << "\r\n";
    fs::permissions(dir / "night.csv", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(dir, fs::perms::all);
    // Root may write any file: the recording runs as an ordinary user then.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(3);
        recorder.Toggle();
        const bool recording = program.Recording && view.messages.empty();
        const bool next = recorder.PerSecondFileName() == (dir / "night-2.csv").string();
        recorder.Toggle();
        ::_exit(recording && next ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "recording to night-2.csv beside an unwritable night.csv";
    EXPECT_EQ(ReadFile(dir / "night.csv"), std::string(kPerSecondHeader) + "\r\n");
    EXPECT_TRUE(fs::exists(dir / "night-2.csv"));
}

TEST_F(RecorderTest, APerSecondFileThatFailsStopsBothWithOneMessage)
{
    FailingStore failing(100, 4);  // header and three rows
    Recorder r{program, clock, dialog, failing, view};
    r.Toggle();
    for (int i = 0; i < 20; ++i) {
        Tick(r);
        clock.seconds += i % 2;
    }
    EXPECT_EQ(failing.rows.size(), 4u);
    EXPECT_FALSE(program.Recording);
    EXPECT_FALSE(view.checked);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_NE(view.messages[0].find(file + ".csv"), std::string::npos) << view.messages[0];
    EXPECT_TRUE(r.PerSecondFileName().empty());
}

TEST_F(RecorderTest, ShutdownClosesTheRecordFile)
{
    clock.seconds = 14 * 3600 + 3 * 60 + 29;
    recorder.Toggle();
    Run(2);
    recorder.CloseRecordFile();
    Run(20);
    EXPECT_EQ(Lines().size(), 1u) << "nothing after the close";
}

}  // namespace
}  // namespace trelvo::recording

namespace trelvo::recording {
namespace {

// A recording process killed outright (power button, OOM killer) leaves only whole lines: each
// line reaches the operating system in one write. The kernel copies a write page by page and
// gives up between two pages when the process is killed: then the one line it was copying ends
// where a page ends, and every line before it is whole.
std::string WholeLinesOf(const std::string& content)
{
    if (content.ends_with("\r\n"))
        return content;
    EXPECT_EQ(content.size() % static_cast<std::size_t>(::sysconf(_SC_PAGESIZE)), 0u) << "cut where a page ends";
    const std::size_t end = content.rfind("\r\n");
    return end == std::string::npos ? std::string() : content.substr(0, end + 2);
}

TEST_F(RecorderTest, AKilledRecordingLeavesOnlyWholeLines)
{
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Lines as fast as the disk takes them: a clock that is always due, and a second's worth
        // of wave in every row.
        recorder.Toggle();
        const std::vector<std::uint8_t> wave(100, 123);
        recorder.TakeWaveSamples(wave);
        for (long i = 0;; ++i) {
            clock.seconds = static_cast<int>(i % 2) * 15;  // due every time, and never a stall to fill
            shown.SpO2Text = std::to_string(80 + i % 20);
            Batch(recorder);
            recorder.TakeWaveSamples(wave);
            Tick(recorder);
        }
    }
    ::usleep(300'000);
    ASSERT_EQ(::kill(child, SIGKILL), 0);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));

    const std::string content = WholeLinesOf(ReadFile(file));
    std::size_t lines = 0;
    for (std::size_t at = 0, end; (end = content.find("\r\n", at)) != std::string::npos; at = end + 2, ++lines)
        ASSERT_EQ(end - at, std::string("S 80 P 72 T 00:00:00  OK!").size()) << content.substr(at, end - at);
    EXPECT_GT(lines, 100u);
    const std::string rows = WholeLinesOf(ReadFile(dir / "night.csv"));
    const std::size_t rowSize = PerSecondRow(0, {shown.Unit, false}, std::vector<std::uint8_t>(100, 123)).size();
    const std::size_t firstRow = kPerSecondHeader.size() + 2;
    EXPECT_NE(rows.substr(firstRow, rowSize).find(",ok,123 123 "), std::string::npos) << "a row with its wave";
    EXPECT_EQ((rows.size() - firstRow) % rowSize, 0u);
    std::printf("%zu whole lines and %zu whole rows of %zu bytes before the kill\n", lines,
                (rows.size() - firstRow) / rowSize, rowSize);
}

}  // namespace
}  // namespace trelvo::recording
