// The Windows file-system, folder, file-manager and interruption services on
// a real disk (under Wine here): any name Windows allows, any length, files
// held by others, event files that are never written through, and runs that
// Ctrl+C or a closing console ends.

#include "engine/failure.h"
#include "platform/file_manager.h"
#include "platform/folders.h"
#include "platform/local_file_system.h"
#include "tests/support/temp_folder.h"
#include "tests/windows/process.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <shellapi.h>

#include <csignal>
#include <functional>

namespace orvelin::testing {
namespace {

std::string FailureText(const std::function<void()>& operation)
{
    try {
        operation();
    } catch (const Failure& failure) {
        return std::to_string(failure.info().number) + " " + failure.info().description;
    }
    return "no failure";
}

std::wstring Wide(const std::string& path)
{
    return Utf8Path(path).wstring();
}

void WriteFile(platform::LocalFileSystem& files, const std::string& path, const std::string& bytes)
{
    auto stream = files.CreateTextFile(path, true);
    stream->Write(bytes);
    stream->Close();
    files.Commit();
}

TEST(WindowsFiles, AnyNameAndLengthWindowsAllows)
{
    TempFolder folder;
    platform::LocalFileSystem files;
    std::string deep = folder / "Kalender mit Leerzeichen/";
    platform::MakeFolder(deep);
    while (deep.size() < 400)
        platform::MakeFolder(deep += std::string(60, 'k') + "/");
    for (const std::string name : {"M\xC3\xA4rz.vcs", "\xE6\x97\xA5\xE7\xA8\x8B.vcs", "a b.vcs"}) {
        SCOPED_TRACE(name);
        const std::string bytes = "BEGIN:VEVENT\r\n\xE9\0\xFF\r\n" + name;
        WriteFile(files, deep + name, bytes);
        EXPECT_TRUE(files.FileExists(deep + name));
        EXPECT_FALSE(files.IsFolder(deep + name));
        EXPECT_EQ(files.OpenTextFile(deep + name, IOMode::ForReading)->ReadAll().view(), bytes);
    }
    EXPECT_FALSE(files.FileExists(deep + "missing.vcs"));
    EXPECT_FALSE(files.FileExists(deep));
    EXPECT_EQ(platform::FirstFileIn(deep), "a b.vcs");
    EXPECT_EQ(FailureText([&] { platform::MakeFolder(deep); }), "58 File already exists");
    EXPECT_EQ(FailureText([&] { files.OpenTextFile(deep + "missing.vcs", IOMode::ForReading); }), "53 File not found");
}

TEST(WindowsFiles, HiddenFilesAndFoldersAreNotTheFolderFirstFile)
{
    TempFolder folder;
    platform::LocalFileSystem files;
    WriteFile(files, folder / ".leftover.tmp", "");
    ::SetFileAttributesW(Wide(folder / ".leftover.tmp").c_str(), FILE_ATTRIBUTE_HIDDEN);
    platform::MakeFolder(folder / "sub");
    EXPECT_EQ(platform::FirstFileIn(folder.path()), "");
    EXPECT_EQ(platform::FirstFileIn(folder / "missing/"), "");
    WriteFile(files, folder / "1.vcs", "");
    EXPECT_EQ(platform::FirstFileIn(folder.path()), "1.vcs");
}

// An existing name is replaced whole; what a hard link shares with it, a
// read-only file or a file held open without sharing is never written into.
TEST(WindowsFiles, ExistingNamesAreReplacedNeverWrittenThrough)
{
    TempFolder folder;
    platform::LocalFileSystem files;
    WriteBytes(folder / "victim.txt", "PRECIOUS");
    ASSERT_TRUE(::CreateHardLinkW(Wide(folder / "1.vcs").c_str(), Wide(folder / "victim.txt").c_str(), nullptr));
    WriteFile(files, folder / "1.vcs", "event one");
    EXPECT_EQ(ReadBytes(folder / "1.vcs"), "event one");
    EXPECT_EQ(ReadBytes(folder / "victim.txt"), "PRECIOUS");

    WriteBytes(folder / "2.vcs", "read-only");
    ::SetFileAttributesW(Wide(folder / "2.vcs").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(FailureText([&] { WriteFile(files, folder / "2.vcs", "event two"); }).substr(0, 20),
              "70 Permission denied");
    EXPECT_EQ(ReadBytes(folder / "2.vcs"), "read-only");
    EXPECT_EQ(files.OpenTextFile(folder / "2.vcs", IOMode::ForReading)->ReadAll().view(), "read-only");

    platform::MakeFolder(folder / "3.vcs");
    EXPECT_EQ(FailureText([&] { WriteFile(files, folder / "3.vcs", "event three"); }),
              "75 Path/File access error (Is a directory)");

    WriteBytes(folder / "4.vcs", "held");
    const HANDLE held = ::CreateFileW(Wide(folder / "4.vcs").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const std::string inUse = FailureText([&] { WriteFile(files, folder / "4.vcs", "event four"); });
    EXPECT_TRUE(inUse.starts_with("70 Permission denied (") && inUse.ends_with(".)"))
        << "the system's words: " << inUse;
    EXPECT_EQ(FailureText([&] { files.OpenTextFile(folder / "4.vcs", IOMode::ForReading); }).substr(0, 20),
              "70 Permission denied");
    ::CloseHandle(held);
    EXPECT_EQ(ReadBytes(folder / "4.vcs"), "held");

    files.Commit();  // as a run's end does: nothing of it is left behind
    std::size_t entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(Utf8Path(folder.path()))) {
        EXPECT_FALSE(entry.path().filename().string().starts_with(".")) << "left behind: " << entry.path();
        ++entries;
    }
    EXPECT_EQ(entries, 5u);
}

TEST(WindowsFiles, AStreamNotClosedLeavesNoFile)
{
    TempFolder folder;
    platform::LocalFileSystem files;
    files.CreateTextFile(folder / "1.vcs", true)->Write("half an event");
    EXPECT_EQ(ReadBytes(folder / "1.vcs"), "<missing>");
    std::size_t hidden = 0;  // the run's staging folder, where its files wait
    for (const auto& entry : std::filesystem::directory_iterator(Utf8Path(folder.path())))
        hidden += (::GetFileAttributesW(entry.path().c_str()) & FILE_ATTRIBUTE_HIDDEN) != 0;
    EXPECT_EQ(hidden, 1u);
    WriteBytes(folder / "2.vcs", "earlier");
    files.CreateTextFile(folder / "2.vcs", true)->Write("half an event");
    EXPECT_EQ(ReadBytes(folder / "2.vcs"), "earlier");
}

// Ctrl+C and a closing console end a run as SIGINT and SIGTERM do elsewhere:
// its complete file put in place, the half-written one and the rest gone.
TEST(WindowsInterruption, ARunEndsCleanlyOnCtrlCAndOnAClosingConsole)
{
    const struct {
        std::string event, signal;
        int exitStatus;
    } events[] = {{"ctrl-c", "SIGINT", 128 + SIGINT}, {"close", "SIGTERM", 128 + SIGTERM}};
    for (const auto& e : events) {
        SCOPED_TRACE(e.event);
        TempFolder folder;
        platform::MakeFolder(folder / "out/");
        const ProcessResult result = RunProcess({ORVELIN_INTERRUPTED_RUN, e.event, folder / "out/"}, folder.path());
        EXPECT_EQ(result.exitStatus, e.exitStatus);
        EXPECT_EQ(result.err, "interrupted-run: interrupted by " + e.signal + "\r\n");
        EXPECT_EQ(ReadBytes(folder / "out/1.vcs"), "whole");
        const auto entries = std::filesystem::recursive_directory_iterator(Utf8Path(folder.path()));
        EXPECT_EQ(std::distance(begin(entries), end(entries)), 2) << "the output folder and 1.vcs";
    }
}

// The command line the stand-in Explorer receives from start(), with PATH
// leading first to a folder named explorer.exe, then to the stand-in.
std::wstring CommandLineReceived(const std::function<void()>& start)
{
    TempFolder folder;
    const std::string record = folder / "command-line";
    platform::MakeFolder(folder / "explorer.exe/");
    wchar_t savedPath[32767];
    ::GetEnvironmentVariableW(L"PATH", savedPath, 32767);
    wchar_t savedDirectory[MAX_PATH];
    ::GetCurrentDirectoryW(MAX_PATH, savedDirectory);
    ::SetEnvironmentVariableW(L"PATH", (Wide(folder.path()) + L";" + Wide(ORVELIN_FAKE_BIN)).c_str());
    ::SetEnvironmentVariableW(L"ORVELIN_RECORDED_COMMAND_LINE", Wide(record).c_str());
    start();
    ::SetEnvironmentVariableW(L"PATH", savedPath);
    ::SetCurrentDirectoryW(savedDirectory);
    for (int tries = 0; tries < 500 && ReadBytes(record) == "<missing>"; ++tries)
        ::Sleep(10);
    const std::string bytes = ReadBytes(record);
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
}

// Explorer is started directly with "/n," and the folder read back from the
// current directory, quoted so that spaces reach it intact.
TEST(WindowsFileManager, StartsExplorerOnTheFolderReadBack)
{
    TempFolder folder;
    const std::string output = folder / "VCS folder/";
    platform::MakeFolder(output);
    const std::wstring line = CommandLineReceived(
        [&] { platform::SystemFileManager().Start(platform::LocalFileSystem().EnterFolder(output)); });
    std::wstring expectedFolder = Wide(output);
    for (wchar_t& c : expectedFolder)
        c = c == L'/' ? L'\\' : c;
    expectedFolder.pop_back();
    EXPECT_EQ(line, L"explorer.exe /n, \"" + expectedFolder + L"\"");
    EXPECT_EQ(FailureText([&] { platform::StartDetached({"orvelin-no-such-program.exe"}); }).substr(0, 4), "1002");
}

// An empty argument and one ending in a backslash (a folder) reach the program as given.
TEST(WindowsFileManager, EveryArgumentReachesTheProgramAsGiven)
{
    const std::wstring line = CommandLineReceived([] {
        platform::StartDetached({"explorer.exe", "", "C:\\VCS folder\\"});
    });
    int count = 0;
    wchar_t** arguments = ::CommandLineToArgvW(line.c_str(), &count);
    EXPECT_EQ(std::vector<std::wstring>(arguments, arguments + count),
              (std::vector<std::wstring>{L"explorer.exe", L"", L"C:\\VCS folder\\"}));
    ::LocalFree(arguments);
}

}  // namespace
}  // namespace orvelin::testing
