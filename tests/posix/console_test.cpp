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

// Between the program and the C library, every other read and write fails
// with EINTR, as a signal that comes first makes it: each is made again, and
// the files are flushed to the disk before the run reports them.
TEST_F(ConsoleSplit, InterruptedCallsAreMadeAgainAndTheFilesAreFlushed)
{
    WriteBytes(folder / "export.vcs", kThreeEvents);
    const std::string log = folder / "flushes";
    const std::vector<std::string> between{"LD_PRELOAD=" ORVELIN_INTERRUPTING_CALLS, "ORVELIN_SYNC_LOG=" + log,
                                           "ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=0"};
    ASSERT_EQ(Split({"--standalone", "-o", "reference", "export.vcs"}).exitStatus, 0);
    for (const bool standalone : {false, true}) {
        SCOPED_TRACE(standalone ? "--standalone" : "plain");
        std::filesystem::remove(log);
        const ProcessResult result = Split(standalone
                                               ? std::vector<std::string>{"--standalone", "-o", "whole", "export.vcs"}
                                               : std::vector<std::string>{"export.vcs"},
                                           between);
        EXPECT_EQ(result.exitStatus, 0) << result.err;
        EXPECT_NE(ReadBytes(log), "<missing>") << "nothing was flushed";
    }
    EXPECT_EQ(Output("3.vcs"), EventFile("\r\n" + kEvent3));
    for (const char* name : {"1.vcs", "2.vcs", "3.vcs"})
        EXPECT_EQ(ReadBytes(folder / ("whole/" + std::string(name))),
                  ReadBytes(folder / ("reference/" + std::string(name))))
            << name;
}

// A calendar handed over through a link to a file of the earlier result is
// being split there all the same: the rerun replacing that result keeps it.
TEST_F(ConsoleSplit, ARerunKeepsTheCalendarALinkLeadsTo)
{
    WriteBytes(folder / "export.vcs", kThreeEvents);
    ASSERT_EQ(Split({"--standalone", "-o", "out", "export.vcs"}).exitStatus, 0);
    const std::string second = ReadBytes(folder / "out/2.vcs");
    ASSERT_EQ(::symlink("out/2.vcs", (folder / "link.vcs").c_str()), 0);
    const ProcessResult rerun = Split({"--standalone", "-o", "out", "link.vcs"});
    EXPECT_EQ(rerun.exitStatus, 0) << rerun.err;
    EXPECT_EQ(ReadBytes(folder / "out/2.vcs"), second);
    EXPECT_EQ(ReadBytes(folder / "out/3.vcs"), "<missing>") << "the rest of the earlier result is replaced";
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

// Each outcome's streams and exit status: the summary alone on stdout, every
// problem one line on stderr naming the file, 0 written, 1 nothing to split,
// 2 anything else.
TEST_F(ConsoleSplit, MessagesStreamsAndExitStatuses)
{
    WriteBytes(folder / "export.vcs", kThreeEvents);
    WriteBytes(folder / "plain.vcs", "BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n");
    WriteBytes(folder / "open.vcs", "BEGIN:VEVENT\r\nSUMMARY:x\r\n");
    WriteBytes(folder / "lower.vcs", "begin:vevent\r\nEND:VEVENT\r\n");
    ASSERT_EQ(::mkfifo((folder / "pipe.vcs").c_str(), 0600), 0);
    std::filesystem::create_directory(folder / "sub");
    WriteBytes(folder / "sub/VCS folder", "an ordinary file in the way");
    WriteBytes(folder / "sub/export.vcs", kThreeEvents);
    const struct {
        std::string file;
        int exitStatus;
        std::string out;
        std::string err;
    } cases[] = {
        {"export.vcs", 0, "3 Entries have been generated\n", ""},
        {"plain.vcs", 1, "", "orvelin-split: plain.vcs: Not a valid VCalendar (.vcs) file format\n"},
        {"open.vcs", 1, "",
         "orvelin-split: open.vcs: No entries have been generated since the selected .vcs file does not contain an "
         "end event.\n"},
        {"gone.vcs", 2, "", "orvelin-split: gone.vcs: no such file\n"},
        {"sub", 2, "", "orvelin-split: sub: is a folder, not a file\n"},
        {"lower.vcs", 2, "", "orvelin-split: lower.vcs: Find Error 5:  Invalid procedure call or argument\n"},
        {"pipe.vcs", 2, "", "orvelin-split: pipe.vcs: Error 1001:  Not an ordinary file\n"},
        {"sub/export.vcs", 2, "", "orvelin-split: sub/export.vcs: Find Error 76:  Path not found\n"},
    };
    for (const auto& c : cases) {
        const ProcessResult result = Split({c.file});
        EXPECT_EQ(result.exitStatus, c.exitStatus) << c.file;
        EXPECT_EQ(result.out, c.out) << c.file;
        EXPECT_EQ(result.err, c.err) << c.file;
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "VCS folder/4.vcs"));
}

