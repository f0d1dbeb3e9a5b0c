// Each OS's file primitives on a real disk (under Wine for Windows): what
// the event-file policy relies on, which its tests can only assume of a fake.

#include "platform/file_primitives.h"
#include "platform/local_file_system.h"
#include "platform/os_error.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

namespace orvelin::testing {
namespace {

using platform::kNoFile;
using platform::NativeFile;
using platform::OsErrorKind;

OsErrorKind Kind(platform::OsCode code)
{
    return code == 0 ? OsErrorKind::Other : platform::KindOfOsError(code);
}

TEST(FilePrimitives, ExclusiveCreationAndMovesNeverTakeATakenName)
{
    TempFolder folder;
    const std::unique_ptr<platform::FilePrimitives> os = platform::OsFilePrimitives();
    WriteBytes(folder / "taken", "earlier");
    ASSERT_EQ(os->MakeFolderExclusive(folder / "folder"), 0);
    for (const std::string name : {"taken", "folder"}) {
        NativeFile file = kNoFile;
        EXPECT_EQ(Kind(os->CreateExclusive(folder / name, file)), OsErrorKind::AlreadyExists) << name;
        EXPECT_EQ(Kind(os->MakeFolderExclusive(folder / name)), OsErrorKind::AlreadyExists) << name;
    }
    NativeFile file = kNoFile;
    ASSERT_EQ(os->CreateExclusive(folder / "new", file), 0);
    ASSERT_EQ(os->WriteAll(file, "new bytes"), 0);
    ASSERT_EQ(os->Close(file, false), 0);
    EXPECT_EQ(Kind(os->MoveToNewName(folder / "new", folder / "taken")), OsErrorKind::AlreadyExists);
    EXPECT_EQ(ReadBytes(folder / "taken"), "earlier");
    EXPECT_EQ(ReadBytes(folder / "new"), "new bytes");
    EXPECT_EQ(os->MoveToNewName(folder / "new", folder / "free"), 0);
    EXPECT_EQ(ReadBytes(folder / "free"), "new bytes");
    EXPECT_EQ(ReadBytes(folder / "new"), "<missing>");
}

// Files whose flush waits for the run's end are all flushed then, however
// many there are, and the OS's handles for them stay few.
TEST(FilePrimitives, ManyFilesWaitForOneFlush)
{
    TempFolder folder;
    const std::unique_ptr<platform::FilePrimitives> os = platform::OsFilePrimitives();
    for (int n = 1; n <= 1000; ++n) {
        NativeFile file = kNoFile;
        ASSERT_EQ(os->CreateExclusive(folder / (std::to_string(n) + ".vcs"), file), 0);
        ASSERT_EQ(os->WriteAll(file, std::to_string(n)), 0);
        ASSERT_EQ(os->Close(file, true), 0);
    }
#ifdef _WIN32
    // Only a file that no one holds open can be opened without sharing.
    const HANDLE first = ::CreateFileW(Utf8Path(folder / "1.vcs").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(first, INVALID_HANDLE_VALUE) << "the first file is still held open";
    ::CloseHandle(first);
#endif
    EXPECT_EQ(os->FlushFolder(folder.path()), 0);
    EXPECT_EQ(ReadBytes(folder / "1000.vcs"), "1000");
}

// However old a run's staging folder looks, a run into the same folder
// leaves it alone while its lock is held (here by another open file of it).
TEST(FilePrimitives, AStagingFolderWhoseLockIsHeldIsKept)
{
    TempFolder folder;
    const std::unique_ptr<platform::FilePrimitives> os = platform::OsFilePrimitives();
    const std::string staging = folder / ".out.4194303-0.tmp/";
    ASSERT_EQ(os->MakeFolderExclusive(staging), 0);
    ASSERT_EQ(os->MakeFolderExclusive(folder / "out"), 0);
    WriteBytes(staging + "1.vcs", "another run's event");
    WriteBytes(staging + ".lock", "");
    for (const std::string& path : {staging + "1.vcs", staging + ".lock", staging})
        MakeOld(path);
    NativeFile held = kNoFile;
    ASSERT_EQ(os->TakeLock(staging + ".lock", held), 0);
    for (const bool letGo : {false, true}) {
        if (letGo)
            os->Close(held, false);
        platform::LocalFileSystem files;
        files.CreateTextFile(folder / "out/1.vcs", true)->Close();
        EXPECT_EQ(ReadBytes(staging + "1.vcs"), letGo ? "<missing>" : "another run's event");
    }
}

TEST(FilePrimitives, WhatAFolderHolds)
{
    TempFolder folder;
    const std::unique_ptr<platform::FilePrimitives> os = platform::OsFilePrimitives();
    WriteBytes(folder / "a", "");
    ASSERT_EQ(os->MakeFolderExclusive(folder / "b"), 0);
    WriteBytes(folder / "c", "");
    std::vector<std::string> names;
    ASSERT_EQ(os->ListFolder(folder.path(), "", names), 0);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a", "b", "c"}));
    std::vector<std::string> some;
    ASSERT_EQ(os->ListFolder(folder.path(), "b", some), 0);
    EXPECT_EQ(some, std::vector<std::string>{"b"});
    EXPECT_NE(os->ListFolder(folder / "missing/", "", names), 0);
}

#ifdef _WIN32
// A flush that fails fails the run's flush, also when its batch was flushed early.
TEST(FilePrimitives, AFailedFlushIsTold)
{
    TempFolder folder;
    const std::unique_ptr<platform::FilePrimitives> os = platform::OsFilePrimitives();
    WriteBytes(folder / "read only", "x");
    NativeFile reading = kNoFile;
    ASSERT_EQ(os->OpenForReading(folder / "read only", reading), 0);
    ASSERT_EQ(os->Close(reading, true), 0);  // a handle that cannot be flushed
    for (int n = 1; n <= 300; ++n) {
        NativeFile file = kNoFile;
        ASSERT_EQ(os->CreateExclusive(folder / std::to_string(n), file), 0);
        ASSERT_EQ(os->Close(file, true), 0);
    }
    EXPECT_NE(os->FlushFolder(folder.path()), 0);
    EXPECT_EQ(os->FlushFolder(folder.path()), 0) << "told once";
}
#endif

}  // namespace
}  // namespace orvelin::testing
