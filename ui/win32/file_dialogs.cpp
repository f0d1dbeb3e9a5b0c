#include "ui/win32/file_dialogs.h"

#include "platform/windows/wide.h"

#include <commdlg.h>

#include <vector>

namespace orvelin::ui::win32 {
namespace {

// "Description|pattern|…" as the dialog takes it: NUL-separated, doubly ended.
std::wstring DialogFilter(const std::string& filter)
{
    std::wstring result = platform::Widen(filter);
    for (wchar_t& c : result)
        c = c == L'|' ? L'\0' : c;
    result.push_back(L'\0');
    result.push_back(L'\0');
    return result;
}

}  // namespace

std::optional<std::string> ChooseFile(HWND owner, const DialogSettings& settings, const std::string& initialFile)
{
    const std::wstring filter = DialogFilter(settings.filter);
    const std::wstring title = platform::Widen(settings.title);
    std::vector<wchar_t> file(32768, L'\0');
    const std::wstring initial = platform::Widen(initialFile);
    std::copy(initial.begin(), initial.end(), file.begin());
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrTitle = title.c_str();
    dialog.Flags = static_cast<DWORD>(settings.flags) | OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!::GetOpenFileNameW(&dialog))
        return std::nullopt;
    return platform::Narrow(file.data());
}

}  // namespace orvelin::ui::win32