// A file that could not be written is reported, and the summary counts only
// the files that exist.
TEST_F(ConsoleSplit, AFileThatCannotBeWrittenIsNotCounted)
{
    WriteBytes(folder / "export.vcs", kThreeEvents);
    std::filesystem::create_directories(folder / "VCS folder/3.vcs");
    const ProcessResult blocked = Split({"export.vcs"});
    EXPECT_EQ(blocked.exitStatus, 2);
    EXPECT_EQ(blocked.out, "2 Entries have been generated\n");
    EXPECT_EQ(blocked.err, "orvelin-split: export.vcs: Find Error 75:  Path/File access error (Is a directory)\n");
    EXPECT_EQ(Output("1.vcs"), EventFile(kEvent1));
    EXPECT_EQ(Output("2.vcs"), EventFile("\r\n" + kEvent2));
}

TEST_F(ConsoleSplit, SeveralFilesAreSplitInTurnAndTheHighestStatusWins)
{
    std::filesystem::create_directory(folder / "a");
    std::filesystem::create_directory(folder / "b");
    WriteBytes(folder / "a/one.vcs", kThreeEvents);
    WriteBytes(folder / "b/two.vcs", kHeader + kEvent2 + "\r\nEND:VCALENDAR\r\n");
    WriteBytes(folder / "plain.vcs", "BEGIN:VCALENDAR\r\n");
    const ProcessResult result = Split({"a/one.vcs", "plain.vcs", "b/two.vcs"});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.out, "a/one.vcs: 3 Entries have been generated\nb/two.vcs: 1 Entries have been generated\n");
    EXPECT_EQ(result.err, "orvelin-split: plain.vcs: Not a valid VCalendar (.vcs) file format\n");
    EXPECT_EQ(ReadBytes(folder / "a/VCS folder/3.vcs"), EventFile("\r\n" + kEvent3));
    EXPECT_EQ(ReadBytes(folder / "b/VCS folder/1.vcs"), EventFile(kEvent2));
    EXPECT_EQ(Split({"a/one.vcs", "gone.vcs"}).exitStatus, 2);
}

// One terminal for both streams, as a person has it: the progress line is
// cleared before the summary is written.
TEST_F(ConsoleSplit, OnATerminalTheProgressCaptionUpdatesOneLine)
{
    int terminal = -1;
    int program = -1;
    ASSERT_EQ(::openpty(&terminal, &program, nullptr, nullptr, nullptr), 0);
    WriteBytes(folder / "export.vcs", kThreeEvents);
    const ProcessResult result = RunProcess({ORVELIN_SPLIT_PATH, "export.vcs"}, folder.path(), {}, program, program);
    ::close(program);
    std::string shown;
    char buffer[4096];
    for (ssize_t got; (got = ::read(terminal, buffer, sizeof buffer)) > 0;)
        shown.append(buffer, static_cast<std::size_t>(got));
    ::close(terminal);

    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(shown,
              "Generating file ...... 1.vcs\r\x1b[KGenerating file ...... 2.vcs\r\x1b[K"
              "Generating file ...... 3.vcs\r\x1b[K3 Entries have been generated\r\n");
}

