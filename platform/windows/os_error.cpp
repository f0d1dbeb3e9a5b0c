#include "platform/os_error.h"

#include "platform/windows/error_codes.h"
#include "platform/windows/wide.h"

#include <windows.h>

namespace orvelin::platform {
namespace {

// The system's own description, without the line break it ends in.
std::string SystemWords(DWORD error)
{
    // A folder at an event file's name: said as other systems say it.
    if (error == ERROR_DIRECTORY_NOT_SUPPORTED)
        return "Is a directory";
    wchar_t* text = nullptr;
    const DWORD size = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
        MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring words = size > 0 ? std::wstring(text, size) : L"Windows error " + std::to_wstring(error);
    ::LocalFree(text);
    while (!words.empty() && (words.back() == L'\n' || words.back() == L'\r' || words.back() == L' '))
        words.pop_back();
    return Narrow(words);
}

}  // namespace

OsErrorKind KindOfOsError(int code)
{
    switch (static_cast<DWORD>(code)) {
    case ERROR_FILE_NOT_FOUND: return OsErrorKind::NotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DIRECTORY: return OsErrorKind::PathNotFound;
    case ERROR_ACCESS_DENIED: return OsErrorKind::AccessDenied;
    case ERROR_WRITE_PROTECT: return OsErrorKind::ReadOnlyFileSystem;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return OsErrorKind::InUse;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return OsErrorKind::AlreadyExists;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return OsErrorKind::DiskFull;
    case ERROR_FILE_TOO_LARGE: return OsErrorKind::FileSizeLimit;
    case ERROR_TOO_MANY_OPEN_FILES: return OsErrorKind::TooManyFiles;
    case ERROR_CRC:
    case ERROR_IO_DEVICE:
    case ERROR_NOT_READY: return OsErrorKind::DeviceError;
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME: return OsErrorKind::NameTooLong;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY: return OsErrorKind::OutOfMemory;
    case ERROR_NOT_SUPPORTED: return OsErrorKind::Unsupported;
    case ERROR_BAD_FILE_TYPE: return OsErrorKind::NotAFile;
    default: return OsErrorKind::Other;
    }
}

Failure FailureFromOsError(int code)
{
    return FailureFor(KindOfOsError(code), SystemWords(static_cast<DWORD>(code)));
}

void ThrowLastError()
{
    throw FailureFromOsError(static_cast<int>(::GetLastError()));
}

}  // namespace orvelin::platform
