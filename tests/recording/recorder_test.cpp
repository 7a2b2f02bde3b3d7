#include "lang/string_table.h"
#include "recording/record_line.h"
#include "recording/recorder.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <fstream>
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

class WindowView final : public RecordingView {
public:
    void SetSaveChecked(bool c) override { checked = c; }
    void SetStatusText(std::string_view t) override { status = t; }
    void ShowMessage(std::string_view t) override { messages.emplace_back(t); }
    bool checked = false;
    std::string status = "Data is NOT written to file!";
    std::vector<std::string> messages;
};

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

    // Ticks every 500 ms of the set clock for the given number of seconds.
    void Run(int seconds)
    {
        for (int i = 0; i < 2 * seconds; ++i) {
            recorder.Tick();
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
    core::Reading shown{"97", "72", "OK!", "tip"};
    test::SetClock clock;
    test::ChosenFile dialog;
    DiskRecordStore disk;
    WindowView view;
    Recorder recorder{program, shown, clock, dialog, disk, view};
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
    Recorder withDialog{program, shown, clock, slow, disk, view};
    slow.whileOpen = [&] {
        EXPECT_TRUE(program.Recording);
        EXPECT_TRUE(withDialog.FileNotReady());
        for (int i = 0; i < 20; ++i) {
            withDialog.Tick();
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
    Run(2);  // 14:03:29, :30 → line at :30
    clock.seconds = 14 * 3600 + 3 * 60 + 36;  // the window was busy through :35
    Run(15);            // :36 .. :50
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
    Recorder r{program, shown, clock, dialog, failing, view};
    clock.seconds = 14 * 3600 + 3 * 60 + 29;
    r.Toggle();
    for (int i = 0; i < 40; ++i) {
        r.Tick();
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

// A disk that fills up in the middle of a line: the file keeps whole lines only.
TEST_F(RecorderTest, ALineCutOffByAFullDiskIsTakenBack)
{
    const std::string line = RecordLine("97", "72", "14:03:30", "OK!");
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = static_cast<rlim_t>(2 * line.size() + line.size() / 2);  // room for 2.5 lines
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);

    clock.seconds = 14 * 3600 + 3 * 60 + 29;
    recorder.Toggle();
    Run(20);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);

    EXPECT_FALSE(program.Recording);
    EXPECT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(ReadFile(file).size(), 2 * line.size()) << "two whole lines, the cut third taken back";
    EXPECT_EQ(Lines().size(), 2u);
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
    Recorder r{program, shown, clock, dialog, latin1, view};
    shown.StatusText = "Grün";
    clock.seconds = 14 * 3600 + 3 * 60 + 29;
    r.Toggle();
    for (int i = 0; i < 4; ++i) {
        r.Tick();
        clock.seconds += i % 2;
    }
    r.CloseRecordFile();
    EXPECT_EQ(encoded, 1);
    EXPECT_EQ(ReadFile(file), "S 97 P 72 T 14:03:30  Gr\xfcn\r\n");
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
// line reaches the operating system in one write.
TEST_F(RecorderTest, AKilledRecordingLeavesOnlyWholeLines)
{
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Lines as fast as the disk takes them: a clock that is always due.
        recorder.Toggle();
        for (long i = 0;; ++i) {
            clock.seconds = static_cast<int>(i % 2) * 5;
            shown.SpO2Text = std::to_string(80 + i % 20);
            recorder.Tick();
        }
    }
    ::usleep(300'000);
    ASSERT_EQ(::kill(child, SIGKILL), 0);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));

    const std::string content = ReadFile(file);
    ASSERT_FALSE(content.empty());
    EXPECT_EQ(content.substr(content.size() - 2), "\r\n") << "the last line is whole";
    const auto lines = Lines();
    EXPECT_GT(lines.size(), 100u);
    for (const std::string& line : lines)
        ASSERT_EQ(line.size(), std::string("S 80 P 72 T 00:00:00  OK!").size()) << line;
    std::printf("%zu whole lines before the kill\n", lines.size());
}

}  // namespace
}  // namespace trelvo::recording
