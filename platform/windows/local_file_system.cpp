#include "platform/local_file_system.h"

#include "platform/buffered_streams.h"
#include "platform/interruption.h"
#include "platform/os_error.h"
#include "platform/os_files.h"
#include "platform/windows/handle.h"
#include "platform/windows/wide.h"

#include <algorithm>
#include <string>
#include <windows.h>

namespace orvelin::platform {
namespace {

constexpr DWORD kLargestTransfer = 1 << 30;
// Others may look at a file while it is written (a virus scanner, a file
// manager), and it may be removed while open (an interruption does that).
constexpr DWORD kShareWithReaders = FILE_SHARE_READ | FILE_SHARE_DELETE;

class LocalInputStream final : public InputTextStream {
public:
    explicit LocalInputStream(Handle file) : file_(std::move(file)) {}

    std::string ReadAll() override
    {
        LARGE_INTEGER size{};
        if (!::GetFileSizeEx(file_.get(), &size))
            ThrowLastError();
        return ReadWhole(static_cast<std::uint64_t>(size.QuadPart),
                         [this](char* buffer, std::size_t wanted) { return ReadInto(buffer, wanted); });
    }

    void Close() override
    {
        if (!file_.reset())
            ThrowLastError();
    }

private:
    std::size_t ReadInto(char* buffer, std::size_t size)
    {
        std::size_t filled = 0;
        while (filled < size) {
            DWORD got = 0;
            const auto wanted = static_cast<DWORD>(std::min<std::size_t>(size - filled, kLargestTransfer));
            if (!::ReadFile(file_.get(), buffer + filled, wanted, &got, nullptr))
                ThrowLastError();
            if (got == 0)
                break;
            filled += got;
        }
        return filled;
    }

    Handle file_;
};

Handle CreateNew(const std::wstring& path)
{
    return Handle(::CreateFileW(path.c_str(), GENERIC_WRITE, kShareWithReaders, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
}

// An event file appears whole or not at all, and nothing but its own name is
// ever written: a new name is created exclusively (an existing name, link or
// not, makes that fail); when the name exists, the file is written under a
// hidden temporary name beside it and moved over it once complete.
class LocalOutputStream final : public BufferedOutputStream {
public:
    LocalOutputStream(std::string target, bool durable)
        : target_(std::move(target)), osTarget_(OsPath(target_)), durable_(durable)
    {
    }

    ~LocalOutputStream() override
    {
        if (!closed_)
            Discard();
    }

    void Open(bool overwrite, bool& expectTakenName)
    {
        const InterruptionDeferred deferred;
        if (!overwrite || !expectTakenName) {
            file_ = CreateNew(osTarget_);
            if (file_.valid()) {
                createdTarget_ = true;
                MarkFileInProgress(target_);
                return;
            }
            const DWORD error = ::GetLastError();
            if ((error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) || !overwrite)
                throw FailureFromOsError(static_cast<int>(error));
            expectTakenName = true;
        }
        OpenTemporary();
    }

    void Close() override
    {
        Flush();
        // The contents reach the disk before the name does, so that no crash
        // can leave an earlier file replaced by an incomplete one.
        if (durable_ && !::FlushFileBuffers(file_.get()))
            Fail();
        const InterruptionDeferred deferred;
        if (!file_.reset())
            Fail();
        if (!temporary_.empty())
            Replace();
        ClearFileInProgress();
        closed_ = true;
    }

private:
    void OpenTemporary()
    {
        for (int attempt = 0; attempt < kTemporaryNameTries; ++attempt) {
            std::string name = TemporaryNameFor(target_, ::GetCurrentProcessId(), attempt);
            std::wstring osName = OsPath(name);
            file_ = Handle(::CreateFileW(osName.c_str(), GENERIC_WRITE, kShareWithReaders, nullptr, CREATE_NEW,
                                         FILE_ATTRIBUTE_HIDDEN, nullptr));
            if (file_.valid()) {
                temporary_ = std::move(name);
                osTemporary_ = std::move(osName);
                MarkFileInProgress(temporary_);
                return;
            }
            if (::GetLastError() != ERROR_FILE_EXISTS)
                ThrowLastError();
        }
        ThrowLastError();
    }

    void WriteOut(std::string_view bytes) override
    {
        while (!bytes.empty()) {
            DWORD put = 0;
            const auto size = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), kLargestTransfer));
            if (!::WriteFile(file_.get(), bytes.data(), size, &put, nullptr))
                Fail();
            bytes.remove_prefix(put);
        }
    }

