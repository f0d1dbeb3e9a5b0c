// orvelin-split end to end: exit status, what it prints and the files it writes.

#include "tests/posix/console_split.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <pty.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvelin::testing {
namespace {

const std::string kHeader = "BEGIN:VCALENDAR\r\nVERSION:1.0\r\n";
const std::string kEvent1 = "BEGIN:VEVENT\r\nDTSTART:20261207T090000Z\r\nSUMMARY:Standup\r\nEND:VEVENT";
const std::string kEvent2 = "BEGIN:VEVENT\r\nSUMMARY:Lunch \xE0 la caf\xE9\r\nEND:VEVENT";
const std::string kEvent3 = "BEGIN:VEVENT\r\nSUMMARY:Review\r\nEND:VEVENT";
const std::string kThreeEvents = kHeader + kEvent1 + "\r\n" + kEvent2 + "\r\n" + kEvent3 + "\r\nEND:VCALENDAR\r\n";

TEST_F(ConsoleSplit, ThreeEventsAreWrittenByteForByte)
{
    WriteBytes(folder / "export.vcs", kThreeEvents);
    const ProcessResult result = Split({folder / "export.vcs"});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out, "3 Entries have been generated\n");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(Output("1.vcs"), EventFile(kEvent1));
    EXPECT_EQ(Output("2.vcs"), EventFile("\r\n" + kEvent2));
    EXPECT_EQ(Output("3.vcs"), EventFile("\r\n" + kEvent3));
    EXPECT_EQ(Output("4.vcs"), "<missing>");
}

TEST_F(ConsoleSplit, LfOnlyInputAndARelativePath)
{
    WriteBytes(folder / "lf.vcs", "BEGIN:VEVENT\nA\nEND:VEVENT\nBEGIN:VEVENT\nB\nEND:VEVENT\n");
    const ProcessResult result = Split({"lf.vcs"});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(Output("1.vcs"), "Begin:VCalendar\r\nVersion: 1.0\r\nBEGIN:VEVENT\nA\nEND:VEVENT\r\nEnd:VCalendar\r\n");
    EXPECT_EQ(Output("2.vcs"), EventFile("\nBEGIN:VEVENT\nB\nEND:VEVENT"));
}

TEST_F(ConsoleSplit, AnEarlierRunsHigherFilesStayAndLowerOnesAreReplaced)
{
    std::filesystem::create_directory(folder / "VCS folder");
    for (const std::string name : {"1.vcs", "2.vcs", "3.vcs", "4.vcs", "5.vcs"})
        WriteBytes(folder / ("VCS folder/" + name), "old " + name);
    WriteBytes(folder / "export.vcs", kThreeEvents);
    EXPECT_EQ(Split({folder / "export.vcs"}).exitStatus, 0);
    EXPECT_EQ(Output("3.vcs"), EventFile("\r\n" + kEvent3));
    EXPECT_EQ(Output("4.vcs"), "old 4.vcs");
}

TEST_F(ConsoleSplit, NothingToSplitExitsOne)
{
    WriteBytes(folder / "plain.vcs", "BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n");
    WriteBytes(folder / "open.vcs", "BEGIN:VEVENT\r\nSUMMARY:x\r\n");
    const ProcessResult refused = Split({"plain.vcs"});
    EXPECT_EQ(refused.exitStatus, 1);
    EXPECT_EQ(refused.out, "Not a valid VCalendar (.vcs) file format\n");

    const ProcessResult noEnd = Split({"open.vcs"});
    EXPECT_EQ(noEnd.exitStatus, 1);
    EXPECT_EQ(noEnd.out, "No entries have been generated since the selected .vcs file does not contain an end event.\n");
    EXPECT_FALSE(std::filesystem::exists(folder / "VCS folder"));

    const ProcessResult missing = Split({"gone.vcs"});
    EXPECT_EQ(missing.exitStatus, 1);
    EXPECT_EQ(missing.err, "orvelin-split: gone.vcs: no such file\n");
    EXPECT_EQ(Split({folder.path()}).err, "orvelin-split: " + folder.path() + ": is a folder, not a file\n");
}

