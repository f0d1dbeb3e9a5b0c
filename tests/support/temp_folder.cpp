#include "tests/support/temp_folder.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#endif

namespace orvelin::testing {

std::filesystem::path Utf8Path(const std::string& path)
{
    return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

TempFolder::TempFolder()
{
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    std::random_device seed;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path candidate = base / ("orvelin-test-" + std::to_string(seed()));
        if (std::filesystem::create_directory(candidate)) {
            const std::u8string name = candidate.generic_u8string();
            path_ = std::string(name.begin(), name.end()) + "/";
            return;
        }
    }
    throw std::runtime_error("cannot make a temporary folder");
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(Utf8Path(path_), ignored);
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(Utf8Path(path), std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(Utf8Path(path), std::ios::binary);
    if (!in)
        return "<missing>";
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void SetLastChange(const std::string& path, std::int64_t seconds)
{
#ifdef _WIN32
    // Windows' C run-time sets no folder's times.
    const HANDLE handle = ::CreateFileW(Utf8Path(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    constexpr std::int64_t kFrom1601To1970 = 11644473600;
    const auto ticks = static_cast<std::uint64_t>(seconds + kFrom1601To1970) * 10'000'000ULL;  // of 100 ns
    const FILETIME time{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    const bool set = handle != INVALID_HANDLE_VALUE && ::SetFileTime(handle, nullptr, nullptr, &time);
    ::CloseHandle(handle);
    if (!set)
        throw std::runtime_error("cannot set the time of " + path);
#else
    const std::chrono::sys_seconds time{std::chrono::seconds(seconds)};
    std::filesystem::last_write_time(Utf8Path(path), std::chrono::file_clock::from_sys(time));
#endif
}

void MakeOld(const std::string& path)
{
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    SetLastChange(path, std::chrono::duration_cast<std::chrono::seconds>(now - std::chrono::hours(2)).count());
}

}  // namespace orvelin::testing