    void Replace()
    {
        const DWORD attributes = ::GetFileAttributesW(osTarget_.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES) {
            // A folder at the name cannot be replaced: say so, as other systems do.
            if (attributes & FILE_ATTRIBUTE_DIRECTORY)
                FailWith(FailureFor(OsErrorKind::Other, "Is a directory"));
            // A read-only file is protected from replacing, as Windows has it.
            if (attributes & FILE_ATTRIBUTE_READONLY)
                FailWith(FailureFromOsError(ERROR_ACCESS_DENIED));
        }
        if (!::MoveFileExW(osTemporary_.c_str(), osTarget_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            Fail();
    }

    // An incomplete file is worse than none: remove it, then report.
    [[noreturn]] void Fail()
    {
        FailWith(FailureFromOsError(static_cast<int>(::GetLastError())));
    }

    [[noreturn]] void FailWith(const Failure& failure)
    {
        Discard();
        closed_ = true;
        throw failure;
    }

    void Discard() noexcept
    {
        const InterruptionDeferred deferred;
        file_.reset();
        if (!temporary_.empty())
            ::DeleteFileW(osTemporary_.c_str());
        else if (createdTarget_)
            ::DeleteFileW(osTarget_.c_str());
        ClearFileInProgress();
    }

    std::string target_;
    std::wstring osTarget_;
    bool durable_;
    std::string temporary_;  // empty while writing target_ itself
    std::wstring osTemporary_;
    Handle file_;
    bool createdTarget_ = false;
    bool closed_ = false;
};

}  // namespace

bool IsInMemory(const std::string& folder)
{
    wchar_t volume[MAX_PATH + 1] = {};
    if (!::GetVolumePathNameW(OsPath(folder).c_str(), volume, MAX_PATH))
        return false;
    return ::GetDriveTypeW(volume) == DRIVE_RAMDISK;
}

std::unique_ptr<OutputTextStream> OpenEventFile(const std::string& path, bool overwrite, bool durable,
                                                bool& expectTakenName)
{
    // Everything the stream needs is allocated before anything is created on disk.
    auto stream = std::make_unique<LocalOutputStream>(path, durable);
    stream->Open(overwrite, expectTakenName);
    return stream;
}

void ReportFileSizeLimitAsWriteFailure()
{
    // Windows has no file-size limit signal: a write past a limit simply fails.
}

bool LocalFileSystem::FileExists(const std::string& path)
{
    std::wstring osPath;
    try {
        osPath = OsPath(path);
    } catch (const Failure&) {
        return true;  // a name Windows cannot take: opening it says why
    }
    WIN32_FILE_ATTRIBUTE_DATA info{};
    if (::GetFileAttributesExW(osPath.c_str(), GetFileExInfoStandard, &info))
        return (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    // Only a name that is not there is missing; anything else is left for
    // opening to report.
    const DWORD error = ::GetLastError();
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

std::unique_ptr<InputTextStream> LocalFileSystem::OpenTextFile(const std::string& path, IOMode /*mode*/)
{
    Handle file(::CreateFileW(OsPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid() && ::GetLastError() == ERROR_FILE_NOT_FOUND)
        throw Failure(ErrorNumber::FileNotFound);  // it was there a moment ago
    if (!file.valid())
        ThrowLastError();
    // A pipe or a device would block or never end.
    if (::GetFileType(file.get()) != FILE_TYPE_DISK)
        throw Failure(ErrorNumber::NotAnOrdinaryFile);
    return std::make_unique<LocalInputStream>(std::move(file));
}

}  // namespace orvelin::platform
