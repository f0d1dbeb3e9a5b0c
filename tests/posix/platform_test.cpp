// Our own file-system, folder and file-manager services on a real disk.

#include "engine/failure.h"
#include "platform/file_manager.h"
#include "platform/folders.h"
#include "platform/interruption.h"
#include "platform/local_file_system.h"
#include "platform/posix/move_to_new_name.h"
#include "tests/support/recording_launcher.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orvelin::testing {
namespace {

using namespace std::string_literals;

int FailureNumber(const std::function<void()>& operation)
{
    try {
        operation();
    } catch (const Failure& failure) {
        return failure.info().number;
    }
    return 0;
}

TEST(LocalFileSystem, ReadsTheBytesUnchanged)
{
    TempFolder folder;
    const std::string bytes = "CR\rLF\nCRLF\r\nNUL\0 8-bit \xE9\xFF\xFE"s;
    WriteBytes(folder / "in.vcs", bytes);
    WriteBytes(folder / "empty.vcs", "");
    platform::LocalFileSystem files;
    EXPECT_EQ(files.OpenTextFile(folder / "in.vcs", IOMode::ForReading)->ReadAll().view(), bytes);
    EXPECT_EQ(files.OpenTextFile(folder / "empty.vcs", IOMode::ForReading)->ReadAll().view(), "");
}

TEST(LocalFileSystem, OnlyOrdinaryFilesExistAndOpen)
{
    TempFolder folder;
    platform::LocalFileSystem files;
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
    EXPECT_FALSE(files.FileExists(folder.path()));
    EXPECT_FALSE(files.FileExists(folder / "missing.vcs"));
    WriteBytes(folder / "file", "");
    EXPECT_FALSE(files.FileExists(folder / "file/in-a-file.vcs"));
    // A FIFO without a writer and an endless device fail at once.
    for (const std::string& path : {folder / "fifo", std::string("/dev/zero")}) {
        EXPECT_TRUE(files.FileExists(path));
        EXPECT_EQ(FailureNumber([&] { files.OpenTextFile(path, IOMode::ForReading); }), 1001) << path;
    }
    EXPECT_EQ(FailureNumber([&] { files.OpenTextFile(folder / "missing.vcs", IOMode::ForReading); }), 53);
}

TEST(LocalFileSystem, WritesTheBytesUnchangedWithCrLfLines)
{
    TempFolder folder;
    platform::LocalFileSystem files;
    const std::string big(200 * 1024, '\xE9');
    auto stream = files.CreateTextFile(folder / "out.vcs", true);
    stream->Write("a\n");
    stream->WriteLine("b\0"s);
    stream->Write(big);
    stream->WriteLine("");
    stream->Close();
    files.Commit();
    EXPECT_EQ(ReadBytes(folder / "out.vcs"), "a\nb\0\r\n"s + big + "\r\n");

    files.CreateTextFile(folder / "out.vcs", true)->Close();
    files.Commit();
    EXPECT_EQ(ReadBytes(folder / "out.vcs"), "") << "an existing file is replaced";
    EXPECT_EQ(FailureNumber([&] {
                  files.CreateTextFile(folder / "out.vcs", false)->Close();
                  files.Commit();
              }),
              58);
}

// A rerun's second file goes to a temporary name at once: a link planted
// there is passed over, never written through.
TEST(LocalFileSystem, ALinkAtATemporaryNameIsNeverFollowed)
{
    TempFolder folder;
    WriteBytes(folder / "victim", "PRECIOUS");
    WriteBytes(folder / "1.vcs", "old");
    WriteBytes(folder / "2.vcs", "old");
    const std::string planted = platform::TemporaryNameFor(folder / "2.vcs", static_cast<unsigned long>(::getpid()), 0);
    std::filesystem::create_symlink(folder / "victim", planted);
    platform::LocalFileSystem files;
    for (const std::string name : {"1.vcs", "2.vcs"}) {
        auto stream = files.CreateTextFile(folder / name, true);
        stream->Write("new");
        stream->Close();
    }
    files.Commit();
    EXPECT_EQ(ReadBytes(folder / "victim"), "PRECIOUS");
    EXPECT_EQ(ReadBytes(folder / "2.vcs"), "new");
    EXPECT_TRUE(std::filesystem::is_symlink(planted)) << "not ours: left where it was";
}

TEST(LocalFileSystem, AStreamNotClosedLeavesNoFile)
{
    TempFolder folder;
    platform::LocalFileSystem files;
    files.CreateTextFile(folder / "out.vcs", true)->Write("half an event");
    EXPECT_EQ(ReadBytes(folder / "out.vcs"), "<missing>");
}

TEST(LocalFileSystem, TheFileSizeLimitFailsTheStreamAndRemovesItsFile)
{
    TempFolder folder;
    platform::LocalFileSystem files;
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 100 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);

