// orvelin-split against what can go wrong around an event file: names that
// already exist as links or FIFOs, interruptions at any moment, two runs into
// one folder, memory running out. Every N.vcs is complete or absent, and
// nothing but the event files' own names is ever written.

#include "engine/split_run.h"
#include "platform/local_file_system.h"
#include "tests/posix/console_split.h"
#include "tests/support/recording_host.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orvelin::testing {
namespace {

namespace fs = std::filesystem;

const std::string kEvent1 = "BEGIN:VEVENT\r\nSUMMARY:One\r\nEND:VEVENT";
const std::string kEvent2 = "BEGIN:VEVENT\r\nSUMMARY:Two\r\nEND:VEVENT";
const std::string kCalendar = "BEGIN:VCALENDAR\r\n" + kEvent1 + "\r\n" + kEvent2 + "\r\nEND:VCALENDAR\r\n";

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kMemoryLimitable = false;  // AddressSanitizer reserves more address space than any limit leaves
#else
constexpr bool kMemoryLimitable = true;
#endif

// A calendar of count events tagged with tag, and the event files it gives.
struct Generated {
    std::string calendar;
    std::vector<std::string> files;  // files[k] is (k + 1).vcs
};

Generated Calendar(int count, const std::string& tag)
{
    Generated generated{"BEGIN:VCALENDAR\r\n", {}};
    for (int n = 1; n <= count; ++n) {
        const std::string event = "BEGIN:VEVENT\r\nSUMMARY:" + tag + std::to_string(n) +
            "\r\nDESCRIPTION:" + std::string(200 + n % 97, 'd') + "\r\nEND:VEVENT";
        generated.calendar += event + "\r\n";
        generated.files.push_back(EventFile(n == 1 ? event : "\r\n" + event));
    }
    generated.calendar += "END:VCALENDAR\r\n";
    return generated;
}

class CrashSafety : public ConsoleSplit {
protected:
    std::string OutputFolder() const { return folder / "VCS folder"; }

    // A calendar at name of one event of 200 MiB, long enough to write that a
    // test can act while it is written; the size of its event file.
    std::uintmax_t WriteLargeEvent(const std::string& name)
    {
        const std::string event = "BEGIN:VEVENT\r\nDESCRIPTION:" + std::string(200 << 20, 'x') + "\r\nEND:VEVENT";
        WriteBytes(folder / name, "BEGIN:VCALENDAR\r\n" + event + "\r\nEND:VCALENDAR\r\n");
        return EventFile("").size() + event.size();
    }

    // Waits until process holds 1.vcs open, wherever it writes it; false
    // when it ended first.
    bool WaitUntilWriting(const StartedProcess& process)
    {
        const std::string fds = "/proc/" + std::to_string(process.pid()) + "/fd";
        while (!process.EndedWithin(std::chrono::milliseconds(0))) {
            std::error_code error;
            for (const auto& fd : fs::directory_iterator(fds, error)) {
                std::error_code unreadable;
                if (fs::read_symlink(fd.path(), unreadable).string().ends_with("/1.vcs"))
                    return true;
            }
        }
        return false;
    }

