#pragma once

// The narrow file steps each OS provides (posix/ and windows/). What to do
// with them, the event-file policy and the input stream, is written once over
// these (event_file_store.h, local_file_system.h).

#include "platform/os_error.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace orvelin::platform {

// An open file as the OS names it: a descriptor, or a HANDLE on Windows.
using NativeFile = std::intptr_t;
inline constexpr NativeFile kNoFile = -1;

// The OS's error code (errno, or GetLastError on Windows); 0 is success.
using OsCode = int;

// Which file an open file or a name is: the same identity is the same file,
// whatever it is called now.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t file = 0;
    bool operator==(const FileIdentity&) const = default;
};

struct FileFacts {
    bool ordinary = false;  // not a folder, FIFO, device or socket (nor a link, looked at by name)
    std::uint64_t size = 0;
    // When its content last changed, in nanoseconds since 1970 (UTC). With
    // the size, what tells a file as it was written from one changed since.
    std::int64_t modified = 0;
    // When its content or anything about it last changed (a write, a rename,
    // a new time set), in nanoseconds since 1970; 0 where the OS does not say.
    std::int64_t changed = 0;
};

// Every step reports the OS's code instead of throwing. On POSIX none of the
// noexcept ones allocates, so that an interruption may use them (see
// interruption.h).
class FilePrimitives {
public:
    virtual ~FilePrimitives() = default;

    // Makes a new hidden folder; AlreadyExists when the name is taken by anything.
    virtual OsCode MakeFolderExclusive(const std::string& path) noexcept = 0;
    // Removes an empty folder.
    virtual OsCode RemoveFolder(const std::string& path) noexcept = 0;
    // Whether this process made folder (platform/folders.h) and it is still that folder.
    virtual bool MadeByThisProcess(const std::string& folder) noexcept = 0;

    // Creates path as a new file for writing, never through a link:
    // AlreadyExists when the name is taken by anything.
    virtual OsCode CreateExclusive(const std::string& path, NativeFile& file) noexcept = 0;
    virtual OsCode WriteAll(NativeFile file, std::string_view bytes) noexcept = 0;
    // flushLater: the file's data must reach the disk at the next FlushFolder.
    virtual OsCode Close(NativeFile file, bool flushLater) noexcept = 0;

    virtual OsCode IdentityOf(NativeFile file, FileIdentity& identity) noexcept = 0;
    // What path names, not following a link.
    virtual OsCode IdentityAt(const std::string& path, FileIdentity& identity) noexcept = 0;
    virtual OsCode Remove(const std::string& path) noexcept = 0;

    // Moves from to the name to, unless to exists (AlreadyExists).
    virtual OsCode MoveToNewName(const std::string& from, const std::string& to) noexcept = 0;
    // Whether a file may be moved over what the name path holds (a folder may
    // not); success when nothing is there.
    virtual OsCode CheckReplaceable(const std::string& path) noexcept = 0;
    // Moves from to the name to, replacing what is there (never following a link).
    virtual OsCode MoveOver(const std::string& from, const std::string& to) noexcept = 0;
    // Gives the file from a second name, to (a hard link), never following a
    // link; AlreadyExists when to is taken, and fails where the file system
    // has no hard links.
    virtual OsCode Link(const std::string& from, const std::string& to) noexcept = 0;
    // Moves the folder from to the name to, where nothing or an empty folder
    // is; Unsupported where the OS cannot replace a folder.
    virtual OsCode MoveFolderOver(const std::string& from, const std::string& to) noexcept = 0;
    // The data written into folder and the names given there reach the disk.
    virtual OsCode FlushFolder(const std::string& folder) noexcept = 0;
    // A folder on a file system kept in memory, where nothing survives a
    // power cut and so nothing needs flushing.
    virtual bool IsInMemory(const std::string& folder) noexcept = 0;
    virtual unsigned long ProcessId() noexcept = 0;

    // A lock a run holds on a file for as long as lock stays open: an
    // open-file-description lock on Linux, the file held open without
    // sharing on Windows. Others see it held wherever they open the file
    // from, another process namespace or another machine.
    // Creates path as a new file and takes its lock; AlreadyExists when the
    // name is taken. On a failure, here and in TakeLock, lock is kNoFile.
    virtual OsCode MakeLock(const std::string& path, NativeFile& lock) noexcept = 0;
    // Takes the lock of the file path, never through a link; fails while
    // anyone else holds it, and NotFound when there is no such file.
    virtual OsCode TakeLock(const std::string& path, NativeFile& lock) noexcept = 0;
    // Removes path, then lets its lock go: no one takes the lock of a file on its way out.
    virtual OsCode DropLock(const std::string& path, NativeFile lock) noexcept = 0;

    // For reading. A missing name is not an existing file; a name that cannot
    // be looked at (no permission) is left for opening to report.
    virtual bool FileExists(const std::string& path) noexcept = 0;
    // Opens path for reading without waiting for a writer (a FIFO).
    virtual OsCode OpenForReading(const std::string& path, NativeFile& file) noexcept = 0;
    virtual OsCode Inspect(NativeFile file, FileFacts& facts) noexcept = 0;
    // Reads up to size bytes; got is 0 at the end of the file.
    virtual OsCode ReadSome(NativeFile file, char* buffer, std::size_t size, std::size_t& got) noexcept = 0;

    // Not for an interruption: these allocate.
    // The full path of what path leads to, every link followed.
    virtual OsCode ResolvedPath(const std::string& path, std::string& resolved) = 0;
    // The names in folder that start with prefix ("" for all), "." and ".." aside.
    virtual OsCode ListFolder(const std::string& folder, std::string_view prefix, std::vector<std::string>& names) = 0;
    // How long ago folder or anything directly in it last changed, by their
    // modification times; fails for a folder that is a link.
    virtual OsCode UnchangedFor(const std::string& folder, std::chrono::seconds& age) = 0;
    // Removes the files in folder whose names are removable, then folder if
    // that left it empty; never through a link, folder's own included.
    virtual OsCode RemoveFolderOf(const std::string& folder,
                                  const std::function<bool(std::string_view)>& removable) = 0;

    // What path names, not following a link.
    virtual OsCode InspectAt(const std::string& path, FileFacts& facts) noexcept = 0;
    // Swaps the names of two folders in one step; Unsupported where the OS or
    // the file system cannot.
    virtual OsCode ExchangeFolders(const std::string& a, const std::string& b) noexcept = 0;
    // Keeps a file out of a folder's ordinary listing (on POSIX a name
    // starting with "." does that already).
    virtual OsCode MarkHidden(const std::string& path) noexcept = 0;
    // Whether this process may make files in the existing folder: the code
    // that making one there would fail with (no permission, a read-only file
    // system), or success.
    virtual OsCode CheckWritable(const std::string& folder) noexcept = 0;
};

// This OS's primitives.
std::unique_ptr<FilePrimitives> OsFilePrimitives();

}  // namespace orvelin::platform