    auto stream = files.CreateTextFile(folder / "big.vcs", true);
    const int number = FailureNumber([&] {
        stream->Write(std::string(60 * 1024, 'x'));
        stream->Write(std::string(60 * 1024, 'y'));
        stream->Close();
    });

    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(number, 1003);
    EXPECT_EQ(ReadBytes(folder / "big.vcs"), "<missing>");
}

TEST(LocalFileSystem, CreatingInAMissingOrNonFolderFails)
{
    TempFolder folder;
    platform::LocalFileSystem files;
    WriteBytes(folder / "VCS folder", "a file");
    EXPECT_EQ(FailureNumber([&] { files.CreateTextFile(folder / "missing/1.vcs", true); }), 76);
    EXPECT_EQ(FailureNumber([&] { files.CreateTextFile(folder / "VCS folder/1.vcs", true); }), 76);
    ASSERT_EQ(::mkdir((folder / "3.vcs").c_str(), 0700), 0);
    EXPECT_EQ(FailureNumber([&] { files.CreateTextFile(folder / "3.vcs", true)->Close(); }), 75);
    files.Commit();
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 2) << "nothing is left behind";
}

// Links count as what they lead to.
TEST(Folders, FirstFileInSkipsHiddenFilesAndFolders)
{
    TempFolder folder;
    EXPECT_EQ(platform::FirstFileIn(folder.path()), "");
    EXPECT_EQ(platform::FirstFileIn(folder / "missing/"), "");
    WriteBytes(folder / ".hidden", "");
    ASSERT_EQ(::mkdir((folder / "sub").c_str(), 0700), 0);
    ASSERT_EQ(::symlink("sub", (folder / "to-sub").c_str()), 0);
    EXPECT_EQ(platform::FirstFileIn(folder.path()), "");
    ASSERT_EQ(::symlink(".hidden", (folder / "to-file").c_str()), 0);
    EXPECT_EQ(platform::FirstFileIn(folder.path()), "to-file");
}

TEST(Folders, MakeFolderFailsWhenItExistsOrCannotBeMade)
{
    TempFolder folder;
    EXPECT_NO_THROW(platform::MakeFolder(folder / "VCS folder/"));
    EXPECT_EQ(FailureNumber([&] { platform::MakeFolder(folder / "VCS folder/"); }), 58);
    EXPECT_NO_THROW(platform::MakeFolder(folder / "a/b/")) << "the folders above it are made as well";
    WriteBytes(folder / "file", "in the way");
    EXPECT_EQ(FailureNumber([&] { platform::MakeFolder(folder / "file/b/"); }), 76);
}

// A folder this process made is its own only while it exists: one made
// later at its name by someone else is not, on whatever inode it lies.
TEST(Folders, AFolderMadeHereIsOursOnlyWhileItExists)
{
    TempFolder folder;
    const std::string made = folder / "VCS folder";
    const auto openFiles = [] { return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}); };
    platform::MadeByThisProcess(made);  // lets go of folders earlier tests made and removed
    const auto openBefore = openFiles();
    platform::MakeFolder(made);
    EXPECT_TRUE(platform::MadeByThisProcess(made));
    for (int again = 0; again < 20; ++again) {
        ASSERT_EQ(::rmdir(made.c_str()), 0);
        ASSERT_EQ(::mkdir(made.c_str(), 0777), 0);
        EXPECT_FALSE(platform::MadeByThisProcess(made));
    }
    EXPECT_EQ(openFiles(), openBefore) << "a folder removed since is let go of";
}

// A link named as a dead run's staging folder is no staging folder: what
// it leads to is never touched.
TEST(LocalFileSystem, ALinkNamedAsALeftoverIsNeverFollowed)
{
    TempFolder folder;
    std::filesystem::create_directories(folder / "target");
    std::filesystem::create_directories(folder / "VCS folder");
    WriteBytes(folder / "target/1.vcs", "someone's event");
    MakeOld(folder / "target/1.vcs");
    MakeOld(folder / "target");
    for (const std::string link : {".VCS folder.4194303-0.tmp", "VCS folder/.VCS folder.4194303-1.tmp"})
        std::filesystem::create_directory_symlink(folder / "target", folder / link);
    platform::LocalFileSystem files;
    files.CreateTextFile(folder / "VCS folder/1.vcs", true)->Close();
    files.Commit();
    EXPECT_EQ(ReadBytes(folder / "target/1.vcs"), "someone's event");
}

// Where a file system cannot refuse a rename that replaces, a hard link
// moves the file to a free name, and only there.
TEST(Folders, AMoveByLinkNeverTakesATakenName)
{
    TempFolder folder;
    WriteBytes(folder / "staged", "new");
    WriteBytes(folder / "taken", "earlier");
    EXPECT_EQ(platform::MoveToNewNameByLink(folder / "staged", folder / "taken"), EEXIST);
    EXPECT_EQ(ReadBytes(folder / "taken"), "earlier");
    EXPECT_EQ(platform::MoveToNewNameByLink(folder / "staged", folder / "free"), 0);
    EXPECT_EQ(ReadBytes(folder / "free"), "new");
    EXPECT_EQ(ReadBytes(folder / "staged"), "<missing>") << "no second name left behind";
    std::filesystem::create_directory(folder / "unlinkable");  // as a file where there are no hard links
    EXPECT_EQ(platform::MoveToNewNameByLink(folder / "unlinkable", folder / "taken"), EEXIST);
    EXPECT_EQ(platform::MoveToNewNameByLink(folder / "unlinkable", folder / "moved"), 0);
    EXPECT_TRUE(std::filesystem::is_directory(folder / "moved"));
}

