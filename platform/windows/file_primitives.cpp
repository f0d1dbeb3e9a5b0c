#include "platform/file_primitives.h"

#include "platform/folders.h"
#include "platform/local_file_system.h"
#include "platform/windows/error_codes.h"
#include "platform/windows/wide.h"

#include <algorithm>
#include <new>
#include <utility>
#include <vector>
#include <windows.h>

namespace orvelin::platform {
namespace {

constexpr DWORD kLargestTransfer = 1 << 30;
// Others may look at a file while it is written (a virus scanner, a file
// manager), and it may be removed or renamed while open.
constexpr DWORD kShareWithReaders = FILE_SHARE_READ | FILE_SHARE_DELETE;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE HandleOf(NativeFile file)
{
    return reinterpret_cast<HANDLE>(file);
}

NativeFile NativeOf(HANDLE handle)
{
    return reinterpret_cast<NativeFile>(handle);
}

OsCode Result(bool succeeded)
{
    return succeeded ? 0 : static_cast<OsCode>(::GetLastError());
}

// Runs call with the wide form of path; a path Windows cannot take fails as
// a bad name instead of throwing.
template <typename Call>
OsCode WithOsPath(const std::string& path, Call&& call) noexcept
{
    std::wstring osPath;
    try {
        osPath = OsPath(path);
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    } catch (...) {
        return ERROR_INVALID_NAME;
    }
    return call(osPath.c_str());
}

// The same for steps that may allocate: memory running out is thrown.
template <typename Call>
OsCode WithOsPathAllocating(const std::string& path, Call&& call)
{
    std::wstring osPath;
    try {
        osPath = OsPath(path);
    } catch (const Failure&) {
        return ERROR_INVALID_NAME;
    }
    return call(osPath.c_str());
}

// Nanoseconds since 1970, from Windows' 100-nanosecond steps since 1601.
std::int64_t NanosecondsOf(const FILETIME& time)
{
    constexpr std::int64_t kFrom1601To1970 = 116444736000000000;
    const std::int64_t steps = static_cast<std::int64_t>((std::uint64_t{time.dwHighDateTime} << 32) |
                                                         time.dwLowDateTime);
    return (steps - kFrom1601To1970) * 100;
}

// Removes the file through handle, which no one else may need to open for it.
OsCode RemoveAndClose(HANDLE handle)
{
    FILE_DISPOSITION_INFO remove{TRUE};
    const OsCode code = Result(::SetFileInformationByHandle(handle, FileDispositionInfo, &remove, sizeof remove) != 0);
    ::CloseHandle(handle);
    return code;
}

// Opens the lock file osPath so that no one else may open it while it is
// held, and so that its holder may remove it before letting it go. Its
// first byte is locked besides: Wine makes that a lock Linux runs see.
OsCode OpenLock(const wchar_t* osPath, DWORD disposition, NativeFile& lock)
{
    const HANDLE handle = ::CreateFileW(osPath, GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, disposition,
                                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return static_cast<OsCode>(::GetLastError());
    OVERLAPPED start{};
    if (!::LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &start)) {
        const OsCode code = static_cast<OsCode>(::GetLastError());
        if (disposition == CREATE_NEW)
            RemoveAndClose(handle);
        else
            ::CloseHandle(handle);
        return code;
    }
    lock = NativeOf(handle);
    return 0;
}

// 100-nanosecond ticks.
std::int64_t Ticks(const FILETIME& time)
{
    return static_cast<std::int64_t>((std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime);
}

// Calls each with every entry of the folder osPath but "." and ".."; fails
// for a folder that is a link (a junction, a symbolic link) or no folder.
template <typename Each>
OsCode ForEachEntryOfFolderItself(const wchar_t* osPath, Each&& each)
{
    const DWORD attributes = ::GetFileAttributesW(osPath);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return static_cast<OsCode>(::GetLastError());
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return ERROR_DIRECTORY;
    std::wstring path = osPath;
    if (!path.ends_with(L'\\'))
        path += L'\\';
    WIN32_FIND_DATAW entry{};
    const HANDLE search = ::FindFirstFileExW((path + L'*').c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch,
                                             nullptr, 0);
    if (search == INVALID_HANDLE_VALUE)
        return static_cast<OsCode>(::GetLastError());
    do {
        if (std::wstring_view(entry.cFileName) != L"." && std::wstring_view(entry.cFileName) != L"..")
            each(path, entry);
    } while (::FindNextFileW(search, &entry));
    ::FindClose(search);
    return 0;
}

OsCode IdentityOfHandle(HANDLE handle, FileIdentity& identity)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info))
        return static_cast<OsCode>(::GetLastError());
    identity = {info.dwVolumeSerialNumber, (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
    return 0;
}

class WindowsFilePrimitives final : public FilePrimitives {
public:
    ~WindowsFilePrimitives() override
    {
        for (const HANDLE handle : toFlush_)
            ::CloseHandle(handle);
    }

    OsCode MakeFolderExclusive(const std::string& path) noexcept override
    {
        return WithOsPath(path, [](const wchar_t* osPath) {
            if (!::CreateDirectoryW(osPath, nullptr))
                return static_cast<OsCode>(::GetLastError());
            ::SetFileAttributesW(osPath, FILE_ATTRIBUTE_HIDDEN);
            return OsCode{0};
        });
    }

    OsCode RemoveFolder(const std::string& path) noexcept override
    {
        return WithOsPath(path, [](const wchar_t* osPath) { return Result(::RemoveDirectoryW(osPath) != 0); });
    }

    bool MadeByThisProcess(const std::string& folder) noexcept override { return platform::MadeByThisProcess(folder); }

    // An existing name, link or not, makes CREATE_NEW fail.
    OsCode CreateExclusive(const std::string& path, NativeFile& file) noexcept override
    {
        return WithOsPath(path, [&](const wchar_t* osPath) {
            const HANDLE handle = ::CreateFileW(osPath, GENERIC_WRITE, kShareWithReaders, nullptr, CREATE_NEW,
                                                FILE_ATTRIBUTE_NORMAL, nullptr);
            file = NativeOf(handle);
            return Result(handle != INVALID_HANDLE_VALUE);
        });
    }

    OsCode WriteAll(NativeFile file, std::string_view bytes) noexcept override
    {
        while (!bytes.empty()) {
            DWORD put = 0;
            const auto size = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), kLargestTransfer));
            if (!::WriteFile(HandleOf(file), bytes.data(), size, &put, nullptr))
                return static_cast<OsCode>(::GetLastError());
            bytes.remove_prefix(put);
        }
        return 0;
    }

    // A file to be flushed stays open until then: Windows flushes open files
    // only, each by itself. So that a run of many files does not run out of
    // handles, they are flushed and closed in batches as they come; a batch's
    // failure is told at the next FlushFolder.
    OsCode Close(NativeFile file, bool flushLater) noexcept override
    {
        if (flushLater) {
            try {
                toFlush_.push_back(HandleOf(file));
                if (const OsCode code = toFlush_.size() >= kFlushBatch ? FlushPending() : 0; flushFailure_ == 0)
                    flushFailure_ = code;
                return 0;
            } catch (const std::bad_alloc&) {
                const OsCode flushed = Result(::FlushFileBuffers(HandleOf(file)) != 0);
                const OsCode closed = Result(::CloseHandle(HandleOf(file)) != 0);
                return flushed != 0 ? flushed : closed;
            }
        }
        return Result(::CloseHandle(HandleOf(file)) != 0);
    }

    OsCode IdentityOf(NativeFile file, FileIdentity& identity) noexcept override
    {
        return IdentityOfHandle(HandleOf(file), identity);
    }

    OsCode IdentityAt(const std::string& path, FileIdentity& identity) noexcept override
    {
        return WithOsPath(path, [&](const wchar_t* osPath) {
            const HANDLE handle = ::CreateFileW(osPath, 0, kShareAll, nullptr, OPEN_EXISTING,
                                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
            if (handle == INVALID_HANDLE_VALUE)
                return static_cast<OsCode>(::GetLastError());
            const OsCode code = IdentityOfHandle(handle, identity);
            ::CloseHandle(handle);
            return code;
        });
    }

    OsCode Remove(const std::string& path) noexcept override
    {
        return WithOsPath(path, [](const wchar_t* osPath) { return Result(::DeleteFileW(osPath) != 0); });
    }

    OsCode MoveToNewName(const std::string& from, const std::string& to) noexcept override { return Move(from, to, 0); }

    // A folder cannot be replaced; a read-only file is protected from it, as
    // Windows has it; a file another program holds without sharing cannot be
    // replaced while it does.
    OsCode CheckReplaceable(const std::string& path) noexcept override
    {
        return WithOsPath(path, [](const wchar_t* osPath) -> OsCode {
            const DWORD attributes = ::GetFileAttributesW(osPath);
            if (attributes == INVALID_FILE_ATTRIBUTES)
                return 0;
            if (attributes & FILE_ATTRIBUTE_DIRECTORY)
                return ERROR_DIRECTORY_NOT_SUPPORTED;
            if (attributes & FILE_ATTRIBUTE_READONLY)
                return ERROR_ACCESS_DENIED;
            const HANDLE handle = ::CreateFileW(osPath, DELETE, kShareAll, nullptr, OPEN_EXISTING,
                                                FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
            if (handle == INVALID_HANDLE_VALUE)
                return static_cast<OsCode>(::GetLastError());
            ::CloseHandle(handle);
            return 0;
        });
    }

    OsCode MoveOver(const std::string& from, const std::string& to) noexcept override
    {
        return Move(from, to, MOVEFILE_REPLACE_EXISTING);
    }

    OsCode Link(const std::string& from, const std::string& to) noexcept override
    {
        return WithOsPath(from, [&](const wchar_t* osFrom) {
            return WithOsPath(to, [&](const wchar_t* osTo) {
                return Result(::CreateHardLinkW(osTo, osFrom, nullptr) != 0);
            });
        });
    }

    OsCode MoveFolderOver(const std::string& /*from*/, const std::string& /*to*/) noexcept override
    {
        return ERROR_NOT_SUPPORTED;
    }

    OsCode FlushFolder(const std::string& folder) noexcept override
    {
        OsCode failure = std::exchange(flushFailure_, 0);
        if (const OsCode code = FlushPending(); failure == 0)
            failure = code;
        // The names: not every file system lets a folder be flushed, and NTFS
        // writes its log of them with the files' data anyway.
        WithOsPath(folder, [](const wchar_t* osPath) {
            const HANDLE handle = ::CreateFileW(osPath, GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                                                FILE_FLAG_BACKUP_SEMANTICS, nullptr);
            if (handle != INVALID_HANDLE_VALUE) {
                ::FlushFileBuffers(handle);
                ::CloseHandle(handle);
            }
            return 0;
        });
        return failure;
    }

    bool IsInMemory(const std::string& folder) noexcept override
    {
        bool ramDisk = false;
        WithOsPath(folder, [&](const wchar_t* osPath) {
            wchar_t volume[MAX_PATH + 1] = {};
            ramDisk = ::GetVolumePathNameW(osPath, volume, MAX_PATH) && ::GetDriveTypeW(volume) == DRIVE_RAMDISK;
            return 0;
        });
        return ramDisk;
    }

    unsigned long ProcessId() noexcept override { return ::GetCurrentProcessId(); }

    OsCode MakeLock(const std::string& path, NativeFile& lock) noexcept override
    {
        lock = kNoFile;
        return WithOsPath(path, [&](const wchar_t* osPath) { return OpenLock(osPath, CREATE_NEW, lock); });
    }

    // Held by another: a sharing violation, or a lock violation for a lock Wine shows of a Linux run.
    OsCode TakeLock(const std::string& path, NativeFile& lock) noexcept override
    {
        lock = kNoFile;
        return WithOsPath(path, [&](const wchar_t* osPath) { return OpenLock(osPath, OPEN_EXISTING, lock); });
    }

    OsCode DropLock(const std::string& /*path*/, NativeFile lock) noexcept override
    {
        return RemoveAndClose(HandleOf(lock));
    }

    bool FileExists(const std::string& path) noexcept override
    {
        bool exists = true;  // a name Windows cannot take: opening it says why
        WithOsPath(path, [&](const wchar_t* osPath) {
            WIN32_FILE_ATTRIBUTE_DATA info{};
            if (::GetFileAttributesExW(osPath, GetFileExInfoStandard, &info)) {
                exists = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
            } else {
                const DWORD error = ::GetLastError();
                exists = error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
            }
            return 0;
        });
        return exists;
    }

    OsCode OpenForReading(const std::string& path, NativeFile& file) noexcept override
    {
        return WithOsPath(path, [&](const wchar_t* osPath) {
            // A device ("NUL", "CON") is no file, and opening one may block or fail for its own reasons.
            if (std::wstring_view(osPath).starts_with(LR"(\\.\)"))
                return static_cast<OsCode>(ERROR_BAD_FILE_TYPE);
            const HANDLE handle = ::CreateFileW(osPath, GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                                FILE_ATTRIBUTE_NORMAL, nullptr);
            file = NativeOf(handle);
            return Result(handle != INVALID_HANDLE_VALUE);
        });
    }

    // A pipe or a device would block or never end.
    OsCode Inspect(NativeFile file, FileFacts& facts) noexcept override
    {
        LARGE_INTEGER size{};
        FILETIME written{};
        facts.ordinary = ::GetFileType(HandleOf(file)) == FILE_TYPE_DISK;
        if (facts.ordinary &&
            (!::GetFileSizeEx(HandleOf(file), &size) || !::GetFileTime(HandleOf(file), nullptr, nullptr, &written)))
            return static_cast<OsCode>(::GetLastError());
        facts.size = static_cast<std::uint64_t>(size.QuadPart);
        facts.modified = facts.ordinary ? NanosecondsOf(written) : 0;
        return 0;
    }

    OsCode ReadSome(NativeFile file, char* buffer, std::size_t size, std::size_t& got) noexcept override
    {
        DWORD read = 0;
        const auto wanted = static_cast<DWORD>(std::min<std::size_t>(size, kLargestTransfer));
        const OsCode code = Result(::ReadFile(HandleOf(file), buffer, wanted, &read, nullptr) != 0);
        got = read;
        return code;
    }

    OsCode ResolvedPath(const std::string& path, std::string& resolved) override
    {
        return WithOsPathAllocating(path, [&](const wchar_t* osPath) -> OsCode {
            const HANDLE handle = ::CreateFileW(osPath, 0, kShareAll, nullptr, OPEN_EXISTING,
                                                FILE_FLAG_BACKUP_SEMANTICS, nullptr);
            if (handle == INVALID_HANDLE_VALUE)
                return static_cast<OsCode>(::GetLastError());
            std::wstring final(::GetFinalPathNameByHandleW(handle, nullptr, 0, FILE_NAME_NORMALIZED), L'\0');
            final.resize(::GetFinalPathNameByHandleW(handle, final.data(), static_cast<DWORD>(final.size()),
                                                     FILE_NAME_NORMALIZED));
            const OsCode code = final.empty() ? static_cast<OsCode>(::GetLastError()) : 0;
            ::CloseHandle(handle);
            resolved = Narrow(final);
            return code;
        });
    }

    OsCode ListFolder(const std::string& folder, std::string_view prefix, std::vector<std::string>& names) override
    {
        return WithOsPathAllocating(folder, [&](const wchar_t* osPath) -> OsCode {
            std::wstring pattern = osPath;
            if (!pattern.ends_with(L'\\'))
                pattern += L'\\';
            pattern += L'*';
            WIN32_FIND_DATAW entry{};
            const HANDLE search = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch,
                                                     nullptr, 0);
            if (search == INVALID_HANDLE_VALUE)
                return static_cast<OsCode>(::GetLastError());
            do {
                const std::wstring_view name = entry.cFileName;
                if (name != L"." && name != L"..") {
                    std::string narrow = Narrow(name);
                    if (narrow.starts_with(prefix))
                        names.push_back(std::move(narrow));
                }
            } while (::FindNextFileW(search, &entry));
            ::FindClose(search);
            return OsCode{0};
        });
    }

    OsCode UnchangedFor(const std::string& folder, std::chrono::seconds& age) override
    {
        return WithOsPathAllocating(folder, [&](const wchar_t* osPath) -> OsCode {
            WIN32_FILE_ATTRIBUTE_DATA info{};
            if (!::GetFileAttributesExW(osPath, GetFileExInfoStandard, &info))
                return static_cast<OsCode>(::GetLastError());
            std::int64_t newest = Ticks(info.ftLastWriteTime);
            const auto changed = [&](const std::wstring&, const WIN32_FIND_DATAW& entry) {
                newest = std::max(newest, Ticks(entry.ftLastWriteTime));
            };
            const OsCode code = ForEachEntryOfFolderItself(osPath, changed);
            FILETIME now{};
            ::GetSystemTimeAsFileTime(&now);
            age = std::chrono::seconds((Ticks(now) - newest) / 10'000'000);
            return code;
        });
    }

    // A folder that is a link (a junction, a symbolic link) is left alone.
    OsCode RemoveFolderOf(const std::string& folder, const std::function<bool(std::string_view)>& removable) override
    {
        return WithOsPathAllocating(folder, [&](const wchar_t* osPath) -> OsCode {
            const auto remove = [&](const std::wstring& path, const WIN32_FIND_DATAW& entry) {
                if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && removable(Narrow(entry.cFileName)))
                    ::DeleteFileW((path + entry.cFileName).c_str());
            };
            if (const OsCode code = ForEachEntryOfFolderItself(osPath, remove))
                return code;
            return Result(::RemoveDirectoryW(osPath) != 0);
        });
    }

    // A link (a reparse point) is no ordinary file.
    OsCode InspectAt(const std::string& path, FileFacts& facts) noexcept override
    {
        return WithOsPath(path, [&](const wchar_t* osPath) -> OsCode {
            WIN32_FILE_ATTRIBUTE_DATA info{};
            if (!::GetFileAttributesExW(osPath, GetFileExInfoStandard, &info))
                return static_cast<OsCode>(::GetLastError());
            facts.ordinary = (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
            facts.size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
            facts.modified = NanosecondsOf(info.ftLastWriteTime);
            return OsCode{0};
        });
    }

    OsCode ExchangeFolders(const std::string& /*a*/, const std::string& /*b*/) noexcept override
    {
        return ERROR_NOT_SUPPORTED;
    }

    OsCode MarkHidden(const std::string& path) noexcept override
    {
        return WithOsPath(path, [](const wchar_t* osPath) {
            return Result(::SetFileAttributesW(osPath, FILE_ATTRIBUTE_HIDDEN) != 0);
        });
    }

    // Permissions are the folder's business and tell when a file is made; a
    // write-protected volume is known beforehand.
    OsCode CheckWritable(const std::string& folder) noexcept override
    {
        return WithOsPath(folder, [](const wchar_t* osPath) -> OsCode {
            wchar_t volume[MAX_PATH + 1] = {};
            DWORD flags = 0;
            if (::GetVolumePathNameW(osPath, volume, MAX_PATH) &&
                ::GetVolumeInformationW(volume, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) &&
                (flags & FILE_READ_ONLY_VOLUME))
                return ERROR_WRITE_PROTECT;
            return 0;
        });
    }

private:
    // How many files wait for their flush at most.
    static constexpr std::size_t kFlushBatch = 256;

    // Flushes and closes the files waiting for it; the first failure.
    OsCode FlushPending() noexcept
    {
        OsCode failure = 0;
        for (const HANDLE handle : toFlush_) {
            const OsCode code = Result(::FlushFileBuffers(handle) != 0);
            failure = failure != 0 ? failure : code;
            ::CloseHandle(handle);
        }
        toFlush_.clear();
        return failure;
    }

    static OsCode Move(const std::string& from, const std::string& to, DWORD flags) noexcept
    {
        return WithOsPath(from, [&](const wchar_t* osFrom) {
            return WithOsPath(to, [&](const wchar_t* osTo) -> OsCode {
                if (::MoveFileExW(osFrom, osTo, flags))
                    return 0;
                const DWORD error = ::GetLastError();
                // A folder at the name: said as other systems say it.
                const DWORD attributes = ::GetFileAttributesW(osTo);
                if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
                    return ERROR_DIRECTORY_NOT_SUPPORTED;
                return static_cast<OsCode>(error);
            });
        });
    }

    std::vector<HANDLE> toFlush_;
    OsCode flushFailure_ = 0;
};

}  // namespace

std::unique_ptr<FilePrimitives> OsFilePrimitives()
{
    return std::make_unique<WindowsFilePrimitives>();
}

}  // namespace orvelin::platform
