#include "ui/win32/registry_settings.h"

#include "platform/windows/wide.h"

#include <windows.h>

namespace orvelin::ui::win32 {
namespace {

constexpr wchar_t kKey[] = L"Software\\Orvelin";

}  // namespace

std::optional<std::string> RegistrySettings::Read(std::string_view key)
{
    const std::wstring name = platform::Widen(key);
    DWORD bytes = 0;
    if (::RegGetValueW(HKEY_CURRENT_USER, kKey, name.c_str(), RRF_RT_REG_SZ, nullptr, nullptr, &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    std::wstring value(bytes / sizeof(wchar_t), L'\0');
    if (::RegGetValueW(HKEY_CURRENT_USER, kKey, name.c_str(), RRF_RT_REG_SZ, nullptr, value.data(), &bytes) !=
        ERROR_SUCCESS)
        return std::nullopt;
    // The size read counts the terminating NUL.
    value.resize(bytes / sizeof(wchar_t));
    while (!value.empty() && value.back() == L'\0')
        value.pop_back();
    return platform::Narrow(value);
}

// A choice that cannot be kept is only missed at the next start: a failure
// is not reported.
void RegistrySettings::Write(std::string_view key, std::string_view value)
{
    const std::wstring wide = platform::Widen(value);
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kKey, platform::Widen(key).c_str(), REG_SZ, wide.c_str(),
                      static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
}

}  // namespace orvelin::ui::win32
