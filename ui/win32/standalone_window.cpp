#include "ui/win32/standalone_window.h"

#include "ui/form/captions.h"
#include "ui/win32/control_ids.h"
#include "ui/win32/file_dialogs.h"

#include <commctrl.h>

namespace orvelin::ui::win32 {
namespace {

constexpr DWORD kRadio = BS_AUTORADIOBUTTON | WS_TABSTOP;
constexpr DWORD kCheckBox = BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP;
constexpr DWORD kField = ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP;
constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX;

// In pixels at 96 dots per inch, top to bottom: the band, the choices for
// files (and their format) and names side by side and the output folder
// under them, the row of the run, and the progress line. The radio buttons
// of a choice form a group (WS_GROUP on its first), which ends where the next
// begins; a check box is a group of its own.
constexpr ControlDesign kControls[] = {
    {kBand, L"STATIC", SS_LEFT, "", kOnBand | kBehind, 0, 0, 594, 64},
    {kInstructionsLabel, L"STATIC", kLabel, "", kOnBand | kDesignFont, 8, 8, 578, 52},

    {kFilesGroup, L"BUTTON", BS_GROUPBOX, "Files", kBehind, 8, 72, 300, 196},
    {kOneEntry, L"BUTTON", kRadio | WS_GROUP, "&One entry per file", kDialogFont, 20, 92, 280, 20},
    {kEntries, L"BUTTON", kRadio, "&Up to", kDialogFont, 20, 116, 60, 20},
    {kEntryCount, L"EDIT", kField, "", kDialogFont, 82, 115, 56, 22},
    {kEntriesPerFile, L"STATIC", kLabel, "entries per file", kDialogFont, 144, 119, 150, 16},
    {kOneMegabyte, L"BUTTON", kRadio, "Up to &1 MB per file, as many services take", kDialogFont, 20, 140, 284, 20},
    {kSize, L"BUTTON", kRadio, "Up to a si&ze of", kDialogFont, 20, 164, 104, 20},
    {kSizeText, L"EDIT", kField, "", kDialogFont, 126, 163, 72, 22},
    {kSizePerFile, L"STATIC", kLabel, "per file", kDialogFont, 204, 167, 90, 16},
    {kByYear, L"BUTTON", kRadio, "One file per &year: 2024.ics, ...", kDialogFont, 20, 188, 280, 20},
    {kByMonth, L"BUTTON", kRadio, "One file per &month: 2024-03.ics, ...", kDialogFont, 20, 212, 280, 20},
    {kToICalendar, L"BUTTON", kCheckBox, "&Write iCalendar 2.0 (.ics) files", kDialogFont, 20, 236, 280, 20},

    {kNamesGroup, L"BUTTON", BS_GROUPBOX, "Names", kBehind, 316, 72, 270, 196},
    {kByNumber, L"BUTTON", kRadio | WS_GROUP, "&Numbers: 1.ics, 2.ics, ...", kDialogFont, 328, 92, 250, 20},
    {kByDate, L"BUTTON", kRadio | BS_MULTILINE | BS_TOP, "&Date and summary:\n2026-03-01 0930 Standup.ics", kDialogFont,
     328, 116, 250, 34},
    {kByUid, L"BUTTON", kRadio, "U&ID of the entry", kDialogFont, 328, 154, 250, 20},

    {kOutputGroup, L"BUTTON", BS_GROUPBOX, "Output folder", kBehind, 8, 276, 578, 76},
    {kBeside, L"BUTTON", kRadio | WS_GROUP, "\"&VCS folder\" beside the calendar", kDialogFont, 20, 296, 300, 20},
    {kOwnFolder, L"BUTTON", kRadio, "&This folder:", kDialogFont, 20, 322, 96, 20},
    {kFolder, L"EDIT", kField, "", kDialogFont, 118, 321, 366, 22},
    {kBrowse, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, "&Browse...", kDialogFont, 490, 320, 84, 25},

    {kGenerate, L"BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, "&Generate", kDialogFont, 8, 362, 97, 25},
    {kCancel, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, "&Cancel", kDialogFont, 113, 362, 97, 25},
    {kProgress, PROGRESS_CLASSW, 0, "", kDialogFont, 218, 366, 220, 17},
    {kEntriesLine, L"STATIC", kLabel, "", kDialogFont, 446, 367, 140, 16},
    {kProgressLine, L"STATIC", kLabel, kCreditLine, kDesignFont, 8, 396, 578, 17},
};

const WindowDesign kDesign{L"OrvelinStandalone", kStandaloneCaption, 594, 420, kControls, kGenerate, kGenerate,
                           kProgressLine};

// The bar counts in thousandths: entries may outnumber what an int holds.
constexpr int kProgressSteps = 1000;

using Files = StandaloneChoices::Files;
constexpr std::pair<Files, int> kFileRadios[] = {
    {Files::OneEntry, kOneEntry}, {Files::Entries, kEntries}, {Files::OneMegabyte, kOneMegabyte},
    {Files::Size, kSize},         {Files::Year, kByYear},     {Files::Month, kByMonth}};
constexpr std::pair<FileNaming, int> kNameRadios[] = {
    {FileNaming::Number, kByNumber}, {FileNaming::Date, kByDate}, {FileNaming::Uid, kByUid}};
constexpr std::pair<bool, int> kFolderRadios[] = {{false, kBeside}, {true, kOwnFolder}};

// A choice with a field: the choice's access key leads into the field, and
// typing in the field makes it the choice.
constexpr std::pair<int, int> kFields[] = {{kEntries, kEntryCount}, {kSize, kSizeText}, {kOwnFolder, kFolder}};

std::string Trimmed(std::string text)
{
    text.erase(0, text.find_first_not_of(" \t"));
    text.erase(text.find_last_not_of(" \t") + 1);
    return text;
}

}  // namespace

StandaloneWindow::StandaloneWindow(HINSTANCE instance, FileSystemFactory createFileSystem,
                                   platform::FileManagerLauncher& fileManager, Settings& settings)
    : ToolkitWindow(instance, kDesign), form_(*this, std::move(createFileSystem), fileManager, settings)
{
    const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&classes);
    Create();
    ::SendMessageW(Control(kProgress), PBM_SETRANGE32, 0, kProgressSteps);
    form_.Load();
}

void StandaloneWindow::OnCommand(int id, int notification)
{
    if (notification == BN_CLICKED && (id == kCancel || id == IDCANCEL))
        form_.Cancel();
    else if (notification == BN_CLICKED && id == kGenerate)
        form_.Generate();
    else if (notification == BN_CLICKED && id == kBrowse)
        form_.Browse();
    for (const auto& [radio, field] : kFields) {
        const HWND edit = Control(field);
        if (id == radio && notification == BN_CLICKED) {
            ::SetFocus(edit);
            ::SendMessageW(edit, EM_SETSEL, 0, -1);
        } else if (id == field && notification == EN_CHANGE && ::GetFocus() == edit) {
            CheckInGroup(radio);
            form_.FilesChanged();
        }
    }
    for (const auto& [files, radio] : kFileRadios) {
        if (id == radio && notification == BN_CLICKED)
            form_.FilesChanged();
    }
}

void StandaloneWindow::OnClose()
{
    form_.Cancel();
}

void StandaloneWindow::OpenFile(const std::string& file)
{
    form_.OpenFile(file);
}

bool StandaloneWindow::Checked(int id) const
{
    return ::SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void StandaloneWindow::CheckInGroup(int radio) const
{
    const HWND chosen = Control(radio);
    HWND sibling = chosen;
    do {
        if (::SendMessageW(sibling, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON)
            ::SendMessageW(sibling, BM_SETCHECK, sibling == chosen ? BST_CHECKED : BST_UNCHECKED, 0);
        sibling = ::GetNextDlgGroupItem(handle(), sibling, FALSE);
    } while (sibling && sibling != chosen);
}

template <typename Value, std::size_t N>
Value StandaloneWindow::Chosen(const std::pair<Value, int> (&radios)[N]) const
{
    for (const auto& [value, radio] : radios) {
        if (Checked(radio))
            return value;
    }
    return radios[0].first;
}

template <typename Value, std::size_t N>
void StandaloneWindow::Choose(const std::pair<Value, int> (&radios)[N], Value value) const
{
    for (const auto& [shown, radio] : radios)
        ::SendMessageW(Control(radio), BM_SETCHECK, shown == value ? BST_CHECKED : BST_UNCHECKED, 0);
}

StandaloneChoices StandaloneWindow::Choices()
{
    StandaloneChoices choices;
    choices.files = Chosen(kFileRadios);
    choices.entries = Trimmed(Text(kEntryCount));
    choices.size = Trimmed(Text(kSizeText));
    choices.naming = Chosen(kNameRadios);
    choices.toICalendar = Checked(kToICalendar);
    choices.ownFolder = Chosen(kFolderRadios);
    choices.folder = Text(kFolder);
    return choices;
}

void StandaloneWindow::ShowChoices(const StandaloneChoices& choices)
{
    Choose(kFileRadios, choices.files);
    SetText(kEntryCount, choices.entries);
    SetText(kSizeText, choices.size);
    Choose(kNameRadios, choices.naming);
    ::SendMessageW(Control(kToICalendar), BM_SETCHECK, choices.toICalendar ? BST_CHECKED : BST_UNCHECKED, 0);
    Choose(kFolderRadios, choices.ownFolder);
    SetText(kFolder, choices.folder);
}

std::optional<std::string> StandaloneWindow::ShowFolderDialog(std::string_view title, const std::string& initialFolder)
{
    return ChooseFolder(handle(), title, initialFolder);
}

bool StandaloneWindow::AskYesNo(std::string_view text, std::string_view title)
{
    return Ask(text, title);
}

void StandaloneWindow::ShowEntries(std::uint64_t written, std::uint64_t total, std::string_view words)
{
    const std::uint64_t steps = total == 0 ? 0 : written * kProgressSteps / total;
    ::SendMessageW(Control(kProgress), PBM_SETPOS, static_cast<WPARAM>(steps), 0);
    SetText(kEntriesLine, words);
}

void StandaloneWindow::ShowInstructions(std::string_view text)
{
    SetText(kInstructionsLabel, text);
}

void StandaloneWindow::EnableNames(bool enabled)
{
    for (int id = kNamesGroup; id <= kByUid; ++id)
        ::EnableWindow(Control(id), enabled);
}

// The choices and Generate take no input during a run; the focus waits on
// Cancel meanwhile, so that Esc and Enter still reach it.
void StandaloneWindow::SetRunning(bool running)
{
    for (int id = kFilesGroup; id <= kBrowse; ++id)
        ::EnableWindow(Control(id), !running);
    ::EnableWindow(Control(kGenerate), !running);
    ::SetFocus(Control(running ? kCancel : kGenerate));
}

}  // namespace orvelin::ui::win32
