#include "platform/folders.h"

#include "platform/os_error.h"
#include "platform/windows/wide.h"

#include <windows.h>

namespace orvelin::platform {

std::string FirstFileIn(const std::string& folder)
{
    std::wstring pattern;
    try {
        pattern = OsPath(folder);
    } catch (const Failure&) {
        return {};
    }
    if (!pattern.ends_with(L'\\'))
        pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW entry{};
    const HANDLE search = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr,
                                             FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE)
        return {};
    constexpr DWORD kNotOrdinary = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    std::string name;
    do {
        if ((entry.dwFileAttributes & kNotOrdinary) == 0) {
            name = Narrow(entry.cFileName);
            break;
        }
    } while (::FindNextFileW(search, &entry));
    ::FindClose(search);
    return name;
}

bool IsFolder(const std::string& path)
{
    try {
        const DWORD attributes = ::GetFileAttributesW(OsPath(path).c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    } catch (const Failure&) {
        return false;  // a name Windows cannot take
    }
}

void MakeOneFolder(const std::string& folder)
{
    if (!::CreateDirectoryW(OsPath(folder).c_str(), nullptr))
        ThrowLastError();
}

struct CurrentDirectoryKept::Saved {
    std::wstring path;
};

CurrentDirectoryKept::CurrentDirectoryKept() : saved_(std::make_unique<Saved>())
{
    const DWORD size = ::GetCurrentDirectoryW(0, nullptr);
    saved_->path.resize(size);
    saved_->path.resize(::GetCurrentDirectoryW(size, saved_->path.data()));
}

CurrentDirectoryKept::~CurrentDirectoryKept()
{
    if (!saved_->path.empty())
        ::SetCurrentDirectoryW(saved_->path.c_str());
}

// A folder cannot be moved over another on Windows: none is ever put in one's place.
bool MadeByThisProcess(const std::string& /*folder*/) noexcept
{
    return false;
}

std::string ChangeDirectory(const std::string& folder)
{
    if (!::SetCurrentDirectoryW(Widen(folder).c_str()))
        ThrowLastError();
    const DWORD size = ::GetCurrentDirectoryW(0, nullptr);
    std::wstring current(size, L'\0');
    current.resize(::GetCurrentDirectoryW(size, current.data()));
    if (current.empty())
        ThrowLastError();
    return Narrow(current);
}

}  // namespace orvelin::platform
