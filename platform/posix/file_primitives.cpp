#include "platform/file_primitives.h"

#include "platform/folders.h"
#include "platform/local_file_system.h"
#include "platform/posix/move_to_new_name.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace orvelin::platform {
namespace {

// The result of a system call that sets errno: 0 or errno.
OsCode Result(bool succeeded)
{
    return succeeded ? 0 : errno;
}

FileIdentity IdentityFrom(const struct stat& info)
{
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

FileFacts FactsFrom(const struct stat& info)
{
    constexpr std::int64_t kNanoseconds = 1000 * 1000 * 1000;
    return {S_ISREG(info.st_mode), static_cast<std::uint64_t>(info.st_size),
            static_cast<std::int64_t>(info.st_mtim.tv_sec) * kNanoseconds + info.st_mtim.tv_nsec,
            static_cast<std::int64_t>(info.st_ctim.tv_sec) * kNanoseconds + info.st_ctim.tv_nsec};
}

// A lock on the whole file that belongs to its open file description, not to
// the process (which any close of the file would let go): processes of
// other namespaces see it, and over NFS other machines.
OsCode LockWhole(int fd, int command)
{
    struct flock whole {};
    whole.l_type = F_WRLCK;
    whole.l_whence = SEEK_SET;
    return Result(::fcntl(fd, command, &whole) == 0);
}

// Opens the lock file path (as flags say, never through a link) and takes
// its lock; a file made for it that cannot be locked is removed.
OsCode OpenLocked(const std::string& path, int flags, int command, NativeFile& lock)
{
    lock = kNoFile;
    const int fd = ::open(path.c_str(), flags | O_RDWR | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno;
    if (const OsCode code = LockWhole(fd, command)) {
        if (flags & O_CREAT)
            ::unlink(path.c_str());
        ::close(fd);
        return code;
    }
    lock = fd;
    return 0;
}

using FolderStream = std::unique_ptr<DIR, int (*)(DIR*)>;

// Opens the folder name (without a trailing "/", which would have a link
// followed) itself, never what a link of that name leads to.
OsCode OpenFolderItself(const std::string& name, FolderStream& dir)
{
    const int fd = ::open(name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return errno;
    dir.reset(::fdopendir(fd));
    if (dir)
        return 0;
    const OsCode code = errno;
    ::close(fd);
    return code;
}

std::string WithoutTrailingSeparator(const std::string& folder)
{
    return folder.ends_with('/') ? folder.substr(0, folder.size() - 1) : folder;
}

class PosixFilePrimitives final : public FilePrimitives {
public:
    OsCode MakeFolderExclusive(const std::string& path) noexcept override
    {
        return Result(::mkdir(path.c_str(), 0777) == 0);
    }

    OsCode RemoveFolder(const std::string& path) noexcept override { return Result(::rmdir(path.c_str()) == 0); }

    bool MadeByThisProcess(const std::string& folder) noexcept override { return platform::MadeByThisProcess(folder); }

    OsCode CreateExclusive(const std::string& path, NativeFile& file) noexcept override
    {
        file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        return Result(file >= 0);
    }

    OsCode WriteAll(NativeFile file, std::string_view bytes) noexcept override
    {
        while (!bytes.empty()) {
            const ssize_t put = ::write(static_cast<int>(file), bytes.data(), bytes.size());
            if (put < 0 && errno != EINTR)
                return errno;
            bytes.remove_prefix(put < 0 ? 0 : static_cast<std::size_t>(put));
        }
        return 0;
    }

    // Flushing is done per file system (FlushFolder), so nothing is kept.
    OsCode Close(NativeFile file, bool /*flushLater*/) noexcept override
    {
        return Result(::close(static_cast<int>(file)) == 0);
    }

    OsCode IdentityOf(NativeFile file, FileIdentity& identity) noexcept override
    {
        struct stat info {};
        if (::fstat(static_cast<int>(file), &info) != 0)
            return errno;
        identity = IdentityFrom(info);
        return 0;
    }

    OsCode IdentityAt(const std::string& path, FileIdentity& identity) noexcept override
    {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0)
            return errno;
        identity = IdentityFrom(info);
        return 0;
    }

    OsCode Remove(const std::string& path) noexcept override { return Result(::unlink(path.c_str()) == 0); }

    OsCode MoveToNewName(const std::string& from, const std::string& to) noexcept override
    {
        if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
            return 0;
        if (errno != EINVAL && errno != ENOSYS)
            return errno;
        return MoveToNewNameByLink(from, to);
    }

    OsCode Link(const std::string& from, const std::string& to) noexcept override
    {
        return Result(::linkat(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), 0) == 0);
    }

    OsCode CheckReplaceable(const std::string& path) noexcept override
    {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0)
            return errno == ENOENT ? 0 : errno;
        return S_ISDIR(info.st_mode) ? EISDIR : 0;
    }

    OsCode MoveOver(const std::string& from, const std::string& to) noexcept override
    {
        return Result(::rename(from.c_str(), to.c_str()) == 0);
    }

    // rename() replaces an empty folder and refuses one that is not.
    OsCode MoveFolderOver(const std::string& from, const std::string& to) noexcept override
    {
        return MoveOver(from, to);
    }

    // One flush for the whole file system: each file flushed alone would wait
    // for the disk once per file.
    OsCode FlushFolder(const std::string& folder) noexcept override
    {
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return errno;
        const OsCode code = Result(::syncfs(fd) == 0);
        ::close(fd);
        return code;
    }

    bool IsInMemory(const std::string& folder) noexcept override
    {
        struct statfs info {};
        return ::statfs(folder.c_str(), &info) == 0 && (info.f_type == TMPFS_MAGIC || info.f_type == RAMFS_MAGIC);
    }

    unsigned long ProcessId() noexcept override { return static_cast<unsigned long>(::getpid()); }

    // A run that looks at the new file before it is locked has it only for
    // an instant: that is waited for.
    OsCode MakeLock(const std::string& path, NativeFile& lock) noexcept override
    {
        return OpenLocked(path, O_CREAT | O_EXCL, F_OFD_SETLKW, lock);
    }

    // Never waits: a FIFO at the name, a lock held.
    OsCode TakeLock(const std::string& path, NativeFile& lock) noexcept override
    {
        return OpenLocked(path, O_NONBLOCK, F_OFD_SETLK, lock);
    }

    OsCode DropLock(const std::string& path, NativeFile lock) noexcept override
    {
        const OsCode code = Result(::unlink(path.c_str()) == 0);
        ::close(static_cast<int>(lock));
        return code;
    }

    bool FileExists(const std::string& path) noexcept override
    {
        struct stat info {};
        if (::stat(path.c_str(), &info) == 0)
            return !S_ISDIR(info.st_mode);
        return errno != ENOENT && errno != ENOTDIR;
    }

    OsCode OpenForReading(const std::string& path, NativeFile& file) noexcept override
    {
        // Non-blocking, so that opening a FIFO without a writer cannot hang.
        file = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        return Result(file >= 0);
    }

    OsCode Inspect(NativeFile file, FileFacts& facts) noexcept override
    {
        struct stat info {};
        if (::fstat(static_cast<int>(file), &info) != 0)
            return errno;
        facts = FactsFrom(info);
        return 0;
    }

    OsCode ReadSome(NativeFile file, char* buffer, std::size_t size, std::size_t& got) noexcept override
    {
        ssize_t read = 0;
        do
            read = ::read(static_cast<int>(file), buffer, size);
        while (read < 0 && errno == EINTR);
        got = read < 0 ? 0 : static_cast<std::size_t>(read);
        return Result(read >= 0);
    }

    OsCode ResolvedPath(const std::string& path, std::string& resolved) override
    {
        const std::unique_ptr<char, void (*)(void*)> real(::realpath(path.c_str(), nullptr), &::free);
        if (!real)
            return errno;
        resolved = real.get();
        return 0;
    }

    OsCode ListFolder(const std::string& folder, std::string_view prefix, std::vector<std::string>& names) override
    {
        const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), &::closedir);
        if (!dir)
            return errno;
        while (const dirent* entry = ::readdir(dir.get())) {
            const std::string_view name = entry->d_name;
            if (name != "." && name != ".." && name.starts_with(prefix))
                names.emplace_back(name);
        }
        return 0;
    }

    OsCode UnchangedFor(const std::string& folder, std::chrono::seconds& age) override
    {
        FolderStream dir(nullptr, &::closedir);
        if (const OsCode code = OpenFolderItself(WithoutTrailingSeparator(folder), dir))
            return code;
        struct stat info {};
        if (::fstat(::dirfd(dir.get()), &info) != 0)
            return errno;
        std::time_t newest = info.st_mtim.tv_sec;
        while (const dirent* entry = ::readdir(dir.get())) {
            const std::string_view name = entry->d_name;  // ".": the folder; "..": not in it
            if (name != ".." && ::fstatat(::dirfd(dir.get()), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0)
                newest = std::max(newest, info.st_mtim.tv_sec);
        }
        age = std::chrono::seconds(std::time(nullptr) - newest);
        return 0;
    }

    // Through the folder's own descriptor: what is removed is in it, even if
    // its name is made a link meanwhile.
    OsCode RemoveFolderOf(const std::string& folder, const std::function<bool(std::string_view)>& removable) override
    {
        const std::string name = WithoutTrailingSeparator(folder);
        FolderStream dir(nullptr, &::closedir);
        if (const OsCode code = OpenFolderItself(name, dir))
            return code;
        while (const dirent* entry = ::readdir(dir.get())) {
            if (entry->d_type != DT_DIR && removable(entry->d_name))
                ::unlinkat(::dirfd(dir.get()), entry->d_name, 0);
        }
        return Result(::rmdir(name.c_str()) == 0);
    }

    OsCode InspectAt(const std::string& path, FileFacts& facts) noexcept override
    {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0)
            return errno;
        facts = FactsFrom(info);
        return 0;
    }

    OsCode ExchangeFolders(const std::string& a, const std::string& b) noexcept override
    {
        if (::renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE) == 0)
            return 0;
        return errno == EINVAL || errno == ENOSYS ? EOPNOTSUPP : errno;
    }

    OsCode MarkHidden(const std::string& /*path*/) noexcept override { return 0; }

    OsCode CheckWritable(const std::string& folder) noexcept override
    {
        return Result(::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0);
    }
};

}  // namespace

OsCode MoveToNewNameByLink(const std::string& from, const std::string& to) noexcept
{
    if (::link(from.c_str(), to.c_str()) == 0)
        return Result(::unlink(from.c_str()) == 0);
    // No hard links either (FAT through FUSE): a look, then a rename, which
    // another process could beat only within that moment.
    if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS)
        return errno;
    struct stat info {};
    if (::lstat(to.c_str(), &info) == 0)
        return EEXIST;
    if (errno != ENOENT)
        return errno;
    return Result(::rename(from.c_str(), to.c_str()) == 0);
}

std::unique_ptr<FilePrimitives> OsFilePrimitives()
{
    return std::make_unique<PosixFilePrimitives>();
}

}  // namespace orvelin::platform