TEST_F(ConsoleSplit, FailuresPrintTheErrorBoxAndExitTwo)
{
    WriteBytes(folder / "lower.vcs", "begin:vevent\r\nEND:VEVENT\r\n");
    const ProcessResult lower = Split({"lower.vcs"});
    EXPECT_EQ(lower.exitStatus, 2);
    EXPECT_EQ(lower.out, "");
    EXPECT_EQ(lower.err,
              "Orvelin Error: An error occurred during execution.\n\nFind Error 5:  Invalid procedure call or argument\n");

    ASSERT_EQ(::mkfifo((folder / "pipe.vcs").c_str(), 0600), 0);
    const ProcessResult pipe = Split({"pipe.vcs"});
    EXPECT_EQ(pipe.exitStatus, 2);
    EXPECT_EQ(pipe.err, "Orvelin Error: An error occurred during execution.\n\nError 1001:  Not an ordinary file\n");
}

// An unwritable output folder gives an error box, never a summary for files
// that do not exist.
TEST_F(ConsoleSplit, AFileThatCannotBeWrittenIsNotReported)
{
    WriteBytes(folder / "VCS folder", "an ordinary file in the way");
    WriteBytes(folder / "export.vcs", kThreeEvents);
    const ProcessResult result = Split({"export.vcs"});
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "Orvelin Error: An error occurred during execution.\n\nFind Error 76:  Path not found\n");

    std::filesystem::remove(folder / "VCS folder");
    std::filesystem::create_directories(folder / "VCS folder/3.vcs");
    const ProcessResult blocked = Split({"export.vcs"});
    EXPECT_EQ(blocked.exitStatus, 2);
    EXPECT_EQ(blocked.out, "2 Entries have been generated\n");
    EXPECT_EQ(blocked.err, "Orvelin Error: An error occurred during execution.\n\n"
                           "Find Error 75:  Path/File access error (Is a directory)\n");
    EXPECT_EQ(Output("1.vcs"), EventFile(kEvent1));
    EXPECT_EQ(Output("2.vcs"), EventFile("\r\n" + kEvent2));
}

TEST_F(ConsoleSplit, OnATerminalTheProgressCaptionUpdatesOneLine)
{
    int terminal = -1;
    int program = -1;
    ASSERT_EQ(::openpty(&terminal, &program, nullptr, nullptr, nullptr), 0);
    WriteBytes(folder / "export.vcs", kThreeEvents);
    const ProcessResult result = RunProcess({ORVELIN_SPLIT_PATH, "export.vcs"}, folder.path(), {}, program);
    ::close(program);
    std::string shown;
    char buffer[4096];
    for (ssize_t got; (got = ::read(terminal, buffer, sizeof buffer)) > 0;)
        shown.append(buffer, static_cast<std::size_t>(got));
    ::close(terminal);

    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out, "3 Entries have been generated\n");
    EXPECT_EQ(shown, "Generating file ...... 1.vcs\r\x1b[KGenerating file ...... 2.vcs\r\x1b[K"
                     "Generating file ...... 3.vcs\r\x1b[K");
}

TEST_F(ConsoleSplit, UsageVersionAndHelp)
{
    const ProcessResult version = Split({"--version"});
    EXPECT_EQ(version.exitStatus, 0);
    EXPECT_EQ(version.out, "Orvelin 1.00\n");
    EXPECT_EQ(Split({"--help"}).out.rfind("Usage: orvelin-split [--open] FILE\n", 0), 0u);
    EXPECT_EQ(Split({}).exitStatus, 2);
    EXPECT_EQ(Split({"--bogus", "x.vcs"}).exitStatus, 2);
    EXPECT_EQ(Split({"a.vcs", "b.vcs"}).exitStatus, 2);

    WriteBytes(folder / "-dash.vcs", kThreeEvents);
    EXPECT_EQ(Split({"--", "-dash.vcs"}).exitStatus, 0);
}

}  // namespace
}  // namespace orvelin::testing