TEST_F(ConsoleSplit, Options)
{
    const std::string tryHelp = "Try 'orvelin-split --help' for more information.\n";
    const std::string version =
        "orvelin-split (Orvelin) 1.00\nCopyright (c) 2026 the Orvelin authors.\n"
        "MIT License: you may use, change and redistribute it; see the LICENSE file.\n";
    const struct {
        std::vector<std::string> arguments;
        int exitStatus;
        std::string outStart;
        std::string err;
    } cases[] = {
        {{"--version"}, 0, version, ""},
        {{"-V"}, 0, version, ""},
        {{"--help"}, 0, "Usage: orvelin-split [OPTION]... FILE...\n", ""},
        {{"-h"}, 0, "Usage: orvelin-split [OPTION]... FILE...\n", ""},
        {{}, 2, "", "orvelin-split: missing FILE\n" + tryHelp},
        {{"--bogus", "x.vcs"}, 2, "", "orvelin-split: unrecognized option '--bogus'\n" + tryHelp},
        {{"-x"}, 2, "", "orvelin-split: invalid option '-x'\n" + tryHelp},
        {{"--", "-dash.vcs"}, 0, "3 Entries have been generated\n", ""},
        {{"x.vcs", "--output"}, 2, "", "orvelin-split: option '--output' requires an argument\n" + tryHelp},
        {{"--o", "out", "x.vcs"}, 2, "", "orvelin-split: option '--o' is ambiguous\n" + tryHelp},
        // Options may follow FILEs, and long ones be abbreviated or given with "=".
        {{"cal.ics", "--stand", "-oout"}, 0, "1 Entries have been generated\n", ""},
        {{"--standalone", "--output=out", "cal.ics"}, 0, "1 Entries have been generated\n", ""},
        {{"--standalone", "bad.ics"},
         2,
         "",
         "orvelin-split: bad.ics: line 3: END:VTODO where END:VEVENT of line 2 was expected\n"},
        {{"--standalone", "empty.ics"}, 1, "", "orvelin-split: empty.ics: Not a valid VCalendar (.vcs) file format\n"},
        {{"-o", "cal.ics/deeper", "cal.ics"}, 2, "", "orvelin-split: cal.ics: Find Error 76:  Path not found\n"},
        {{"--standalone", "--per-file", "0", "x.vcs"},
         2,
         "",
         "orvelin-split: invalid value '0' for --per-file\n" + tryHelp},
        {{"--standalone", "--max-bytes=1Q", "x.vcs"},
         2,
         "",
         "orvelin-split: invalid value '1Q' for --max-bytes\n" + tryHelp},
        {{"--standalone", "--names", "colour", "x.vcs"},
         2,
         "",
         "orvelin-split: invalid value 'colour' for --names\n" + tryHelp},
        {{"--per-file=2", "x.vcs"},
         2,
         "",
         "orvelin-split: --per-file, --max-bytes, --names and --by go with --standalone or --to-ics\n" + tryHelp},
        // An entry alone over the limit: written all the same, with a warning.
        {{"--standalone", "--max-bytes=100", "cal.ics"},
         0,
         "1 Entries have been generated\n",
         "orvelin-split: cal.ics: entry at line 3: 114 bytes, over the limit of 100 bytes\n"},
    };
    WriteBytes(folder / "-dash.vcs", kThreeEvents);
    WriteBytes(folder / "cal.ics", kHeader + kEvent1 + "\r\nEND:VCALENDAR\r\n");
    WriteBytes(folder / "bad.ics", "BEGIN:VCALENDAR\nBEGIN:VEVENT\nEND:VTODO\nEND:VCALENDAR\n");
    WriteBytes(folder / "empty.ics", kHeader + "END:VCALENDAR\r\n");
    for (const auto& c : cases) {
        const ProcessResult result = Split(c.arguments);
        const std::string shown = c.arguments.empty() ? "(none)" : c.arguments[0];
        EXPECT_EQ(result.exitStatus, c.exitStatus) << shown;
        EXPECT_EQ(result.out.substr(0, c.outStart.size()), c.outStart) << shown;
        EXPECT_EQ(result.err, c.err) << shown;
    }
    EXPECT_NE(Split({"--help"}).out.find("\n 2  anything else"), std::string::npos) << "the exit statuses are told";
    EXPECT_EQ(ReadBytes(folder / "out/1.vcs"),
              "BEGIN:VCALENDAR\r\nVERSION:1.0\r\n" + kEvent1 + "\r\nEND:VCALENDAR\r\n");
}

// A dry run fails where the run would fail for its folder, in the same words
// and with the same status; neither writes anything. A folder that cannot be
// read may hold anything: nothing is written into it blind.
TEST_F(ConsoleSplit, ADryRunFailsWhereTheRunWouldForItsFolder)
{
    namespace fs = std::filesystem;
    using enum fs::perms;
    WriteBytes(folder / "cal.ics", kThreeEvents);
    fs::create_directory(folder / "locked");
    fs::permissions(folder / "locked", owner_read | owner_exec | group_read | group_exec | others_read | others_exec);
    fs::create_directory(folder / "blind");
    fs::permissions(folder / "blind", owner_write | owner_exec | group_write | group_exec | others_write | others_exec);
    fs::permissions(folder.path(), others_read | others_exec, fs::perm_options::add);
    // The superuser may write anywhere: the runs are made as nobody then.
    std::vector<std::string> command;
    if (::geteuid() == 0)
        command = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
    command.push_back(ORVELIN_SPLIT_PATH);
    for (const char* output : {"locked/out", "blind"}) {
        for (const bool dryRun : {true, false}) {
            SCOPED_TRACE(std::string(output) + (dryRun ? ", dry run" : ", run"));
            std::vector<std::string> arguments = command;
            if (dryRun)
                arguments.push_back("-n");
            arguments.insert(arguments.end(), {"--standalone", "-o", output, "cal.ics"});
            const ProcessResult result = RunProcess(arguments, folder.path());
            EXPECT_EQ(result.exitStatus, 2);
            EXPECT_EQ(result.out, "");
            EXPECT_EQ(result.err, "orvelin-split: cal.ics: Find Error 70:  Permission denied\n");
        }
    }
    fs::permissions(folder / "blind", owner_read, fs::perm_options::add);
    EXPECT_TRUE(fs::is_empty(folder / "blind"));
}

}  // namespace
}  // namespace orvelin::testing
