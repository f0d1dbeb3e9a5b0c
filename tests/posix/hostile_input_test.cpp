// orvelin-split on inputs, folders and paths that are not what a calendar
// export normally looks like: each ends in a clear message, nothing is lost,
// and nothing but the file manager is ever started.

#include "platform/os_error.h"
#include "tests/posix/console_split.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orvelin::testing {
namespace {

const std::string kEvent1 = "BEGIN:VEVENT\r\nSUMMARY:One\r\nEND:VEVENT";
const std::string kEvent2 = "BEGIN:VEVENT\r\nSUMMARY:Two\r\nEND:VEVENT";
const std::string kCalendar = "BEGIN:VCALENDAR\r\n" + kEvent1 + "\r\n" + kEvent2 + "\r\nEND:VCALENDAR\r\n";
// What the console says of a problem with file.
std::string Problem(const std::string& file, const std::string& message)
{
    return "orvelin-split: " + file + ": " + message + "\n";
}

using HostileInput = ConsoleSplit;

// Permissions do not bind root: such cases run as an ordinary user then.
std::vector<std::string> AsOrdinaryUser(std::vector<std::string> command)
{
    if (::geteuid() == 0)
        command.insert(command.begin(), {"/usr/bin/setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"});
    return command;
}

// The exit status of body run in a child process (128 + N when signal N ended it).
int InChild(const std::function<int()>& body)
{
    const pid_t child = ::fork();
    if (child == 0)
        std::_Exit(body());
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// orvelin-split run on files with prepare() done in the child first (a
// working folder no path can name, a stdout that cannot be written); stderr
// goes to errPath.
int SplitPrepared(const std::function<void()>& prepare, const std::vector<std::string>& files,
                  const std::string& errPath)
{
    return InChild([&] {
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(err, STDERR_FILENO);
        prepare();
        std::vector<char*> argv{const_cast<char*>(ORVELIN_SPLIT_PATH)};
        for (const std::string& file : files)
            argv.push_back(const_cast<char*>(file.c_str()));
        argv.push_back(nullptr);
        ::execv(ORVELIN_SPLIT_PATH, argv.data());
        return 127;
    });
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kMemoryMeasurable = false;  // AddressSanitizer's own memory counts too
#else
constexpr bool kMemoryMeasurable = true;
#endif

TEST_F(HostileInput, InputsThatAreNotOrdinaryFilesFailAtOnceWithAReason)
{
    ASSERT_EQ(::mkfifo((folder / "pipe.vcs").c_str(), 0600), 0);
    for (const std::string& input : {folder / "pipe.vcs", std::string("/dev/zero"), std::string("/dev/urandom")}) {
        const ProcessResult result = Split({input});
        EXPECT_EQ(result.exitStatus, 2) << input;
        EXPECT_EQ(result.err, Problem(input, "Error 1001:  Not an ordinary file")) << input;
        EXPECT_LT(result.peakRssMiB, 64) << input;
    }
    std::filesystem::create_directory(folder / "folder.vcs");
    const ProcessResult aFolder = Split({"folder.vcs"});
    EXPECT_EQ(aFolder.exitStatus, 2);
    EXPECT_EQ(aFolder.err, Problem("folder.vcs", "is a folder, not a file"));
}

TEST_F(HostileInput, AnInputTooLargeForMemoryIsReported)
{
    if (!kMemoryMeasurable)
        GTEST_SKIP() << "AddressSanitizer needs more address space than the limit leaves";
    // A sparse gibibyte, read by a process allowed half of that.
    WriteBytes(folder / "huge.vcs", "");
    std::filesystem::resize_file(folder / "huge.vcs", 1 << 30);
    const ProcessResult result = RunProcess({"/usr/bin/prlimit", "--as=536870912", ORVELIN_SPLIT_PATH, "huge.vcs"},
                                            folder.path());
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(result.err, Problem("huge.vcs", "Error 7:  Out of memory"));
}

TEST_F(HostileInput, TheFileSizeLimitReachedPartWayThroughAFile)
{
    const std::string big = "BEGIN:VEVENT\r\nDESCRIPTION:" + std::string(20000, 'x') + "\r\nEND:VEVENT";
    WriteBytes(folder / "export.vcs", kEvent1 + "\r\n" + kEvent2 + "\r\n" + big + "\r\n" + kEvent1 + "\r\n");
    // Files may grow to 8 KiB: the third event does not fit.
    const ProcessResult result = RunProcess({"/usr/bin/prlimit", "--fsize=8192", ORVELIN_SPLIT_PATH, "export.vcs"},
                                            folder.path());
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(result.out, "2 Entries have been generated\n");
    EXPECT_EQ(result.err, Problem("export.vcs", "Find Error 1003:  File too large for the file-size limit"));
    EXPECT_EQ(Output("1.vcs"), EventFile(kEvent1));
    EXPECT_EQ(Output("2.vcs"), EventFile("\r\n" + kEvent2));
    EXPECT_EQ(Output("3.vcs"), "<missing>") << "no incomplete file is left";
    EXPECT_EQ(Output("4.vcs"), "<missing>");
}

TEST_F(HostileInput, AReadOnlyOutputFolder)
{
    WriteBytes(folder / "export.vcs", kCalendar);
    std::filesystem::create_directory(folder / "VCS folder");
    ASSERT_EQ(::chmod((folder / "VCS folder").c_str(), 0555), 0);
    ASSERT_EQ(::chmod(folder.path().c_str(), 0755), 0);
    const ProcessResult result = RunProcess(AsOrdinaryUser({ORVELIN_SPLIT_PATH, "export.vcs"}), folder.path());
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, Problem("export.vcs", "Find Error 70:  Permission denied"));
    EXPECT_TRUE(std::filesystem::is_empty(folder / "VCS folder"));

    // A writable earlier file in it stays as it was, even when writing would
    // also have failed part way.
    ASSERT_EQ(::chmod((folder / "VCS folder").c_str(), 0755), 0);
    WriteBytes(folder / "VCS folder/1.vcs", "an earlier complete file");
    ASSERT_EQ(::chmod((folder / "VCS folder/1.vcs").c_str(), 0666), 0);
    ASSERT_EQ(::chmod((folder / "VCS folder").c_str(), 0555), 0);
    const ProcessResult limited = RunProcess(
        AsOrdinaryUser({"/usr/bin/prlimit", "--fsize=40", ORVELIN_SPLIT_PATH, "export.vcs"}), folder.path());
    EXPECT_EQ(limited.exitStatus, 2);
    EXPECT_EQ(Output("1.vcs"), "an earlier complete file");
}

// Where the OS says why something failed, the message says it too.
TEST_F(HostileInput, FailuresNameTheirReason)
{
    ASSERT_EQ(::chmod(folder.path().c_str(), 0755), 0);
    for (const std::string name : {"readonly", "locked"}) {
        std::filesystem::create_directory(folder / name);
        WriteBytes(folder / (name + "/export.vcs"), kCalendar);
    }
    ASSERT_EQ(::chmod((folder / "readonly").c_str(), 0555), 0);
    ASSERT_EQ(::chmod((folder / "locked").c_str(), 0700), 0);
    ASSERT_EQ(::chown((folder / "locked").c_str(), 0, 0), 0);
    WriteBytes(folder / "unreadable.vcs", kCalendar);
    ASSERT_EQ(::chmod((folder / "unreadable.vcs").c_str(), 0), 0);

    const ProcessResult noFolder = RunProcess(AsOrdinaryUser({ORVELIN_SPLIT_PATH, "readonly/export.vcs"}),
                                              folder.path());
    EXPECT_EQ(noFolder.exitStatus, 2);
    EXPECT_EQ(noFolder.err, Problem("readonly/export.vcs", "Find Error 70:  Permission denied"))
        << "the folder could not be made";
    for (const std::string unreadable : {"locked/export.vcs", "unreadable.vcs"}) {
        const ProcessResult locked = RunProcess(AsOrdinaryUser({ORVELIN_SPLIT_PATH, unreadable}), folder.path());
        EXPECT_EQ(locked.exitStatus, 2);
        EXPECT_EQ(locked.err, Problem(unreadable, "Error 70:  Permission denied")) << "not \"no such file\"";
    }

    // The OS's codes, mapped once for every service.
    const std::vector<std::pair<int, std::string>> reasons{
        {EROFS, "70 Permission denied (Read-only file system)"},
        {EFBIG, "1003 File too large for the file-size limit"},
        {ENOSPC, "61 Disk full"},
        {ENAMETOOLONG, "52 Bad file name or number"},
        {ENOTDIR, "76 Path not found"},
        {ELOOP, "75 Path/File access error (Too many levels of symbolic links)"}};
    for (const auto& [code, expected] : reasons) {
        const ErrorInfo info = platform::FailureFromOsError(code).info();
        EXPECT_EQ(std::to_string(info.number) + " " + info.description, expected);
    }
}

// Deeper than any path may be long, relative names still work, each FILE
// found where the user meant it, not in the output folder of the one before.
TEST_F(HostileInput, RelativeFilesInAFolderTooDeepToName)
{
    const std::string segment(200, 'd');
    const auto enterDeepFolder = [&] {
        if (::chdir(folder.path().c_str()) != 0)
            std::_Exit(126);
        for (int level = 0; level < PATH_MAX / 200 + 2; ++level) {
            ::mkdir(segment.c_str(), 0700);
            if (::chdir(segment.c_str()) != 0)
                std::_Exit(126);
        }
    };
    const std::string kEvent3 = "BEGIN:VEVENT\r\nSUMMARY:Three\r\nEND:VEVENT";
    const std::string err = folder / "err";
    EXPECT_EQ(SplitPrepared(
                  [&] {
                      enterDeepFolder();
                      std::ofstream("1.vcs", std::ios::binary) << kCalendar;
                      std::ofstream("2.vcs", std::ios::binary) << kEvent3;
                      ::dup2(::open("/dev/null", O_WRONLY), STDOUT_FILENO);
                  },
                  {"1.vcs", "2.vcs"}, err),
              0)
        << ReadBytes(err);
    const int found = InChild([&] {
        enterDeepFolder();
        return ReadBytes("VCS folder/3.vcs") == EventFile(kEvent3) &&
                ReadBytes("VCS folder/2.vcs") == EventFile("\r\n" + kEvent2) &&
                ReadBytes("VCS folder/VCS folder/1.vcs") == "<missing>"
            ? 0
            : 1;
    });
    EXPECT_EQ(found, 0) << "2.vcs was looked for in the first file's output folder";
    std::filesystem::remove_all(folder / segment);
}

// A summary that cannot be written fails the run instead of being lost.
TEST_F(HostileInput, OutputThatCannotBeWritten)
{
    const std::string err = folder / "err";
    WriteBytes(folder / "cal.vcs", kCalendar);
    const auto inFolder = [&] { ::chdir(folder.path().c_str()); };
    EXPECT_EQ(SplitPrepared(
                  [&] {
                      inFolder();
                      ::dup2(::open("/dev/full", O_WRONLY), STDOUT_FILENO);
                  },
                  {"cal.vcs"}, err),
              2);
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    ::close(pipeEnds[0]);
    EXPECT_EQ(SplitPrepared(
                  [&] {
                      inFolder();
                      ::dup2(pipeEnds[1], STDOUT_FILENO);
                  },
                  {"cal.vcs"}, err),
              2)
        << "a closed pipe fails the run without killing it";
    ::close(pipeEnds[1]);
    EXPECT_EQ(Output("2.vcs"), EventFile("\r\n" + kEvent2)) << "the files are complete all the same";
}

// Memory too short to start with: a message and a failure, never an abort.
TEST_F(HostileInput, AnAddressSpaceTooSmallToStartIn)
{
    if (!kMemoryMeasurable)
        GTEST_SKIP() << "AddressSanitizer needs more address space than the limit leaves";
    WriteBytes(folder / "cal.vcs", kCalendar);
    const auto run = [&](int kilobytes, const std::string& argument) {
        return RunProcess(
            {"/usr/bin/prlimit", "--as=" + std::to_string(kilobytes * 1000), ORVELIN_SPLIT_PATH, argument},
            folder.path());
    };
    // The least room this build runs in (it differs from build to build),
    // halved down to 64 kB; the limits tried lie around it.
    int enough = 1 << 20;
    for (int step = enough / 2; step >= 64; step /= 2) {
        if (run(enough - step, "--version").exitStatus == 0)
            enough -= step;
    }
    int told = 0;
    for (int kilobytes = enough - 2000; kilobytes <= enough + 2000; kilobytes += 40) {
        for (const std::string argument : {"--version", "cal.vcs"}) {
            SCOPED_TRACE(std::to_string(kilobytes) + " kB, " + argument);
            const ProcessResult result = run(kilobytes, argument);
            // Below some limit the system cannot even load the program (its
            // loader ends with 127: no shared libraries, or no room for their TLS).
            if (result.exitStatus == 0 || result.exitStatus == 127)
                continue;
            EXPECT_EQ(result.exitStatus, 2);
            EXPECT_TRUE(result.err.ends_with("Out of memory\n")) << result.err;
            ++told;
        }
    }
    EXPECT_GT(told, 0) << "no limit let the program start and run out";
}

TEST_F(HostileInput, TheFileManagerGetsTheFolderAsOneArgumentAndNothingElseRuns)
{
    const std::string parent = folder / "-n $(touch pwned); `touch pwned2` 'q\" & | > x";
    std::filesystem::create_directory(parent);
    WriteBytes(parent + "/export.vcs", kCalendar);
    const std::string record = folder / "recorded-args";
    const ProcessResult result = Split(
        {"--open", parent + "/export.vcs"},
        {"PATH=" + std::string(ORVELIN_FAKE_BIN) + ":/usr/bin:/bin", "ORVELIN_RECORDED_ARGS=" + record});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    // The file manager is started without waiting for it.
    for (int tries = 0; tries < 500 && ReadBytes(record) == "<missing>"; ++tries)
        ::usleep(10'000);
    EXPECT_EQ(ReadBytes(record), std::filesystem::canonical(parent + "/VCS folder").string() + '\0');
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.path())) {
        EXPECT_NE(entry.path().filename(), "pwned");
        EXPECT_NE(entry.path().filename(), "pwned2");
    }
}

TEST_F(HostileInput, SpacesAndNonAsciiNames)
{
    const std::string parent = folder / "B\xC3\xBCro Kalender \xE2\x98\x83";
    std::filesystem::create_directory(parent);
    WriteBytes(parent + "/M\xC3\xA4rz 2027 \xE2\x9C\x93.vcs", kCalendar);
    const ProcessResult result = Split({parent + "/M\xC3\xA4rz 2027 \xE2\x9C\x93.vcs"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(ReadBytes(parent + "/VCS folder/2.vcs"), EventFile("\r\n" + kEvent2));
}

TEST_F(HostileInput, NamesNearTheLengthLimits)
{
    const std::string longest = std::string(251, 'n') + ".vcs";
    WriteBytes(folder / longest, kCalendar);
    EXPECT_EQ(Split({longest}).exitStatus, 0);
    EXPECT_EQ(Output("1.vcs"), EventFile(kEvent1));

    // A folder whose path leaves room for the calendar's name but not for
    // "VCS folder/1.vcs" (paths are limited to 4095 bytes).
    std::string deep = folder.path();
    while (deep.size() < 4084)
        deep += std::string(std::min<std::size_t>(200, 4084 - deep.size() - 1), 'd') + "/";
    std::filesystem::create_directories(deep);
    WriteBytes(deep + "cal.vcs", kCalendar);
    const ProcessResult result = Split({deep + "cal.vcs"});
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(result.err, Problem(deep + "cal.vcs", "Find Error 52:  Bad file name or number"));
}

// A gibibyte of calendar with a handful of events, one of them 100 MiB: the
// files are right and the text is held once.
TEST_F(HostileInput, AGibibyteCalendarWithAHundredMebibyteEvent)
{
    constexpr std::size_t kMiB = 1 << 20;
    const std::string description = "DESCRIPTION:" + std::string(100 * kMiB, 'a');
    const std::string bigEvent = "BEGIN:VEVENT\r\n" + description + "\r\nEND:VEVENT";
    {
        std::ofstream out(folder / "big.vcs", std::ios::binary);
        out << "BEGIN:VCALENDAR\r\n" << kEvent1 << "\r\n" << bigEvent << "\r\n" << kEvent2 << "\r\n";
        std::string padding;
        while (padding.size() < kMiB)
            padding += "X-PADDING:" + std::string(1000, 'p') + "\r\n";
        for (std::size_t written = 0; written < 924 * kMiB; written += padding.size())
            out.write(padding.data(), static_cast<std::streamsize>(padding.size()));
        out << "END:VCALENDAR\r\n";
        ASSERT_TRUE(out.good());
    }
    const auto inputMiB = static_cast<long>(std::filesystem::file_size(folder / "big.vcs") / kMiB);
    const ProcessResult result = Split({"big.vcs"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, "3 Entries have been generated\n");
    EXPECT_EQ(ReadBytes(folder / "VCS folder/2.vcs"), EventFile("\r\n" + bigEvent));
    EXPECT_EQ(Output("3.vcs"), EventFile("\r\n" + kEvent2));
    if (kMemoryMeasurable) {
        EXPECT_LT(result.peakRssMiB, inputMiB + 32) << "input " << inputMiB << " MiB";
    }
    std::filesystem::remove(folder / "big.vcs");
}

}  // namespace
}  // namespace orvelin::testing