// Each answer is the one a fresh listing would give, also right after a
// folder or its file went away.
TEST(Folders, TheFolderCheckAnswersAsAFreshLookWould)
{
    TempFolder folder;
    platform::LocalFileSystem files;
    const std::string output = folder / "VCS folder/";
    EXPECT_EQ(files.FirstFileIn(output), "");
    files.MakeFolder(output);
    WriteBytes(output + "1.vcs", "");
    EXPECT_EQ(files.FirstFileIn(output), "1.vcs");
    WriteBytes(output + "2.vcs", "");
    std::filesystem::remove(output + "1.vcs");
    EXPECT_EQ(files.FirstFileIn(output), "2.vcs");
    std::filesystem::remove_all(output);
    EXPECT_EQ(files.FirstFileIn(output), "") << "a folder removed between two files is made again";
}

TEST(FileManager, OpensTheFolderReadBackAsOneArgument)
{
    TempFolder folder;
    const std::filesystem::path saved = std::filesystem::current_path();
    const std::string awkward = folder / "VCS folder $(touch x); `y` 'q\" -n/";
    platform::MakeFolder(awkward);
    RecordingLauncher launcher;
    platform::LocalFileSystem files;
    launcher.Start(files.EnterFolder(awkward));
    std::filesystem::current_path(saved);
    ASSERT_EQ(launcher.started.size(), 1u);
    EXPECT_EQ(launcher.started[0] + "/", std::filesystem::canonical(awkward).string() + "/");
    EXPECT_EQ(platform::FileManagerCommand("/a b/-c"), (std::vector<std::string>{"xdg-open", "/a b/-c"}));

    EXPECT_EQ(FailureNumber([&] { files.EnterFolder(folder / "missing/"); }), 76);
}

TEST(FileManager, StartsAProgramWithoutAShell)
{
    TempFolder folder;
    const std::string target = folder / "$(touch pwned); `touch pwned2`";
    platform::StartDetached({"touch", target});
    for (int tries = 0; tries < 200 && ReadBytes(target) == "<missing>"; ++tries)
        ::usleep(10'000);
    EXPECT_EQ(ReadBytes(target), "");
    EXPECT_FALSE(std::filesystem::exists("pwned"));
    EXPECT_EQ(FailureNumber([] { platform::StartDetached({"orvelin-no-such-program"}); }), 1002);
}

// The file manager may run for hours: it must not hold our output open, or a
// caller reading it through a pipe would wait for the file manager to end.
TEST(FileManager, StartsDetachedFromOurStreams)
{
    int pipeEnds[2];
    ASSERT_EQ(::pipe2(pipeEnds, O_CLOEXEC), 0);
    const int savedOut = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
    const int savedErr = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
    ::dup2(pipeEnds[1], STDOUT_FILENO);
    ::dup2(pipeEnds[1], STDERR_FILENO);
    platform::StartDetached({"sleep", "5"});
    ::dup2(savedOut, STDOUT_FILENO);
    ::dup2(savedErr, STDERR_FILENO);
    ::close(savedOut);
    ::close(savedErr);
    ::close(pipeEnds[1]);

    const auto start = std::chrono::steady_clock::now();
    char byte = 0;
    EXPECT_EQ(::read(pipeEnds[0], &byte, 1), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    ::close(pipeEnds[0]);
}

// A signal in a step nested in another ends the program once the outer
// step is done, not before.
TEST(Interruption, ASignalInNestedStepsWaitsForTheOuterOne)
{
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    const pid_t child = ::fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        ::dup2(::open("/dev/null", O_WRONLY), STDERR_FILENO);
        platform::EndCleanlyOnInterruption("nested");
        platform::Interruptions& interruptions = platform::ProcessInterruptions();
        interruptions.Defer();
        interruptions.Defer();
        ::raise(SIGTERM);
        interruptions.Resume();
        (void)!::write(ends[1], "inner ", 6);
        interruptions.Resume();
        (void)!::write(ends[1], "outer", 5);
        ::_exit(0);
    }
    ::close(ends[1]);
    std::string said;
    char buffer[16];
    for (ssize_t got; (got = ::read(ends[0], buffer, sizeof buffer)) > 0;)
        said.append(buffer, static_cast<std::size_t>(got));
    ::close(ends[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(said, "inner ");
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + SIGTERM) << status;
}

}  // namespace
}  // namespace orvelin::testing