    // Every N.vcs in the output folder is one of the allowed complete files,
    // and nothing else (no temporary file) is left there.
    void ExpectOnlyCompleteFiles(const std::vector<const Generated*>& allowed)
    {
        for (const auto& entry : fs::directory_iterator(OutputFolder())) {
            const std::string name = entry.path().filename();
            ASSERT_FALSE(name.starts_with(".")) << "left behind: " << name;
            const int number = std::stoi(name);
            const std::string bytes = ReadBytes(entry.path());
            bool known = false;
            for (const Generated* run : allowed)
                known |= number >= 1 && number <= static_cast<int>(run->files.size()) &&
                    bytes == run->files[number - 1];
            EXPECT_TRUE(known) << name << " is not a complete event file (" << bytes.size() << " bytes)";
        }
    }
};

TEST_F(CrashSafety, ANameThatExistsIsReplacedAndWhatItPointsAtStaysUntouched)
{
    struct Case {
        const char* what;
        std::function<void(const std::string& output)> prepare;
    };
    const std::vector<Case> cases{
        {"a link to a file outside",
         [&](const std::string& o) { fs::create_symlink(folder / "victim.txt", o + "1.vcs"); }},
        {"a link to the input", [&](const std::string& o) { fs::create_symlink("../cal.vcs", o + "2.vcs"); }},
        {"a hard link", [&](const std::string& o) { fs::create_hard_link(folder / "victim.txt", o + "1.vcs"); }},
        {"a dangling link", [&](const std::string& o) { fs::create_symlink(folder / "nowhere", o + "1.vcs"); }},
        {"a FIFO", [&](const std::string& o) { ASSERT_EQ(::mkfifo((o + "2.vcs").c_str(), 0600), 0); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(OutputFolder());
        fs::create_directory(OutputFolder());
        WriteBytes(folder / "victim.txt", "PRECIOUS");
        WriteBytes(folder / "cal.vcs", kCalendar);
        c.prepare(OutputFolder() + "/");
        const ProcessResult result = RunProcess({"/usr/bin/timeout", "20", ORVELIN_SPLIT_PATH, "cal.vcs"},
                                                folder.path());
        EXPECT_EQ(result.exitStatus, 0) << result.err;
        EXPECT_EQ(ReadBytes(folder / "victim.txt"), "PRECIOUS");
        EXPECT_EQ(ReadBytes(folder / "cal.vcs"), kCalendar);
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(OutputFolder() + "/2.vcs")));
        const Generated expected{kCalendar, {EventFile(kEvent1), EventFile("\r\n" + kEvent2)}};
        ExpectOnlyCompleteFiles({&expected});
        EXPECT_EQ(Output("1.vcs"), expected.files[0]);
    }
    fs::remove(folder / "nowhere");
    EXPECT_FALSE(fs::exists(folder / "nowhere")) << "a dangling link is replaced, not followed";
}

// A failure part way through replacing a name leaves the name as it was.
TEST_F(CrashSafety, AFailedReplacementLeavesTheOldFileAndTheLinkTarget)
{
    fs::create_directory(OutputFolder());
    WriteBytes(folder / "victim.txt", "PRECIOUS");
    fs::create_symlink(folder / "victim.txt", OutputFolder() + "/1.vcs");
    WriteBytes(OutputFolder() + "/2.vcs", "an earlier complete file");
    WriteBytes(folder / "cal.vcs", kCalendar);
    const ProcessResult result = RunProcess({"/usr/bin/prlimit", "--fsize=40", ORVELIN_SPLIT_PATH, "cal.vcs"},
                                            folder.path());
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(ReadBytes(folder / "victim.txt"), "PRECIOUS");
    EXPECT_TRUE(fs::is_symlink(OutputFolder() + "/1.vcs"));
    EXPECT_EQ(Output("2.vcs"), "an earlier complete file");
    EXPECT_EQ(std::distance(fs::directory_iterator(OutputFolder()), fs::directory_iterator()), 2);
}

// Interrupted at random moments, fresh and over a folder of earlier files:
// every file present is complete, and the exit names the signal.
TEST_F(CrashSafety, AnInterruptionAtAnyMomentLeavesOnlyCompleteFiles)
{
    const Generated earlier = Calendar(1500, "old ");
    const Generated current = Calendar(1500, "new ");
    WriteBytes(folder / "cal.vcs", current.calendar);
    std::mt19937 random(20261207);
    int namedExits = 0;
    constexpr int kTries = 12;
    for (int attempt = 0; attempt < kTries; ++attempt) {
        const int signal = std::array{SIGINT, SIGTERM, SIGHUP}[attempt % 3];
        SCOPED_TRACE("try " + std::to_string(attempt) + ", signal " + std::to_string(signal));
        fs::remove_all(OutputFolder());
        if (attempt % 2 == 1) {
            fs::create_directory(OutputFolder());
            for (std::size_t k = 0; k < earlier.files.size(); ++k)
                WriteBytes(OutputFolder() + "/" + std::to_string(k + 1) + ".vcs", earlier.files[k]);
        }
        StartedProcess split({ORVELIN_SPLIT_PATH, "cal.vcs"}, folder.path());
        ASSERT_TRUE(split.CatchesWithin(signal, std::chrono::seconds(20)));
        ::usleep(std::uniform_int_distribution<useconds_t>(2'000, 60'000)(random));
        ::kill(split.pid(), signal);
        const ProcessResult result = split.Wait();
        if (result.exitStatus == 0)
            continue;  // it finished first
        EXPECT_EQ(result.exitStatus, 128 + signal);
        const std::string name = signal == SIGINT ? "SIGINT" : signal == SIGTERM ? "SIGTERM" : "SIGHUP";
        if (!result.err.empty()) {
            EXPECT_EQ(result.err, "orvelin-split: interrupted by " + name + "\n");
            ++namedExits;
        }
        if (fs::exists(OutputFolder()))
            ExpectOnlyCompleteFiles({&earlier, &current});
        for (const auto& entry : fs::directory_iterator(folder.path()))
            EXPECT_FALSE(entry.path().filename().string().starts_with(".")) << "left behind: " << entry.path();
    }
    EXPECT_GE(namedExits, kTries / 2) << "too few interruptions landed during a run";
}

// A run stopped while it writes, a second run that writes the same names,
// then the first one interrupted: the second run's files stay.
TEST_F(CrashSafety, AnInterruptedRunLeavesAnotherRunsFilesAlone)
{
    WriteLargeEvent("large.vcs");
    WriteBytes(folder / "small.vcs", kCalendar);
    int landed = 0;
    for (int attempt = 0; attempt < 5 && landed == 0; ++attempt) {
        fs::remove_all(OutputFolder());
        StartedProcess large({ORVELIN_SPLIT_PATH, "large.vcs"}, folder.path());
        if (!WaitUntilWriting(large))
            continue;
        ::kill(large.pid(), SIGSTOP);
        const ProcessResult small = RunProcess({ORVELIN_SPLIT_PATH, "small.vcs"}, folder.path());
        EXPECT_EQ(small.exitStatus, 0) << small.err;
        ::kill(large.pid(), SIGINT);
        ::kill(large.pid(), SIGCONT);
        if (large.Wait().exitStatus != 128 + SIGINT)
            continue;
        ++landed;
        EXPECT_EQ(Output("1.vcs"), EventFile(kEvent1));
        EXPECT_EQ(Output("2.vcs"), EventFile("\r\n" + kEvent2));
    }
    EXPECT_EQ(landed, 1) << "the interruption never came while the large file was written";
}

// Whoever watches the folder (an import or sync tool) never sees an event
// file before it is whole.
TEST_F(CrashSafety, AFileIsNeverSeenPartWritten)
{
    const std::uintmax_t size = WriteLargeEvent("large.vcs");
    StartedProcess split({ORVELIN_SPLIT_PATH, "large.vcs"}, folder.path());
    std::set<std::uintmax_t> sizesSeen;
    while (!split.EndedWithin(std::chrono::milliseconds(0))) {
        std::error_code missing;
        if (const std::uintmax_t seen = fs::file_size(OutputFolder() + "/1.vcs", missing); !missing)
            sizesSeen.insert(seen);
    }
    EXPECT_EQ(split.Wait().exitStatus, 0);
    EXPECT_EQ(fs::file_size(OutputFolder() + "/1.vcs"), size);
    EXPECT_LE(sizesSeen.size(), 1u) << "seen at " << *sizesSeen.begin() << " bytes";
}

// A run in another process namespace (a container) is not among the
// processes seen here, yet its lock keeps its staging folder from a second
// run however old its files look.
TEST_F(CrashSafety, ALiveRunInAnotherProcessNamespaceKeepsItsFiles)
{
    const auto inNewNamespace = [](std::vector<std::string> command) {
        command.insert(command.begin(), {"/usr/bin/unshare", "-p", "-f", "--kill-child", "--mount-proc"});
        return command;
    };
    if (RunProcess(inNewNamespace({"/usr/bin/true"}), folder.path()).exitStatus != 0)
        GTEST_SKIP() << "unshare -p is not permitted here: it needs root";
    WriteLargeEvent("large.vcs");
    WriteBytes(folder / "small.vcs", kCalendar);
    StartedProcess large(inNewNamespace({ORVELIN_SPLIT_PATH, "large.vcs"}), folder.path());
    const fs::path staging = folder / ".VCS folder.1-0.tmp";  // the run is process 1 of its namespace
    const std::string unshare = std::to_string(large.pid());
    int run = 0;  // unshare's child, as seen here
    while ((run == 0 || !fs::exists(staging / "1.vcs")) && !large.EndedWithin(std::chrono::milliseconds(0)))
        std::ifstream("/proc/" + unshare + "/task/" + unshare + "/children") >> run;
    ASSERT_TRUE(run != 0 && fs::exists(staging / "1.vcs")) << "the run ended before it wrote";
    ::kill(run, SIGSTOP);
    for (const auto& entry : fs::directory_iterator(staging))
        MakeOld(entry.path());
    MakeOld(staging);
    EXPECT_EQ(RunProcess({ORVELIN_SPLIT_PATH, "small.vcs"}, folder.path()).exitStatus, 0);
    EXPECT_TRUE(fs::exists(staging / "1.vcs"));
}

TEST_F(CrashSafety, TwoRunsIntoOneFolderNeverMix)
{
    const Generated a = Calendar(1500, "A");
    const Generated b = Calendar(1500, "B");
    WriteBytes(folder / "a.vcs", a.calendar);
    WriteBytes(folder / "b.vcs", b.calendar);
    for (int attempt = 0; attempt < 3; ++attempt) {
        fs::remove_all(OutputFolder());
        StartedProcess first({ORVELIN_SPLIT_PATH, "a.vcs"}, folder.path());
        StartedProcess second({ORVELIN_SPLIT_PATH, "b.vcs"}, folder.path());
        EXPECT_EQ(first.Wait().exitStatus, 0);
        EXPECT_EQ(second.Wait().exitStatus, 0);
        ExpectOnlyCompleteFiles({&a, &b});
        EXPECT_EQ(std::distance(fs::directory_iterator(OutputFolder()), fs::directory_iterator()), 1500);
    }
}

// A calendar of count entries tagged with tag, for standalone runs.
std::string Entries(int count, const std::string& tag)
{
    std::string calendar = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n";
    for (int n = 1; n <= count; ++n)
        calendar += "BEGIN:VEVENT\r\nUID:" + tag + std::to_string(n) + "\r\nSUMMARY:" + std::string(150, 's') +
            "\r\nEND:VEVENT\r\n";
    return calendar + "END:VCALENDAR\r\n";
}

// What a standalone run into out leaves, whatever happened before it: its
// own result alone, each of its files holding its entry.
void ExpectOnlyTheResultOf(const std::string& out, int count, const std::string& tag)
{
    int files = 0;
    for (const auto& entry : fs::directory_iterator(out)) {
        const std::string name = entry.path().filename();
        if (name == ".orvelin-result")
            continue;
        ++files;
        EXPECT_NE(ReadBytes(entry.path()).find("UID:" + tag + name.substr(0, name.find('.')) + "\r\n"),
                  std::string::npos)
            << name;
    }
    EXPECT_EQ(files, count);
}

// A rerun keeps an earlier file only where it holds what the run writes:
// not one copied over another of the same size, its time kept (the file
// system's change time tells).
TEST_F(CrashSafety, ARerunKeepsOnlyTheFilesThatHoldWhatItWrites)
{
    WriteBytes(folder / "a.ics", Entries(3, "a"));
    const fs::path out = folder / "out";
    ASSERT_EQ(RunProcess({ORVELIN_SPLIT_PATH, "--standalone", "-o", "out", "a.ics"}, folder.path()).exitStatus, 0);
    const fs::file_time_type time = fs::last_write_time(out / "2.ics");
    fs::copy_file(out / "1.ics", out / "2.ics", fs::copy_options::overwrite_existing);
    fs::last_write_time(out / "2.ics", time);
    ASSERT_EQ(RunProcess({ORVELIN_SPLIT_PATH, "--standalone", "-o", "out", "a.ics"}, folder.path()).exitStatus, 0);
    ExpectOnlyTheResultOf(out, 3, "a");
}

// A standalone rerun interrupted at any moment leaves every file whole and
// known as a result's: the next run replaces all of it.
TEST_F(CrashSafety, AnInterruptedRerunIsReplacedWholeByTheNextRun)
{
    WriteBytes(folder / "old.ics", Entries(800, "old"));
    WriteBytes(folder / "new.ics", Entries(600, "new"));
    WriteBytes(folder / "last.ics", Entries(10, "last"));
    std::mt19937 random(20261209);
    int interrupted = 0;
    for (int attempt = 0; attempt < 4; ++attempt) {
        SCOPED_TRACE("try " + std::to_string(attempt));
        fs::remove_all(folder / "out");
        ASSERT_EQ(RunProcess({ORVELIN_SPLIT_PATH, "--standalone", "-o", "out", "old.ics"}, folder.path()).exitStatus,
                  0);
        StartedProcess rerun({ORVELIN_SPLIT_PATH, "--standalone", "-o", "out", "new.ics"}, folder.path());
        ASSERT_TRUE(rerun.CatchesWithin(SIGINT, std::chrono::seconds(20)));
        ::usleep(std::uniform_int_distribution<useconds_t>(2'000, 40'000)(random));
        ::kill(rerun.pid(), SIGINT);
        interrupted += rerun.Wait().exitStatus == 128 + SIGINT ? 1 : 0;
        const ProcessResult last = RunProcess({ORVELIN_SPLIT_PATH, "--standalone", "-o", "out", "last.ics"},
                                              folder.path());
        EXPECT_EQ(last.exitStatus, 0) << last.err;
        EXPECT_EQ(last.out.find("kept"), std::string::npos) << last.out;
        ExpectOnlyTheResultOf(folder / "out", 10, "last");
    }
    EXPECT_GE(interrupted, 2) << "too few interruptions landed during a run";
}

// Two standalone runs into one folder at once: each file whole, from one of
// them (a run that finds a name taken by the other's result as it puts its
// files in place says so), and nothing of either lost by the next run.
TEST_F(CrashSafety, TwoStandaloneRunsAtOnceLeaveWholeFilesTheNextRunKeepsOrReplaces)
{
    WriteBytes(folder / "a.ics", Entries(600, "a"));
    WriteBytes(folder / "b.ics", Entries(400, "b"));
    WriteBytes(folder / "last.ics", Entries(10, "last"));
    for (int attempt = 0; attempt < 2; ++attempt) {
        fs::remove_all(folder / "out");
        StartedProcess first({ORVELIN_SPLIT_PATH, "--standalone", "-o", "out", "a.ics"}, folder.path());
        StartedProcess second({ORVELIN_SPLIT_PATH, "--standalone", "-o", "out", "b.ics"}, folder.path());
        for (StartedProcess* run : {&first, &second}) {
            const ProcessResult result = run->Wait();
            if (result.exitStatus != 0) {
                EXPECT_TRUE(result.exitStatus == 2 && result.err.ends_with("Find Error 58:  File already exists\n"))
                    << result.err;
            }
        }
        const ProcessResult last = RunProcess({ORVELIN_SPLIT_PATH, "--standalone", "-o", "out", "last.ics"},
                                              folder.path());
        EXPECT_EQ(last.exitStatus, 0) << last.err;
        std::multiset<std::string> lastEntries;
        for (const auto& entry : fs::directory_iterator(folder / "out")) {
            const std::string bytes = ReadBytes(entry.path());
            if (entry.path().filename() == ".orvelin-result")
                continue;
            EXPECT_TRUE(bytes.ends_with("END:VCALENDAR\r\n")) << entry.path();
            if (const std::size_t uid = bytes.find("UID:last"); uid != std::string::npos)
                lastEntries.insert(bytes.substr(uid, bytes.find('\r', uid) - uid));
        }
        EXPECT_EQ(lastEntries.size(), 10u);
        EXPECT_EQ(std::set<std::string>(lastEntries.begin(), lastEntries.end()).size(), 10u);
    }
}

// Memory running out while an event file is made: the error box, no file,
// no abort. The run is made in a child whose address space is used up.
TEST_F(CrashSafety, MemoryRunningOutWhileWritingIsReported)
{
    if (!kMemoryLimitable)
        GTEST_SKIP() << "AddressSanitizer cannot run under an address-space limit";
    WriteBytes(folder / "cal.vcs", kCalendar);
    const pid_t child = ::fork();
    if (child == 0) {
        RunState state;
        state.fileSystem = std::make_unique<platform::LocalFileSystem>();
        state.sourcePath = folder / "cal.vcs";
        state.content = Text(kCalendar);
        state.fileNumber = 1;
        DiskRecordingHost host("cal.vcs");
        host.calls.reserve(16);
        std::vector<void*> hog;
        hog.reserve(1 << 20);
        // No more address space than is in use now, and the heap's spare room taken.
        long pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        const rlimit limit{static_cast<rlim_t>(pages * ::sysconf(_SC_PAGESIZE)), RLIM_INFINITY};
        if (::setrlimit(RLIMIT_AS, &limit) != 0)
            std::_Exit(10);
        for (std::size_t size : {std::size_t{4096}, std::size_t{64}})
            while (hog.size() < hog.capacity())
                if (void* block = std::malloc(size))
                    hog.push_back(block);
                else
                    break;
        try {
            SplitRun(state, host).FindStartPos();
        } catch (...) {
            std::_Exit(11);
        }
        for (void* block : hog)
            std::free(block);
        const bool reported = host.messages() == std::vector{ErrorBox("Find Error 7:  Out of memory")};
        std::_Exit(reported ? 0 : 12);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << "the child was killed by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0) << "10: no limit, 11: an exception escaped, 12: not reported as out of memory";
    EXPECT_EQ(Output("1.vcs"), "<missing>");
}

}  // namespace
}  // namespace orvelin::testing
