#include "ui/win32/file_dialogs.h"

#include "platform/windows/wide.h"

#include <commdlg.h>
#include <shobjidl.h>

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

// Releases a COM object when its scope ends.
template <typename Object>
struct Held {
    Held() = default;
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    ~Held()
    {
        if (object)
            object->Release();
    }
    Object* operator->() const { return object; }
    Object* object = nullptr;
};

std::optional<std::string> PickFolder(HWND owner, std::string_view title, const std::string& initialFolder)
{
    Held<IFileOpenDialog> dialog;
    DWORD options = 0;
    if (FAILED(::CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog.object))) ||
        FAILED(dialog->GetOptions(&options)) ||
        FAILED(dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST)))
        return std::nullopt;
    dialog->SetTitle(platform::Widen(title).c_str());
    Held<IShellItem> start;
    if (!initialFolder.empty() &&
        SUCCEEDED(::SHCreateItemFromParsingName(platform::Widen(initialFolder).c_str(), nullptr,
                                                IID_PPV_ARGS(&start.object))))
        dialog->SetFolder(start.object);
    Held<IShellItem> result;
    wchar_t* path = nullptr;
    if (FAILED(dialog->Show(owner)) || FAILED(dialog->GetResult(&result.object)) ||
        FAILED(result->GetDisplayName(SIGDN_FILESYSPATH, &path)))
        return std::nullopt;
    std::string chosen = platform::Narrow(path);
    ::CoTaskMemFree(path);
    return chosen;
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

std::optional<std::string> ChooseFolder(HWND owner, std::string_view title, const std::string& initialFolder)
{
    // The dialog is a COM object: its thread needs COM, which may be there already.
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    std::optional<std::string> chosen = PickFolder(owner, title, initialFolder);
    if (SUCCEEDED(com))
        ::CoUninitialize();
    return chosen;
}

}  // namespace orvelin::ui::win32
