// orvelin.exe driven as a person would, through the Win32 API (under Wine and
// a virtual display here): its look at start-up, whole runs through the
// system's open-file dialog and message boxes, Cancel and closing during a
// run, and Explorer's start, recorded by a stand-in; calendars dropped on
// either window or handed over on the command line; the standalone window's
// controls and keyboard.

#include "platform/local_file_system.h"
#include "tests/support/calendars.h"
#include "tests/support/event_file.h"
#include "tests/support/recording_launcher.h"
#include "tests/support/temp_folder.h"
#include "ui/win32/control_ids.h"
#include "ui/win32/form1_window.h"
#include "ui/win32/registry_settings.h"
#include "ui/win32/standalone_window.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <thread>

namespace orvelin::testing {
namespace {

using namespace ui::win32;
using namespace std::chrono_literals;

std::wstring Wide(const std::string& utf8)
{
    return Utf8Path(utf8).wstring();
}

// A path as a person types it on Windows.
std::wstring Typed(const std::string& path)
{
    std::wstring typed = Wide(path);
    for (wchar_t& c : typed)
        c = c == L'/' ? L'\\' : c;
    return typed;
}

std::wstring TextOf(HWND window)
{
    wchar_t text[1024] = {};
    ::SendMessageW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
    return text;
}

// Polls until done() holds, for up to timeout; whether it came to hold.
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 60s)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

// Polls until found() gives a window, for up to timeout.
HWND WaitFor(const std::function<HWND()>& found, std::chrono::milliseconds timeout = 60s)
{
    HWND window = nullptr;
    WaitUntil([&] { return (window = found()) != nullptr; }, timeout);
    return window;
}

struct FoundWindow {
    DWORD process;
    const wchar_t* windowClass;
    const wchar_t* title;
    HWND window = nullptr;
};

// A top-level window of one process with the given class and title.
HWND TopLevelWindow(DWORD process, const wchar_t* windowClass, const wchar_t* title)
{
    FoundWindow search{process, windowClass, title};
    ::EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto& wanted = *reinterpret_cast<FoundWindow*>(data);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            wchar_t windowClass[64] = {};
            ::GetClassNameW(window, windowClass, 64);
            if (owner != wanted.process || wcscmp(windowClass, wanted.windowClass) != 0 || !::IsWindowVisible(window) ||
                TextOf(window) != wanted.title)
                return TRUE;
            wanted.window = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.window;
}

// The text of the next box of process with this title, which is then
// answered (IDOK, IDYES, IDNO).
std::wstring AnswerBox(DWORD process, const wchar_t* title, WPARAM answer = IDOK)
{
    const HWND box = WaitFor([&] { return TopLevelWindow(process, L"#32770", title); });
    if (!box)
        return L"<no box>";
    const std::wstring text = TextOf(::GetDlgItem(box, 0xFFFF));
    ::PostMessageW(box, WM_COMMAND, answer, 0);
    return text;
}

// orvelin.exe started in a folder of its own, with a stand-in for Explorer.
class WindowProgram : public ::testing::Test {
protected:
    // Starts orvelin.exe with arguments, and waits for its window.
    void Start(const std::vector<std::string>& arguments = {}, const wchar_t* windowClass = L"OrvelinForm1",
               const wchar_t* title = L"Orvelin Version 1.0")
    {
        Close();
        const std::wstring path = Wide(ORVELIN_FAKE_BIN) + L";" + Environment(L"PATH");
        std::wstring environment = L"PATH=" + path + L'\0' + L"ORVELIN_RECORDED_COMMAND_LINE=" +
            Wide(folder / "explorer-command-line") + L'\0' + L"WINEDEBUG=-all" + L'\0' + L'\0';
        std::wstring line = L"\"" + Wide(ORVELIN_WINDOW_PATH) + L"\"";
        for (const std::string& argument : arguments)
            line += L" \"" + Wide(argument) + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        ASSERT_TRUE(::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                                     environment.data(), Wide(folder.path()).c_str(), &startup, &process_));
        ::WaitForInputIdle(process_.hProcess, 60000);
        form = WaitFor([&] { return TopLevelWindow(process_.dwProcessId, windowClass, title); });
        ASSERT_NE(form, nullptr) << "the window did not appear";
    }

    ~WindowProgram() override { Close(); }

    void Close()
    {
        if (process_.hProcess) {
            ::TerminateProcess(process_.hProcess, 99);
            ::CloseHandle(process_.hProcess);
            ::CloseHandle(process_.hThread);
        }
        process_ = {};
    }

    static std::wstring Environment(const wchar_t* name)
    {
        wchar_t value[32767] = {};
        ::GetEnvironmentVariableW(name, value, 32767);
        return value;
    }

    HWND Control(int id) const { return ::GetDlgItem(form, id); }
    void Click(int id) const { ::PostMessageW(Control(id), BM_CLICK, 0, 0); }

    HWND Dialog(const wchar_t* title) const
    {
        return WaitFor([&] { return TopLevelWindow(process_.dwProcessId, L"#32770", title); });
    }

    // Generate, then the file dialog answered with path (empty: cancelled).
    void Generate(const std::string& path)
    {
        Click(kCommand1);
        const HWND dialog = Dialog(L"Browse and select the VCalendar file");
        ASSERT_NE(dialog, nullptr) << "no open-file dialog";
        if (path.empty()) {
            ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            return;
        }
        // The file name box: an editable combo box (cmb13), or an edit (edt1).
        HWND name = ::GetDlgItem(dialog, 0x47c);
        if (name && ::FindWindowExW(name, nullptr, L"Edit", nullptr))
            name = ::FindWindowExW(name, nullptr, L"Edit", nullptr);
        if (!name)
            name = ::GetDlgItem(dialog, 0x480);
        ASSERT_NE(name, nullptr) << "no file name box";
        ::SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Typed(path).c_str()));
        ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    }

    std::wstring AnswerBox(const wchar_t* title, WPARAM answer = IDOK) const
    {
        return testing::AnswerBox(process_.dwProcessId, title, answer);
    }

    // The program's exit status, or -1 when it did not end within timeout.
    int WaitForEnd(DWORD timeout = 60000) const
    {
        if (::WaitForSingleObject(process_.hProcess, timeout) != WAIT_OBJECT_0)
            return -1;
        DWORD status = 0;
        ::GetExitCodeProcess(process_.hProcess, &status);
        return static_cast<int>(status);
    }

    bool Running() const { return ::WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }

    std::string Output(const std::string& name) { return ReadBytes(folder / ("VCS folder/" + name)); }

    TempFolder folder;
    HWND form = nullptr;

private:
    PROCESS_INFORMATION process_{};
};

RECT ClientRectOf(HWND control, HWND form)
{
    RECT rect{};
    ::GetWindowRect(control, &rect);
    ::MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// The window made in this process, so that its fonts and icon can be read.
TEST(WindowLook, StartsWithTheDesignedLook)
{
    RecordingLauncher launcher;
    ui::win32::Form1Window window(
        ::GetModuleHandleW(nullptr), [] { return std::make_unique<platform::LocalFileSystem>(); }, launcher);
    window.Show(SW_SHOWNORMAL);
    const HWND form = window.handle();
    const auto Control = [form](ControlId id) { return ::GetDlgItem(form, id); };
    MSG message{};
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        ::DispatchMessageW(&message);
    RECT client{};
    ::GetClientRect(form, &client);
    EXPECT_EQ(client.right, 594);
    EXPECT_EQ(client.bottom, 117);
    const LONG style = ::GetWindowLongW(form, GWL_STYLE);
    EXPECT_TRUE((style & WS_THICKFRAME) && (style & WS_MINIMIZEBOX) && (style & WS_MAXIMIZEBOX));

    const struct {
        ControlId id;
        RECT rect;
        const wchar_t* text;
    } design[] = {
        {kLabel1, {0, 0, 593, 49}, L""},
        {kLabel2, {8, 8, 585, 49}, nullptr},
        {kFrame1, {8, 56, 585, 105}, L""},
        {kCommand1, {24, 72, 121, 97}, L"&Generate"},
        {kLabel3, {264, 76, 465, 93}, L"Orvelin 1.0 - MIT licence"},
        {kCommand2, {136, 72, 233, 97}, L"&Cancel"},
    };
    for (const auto& control : design) {
        const HWND window = Control(control.id);
        ASSERT_NE(window, nullptr) << control.id;
        const RECT rect = ClientRectOf(window, form);
        EXPECT_EQ(rect.left, control.rect.left) << control.id;
        EXPECT_EQ(rect.top, control.rect.top) << control.id;
        EXPECT_EQ(rect.right, control.rect.right) << control.id;
        EXPECT_EQ(rect.bottom, control.rect.bottom) << control.id;
        EXPECT_TRUE(::IsWindowVisible(window)) << control.id;
        if (control.text) {
            EXPECT_EQ(TextOf(window), control.text) << control.id;
        }
    }
    EXPECT_EQ(TextOf(Control(kLabel2)),
              L"Click \"Generate\" and select the VCalendar (.vcs) file that you wish to split into individual (.vcs) "
              L"files.    The files will be generated in the same location as the selected file under a folder titled "
              L"-VCS folder.  ");

    for (const ControlId id : {kLabel2, kLabel3}) {
        LOGFONTW font{};
        ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(Control(id), WM_GETFONT, 0, 0)), sizeof font, &font);
        EXPECT_STREQ(font.lfFaceName, L"Arial") << id;
        EXPECT_EQ(font.lfHeight, -11) << id << ": 8.25 pt at 96 dots per inch";
        EXPECT_GE(font.lfWeight, FW_BOLD) << id;
    }
    // The credit line fits its label unclipped.
    const HWND credit = Control(kLabel3);
    const HDC context = ::GetDC(credit);
    const HGDIOBJ previous = ::SelectObject(context, reinterpret_cast<HFONT>(::SendMessageW(credit, WM_GETFONT, 0, 0)));
    const std::wstring creditText = TextOf(credit);
    SIZE extent{};
    ::GetTextExtentPoint32W(context, creditText.c_str(), static_cast<int>(creditText.size()), &extent);
    ::SelectObject(context, previous);
    ::ReleaseDC(credit, context);
    EXPECT_LE(extent.cx, 465 - 264);

    LOGFONTW buttonFont{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(Control(kCommand1), WM_GETFONT, 0, 0)), sizeof buttonFont,
                 &buttonFont);
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    EXPECT_STREQ(buttonFont.lfFaceName, metrics.lfMessageFont.lfFaceName) << "the system's dialog font";

    // The white band with the instructions on it.
    const HDC screen = ::GetDC(form);
    EXPECT_EQ(::GetPixel(screen, 590, 2), ::GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(::GetPixel(screen, 580, 45), ::GetSysColor(COLOR_WINDOW));
    ::ReleaseDC(form, screen);

    const auto icon = reinterpret_cast<HICON>(::GetClassLongPtrW(form, GCLP_HICON));
    ICONINFO iconInfo{};
    ASSERT_TRUE(icon && ::GetIconInfo(icon, &iconInfo)) << "the program's icon";
    BITMAP bitmap{};
    ::GetObjectW(iconInfo.hbmColor, sizeof bitmap, &bitmap);
    EXPECT_EQ(bitmap.bmWidth, 32);
    ::DeleteObject(iconInfo.hbmColor);
    ::DeleteObject(iconInfo.hbmMask);

    EXPECT_EQ(::GetFocus(), Control(kCommand1)) << "focus starts on Generate";
    EXPECT_EQ(::GetNextDlgTabItem(form, Control(kCommand1), FALSE), Control(kCommand2));
    EXPECT_EQ(::GetNextDlgTabItem(form, Control(kCommand2), FALSE), Control(kCommand1));
}

// A calendar under a name outside the code page, all the way to Explorer.
TEST_F(WindowProgram, AWholeRunWritesTheFilesReportsOpensExplorerAndEnds)
{
    Start();
    const std::string calendar = folder / "M\xC3\xA4rz \xE6\x97\xA5\xE7\xA8\x8B.vcs";
    WriteBytes(calendar, kThreeEvents);
    Generate(calendar);
    EXPECT_EQ(AnswerBox(L"Orvelin"), L"3 Entries have been generated");
    EXPECT_EQ(WaitForEnd(), 0);
    EXPECT_EQ(Output("1.vcs"), EventFile(kEventA));
    EXPECT_EQ(Output("3.vcs"), EventFile("\r\n" + kEventC));

    const std::string record = folder / "explorer-command-line";
    WaitUntil([&] { return ReadBytes(record) != "<missing>"; });
    const std::string bytes = ReadBytes(record);
    const std::wstring line(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    EXPECT_EQ(line, L"explorer.exe /n, \"" + Typed(folder / "VCS folder") + L"\"");
}

TEST_F(WindowProgram, ARefusalKeepsTheWindowAndACancelledDialogRunsTheSameFileAgain)
{
    Start();
    WriteBytes(folder / "plain.vcs", "BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n");
    Generate(folder / "plain.vcs");
    EXPECT_EQ(AnswerBox(L"Orvelin"), L"Not a valid VCalendar (.vcs) file format");
    Generate("");
    EXPECT_EQ(AnswerBox(L"Orvelin"), L"Not a valid VCalendar (.vcs) file format");
    EXPECT_TRUE(Running());
    ::PostMessageW(form, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForEnd(), 0);
}

std::string ManyEvents(int count)
{
    std::string text = "BEGIN:VCALENDAR\r\n";
    for (int n = 1; n <= count; ++n)
        text += "BEGIN:VEVENT\r\nSUMMARY:" + std::to_string(n) + "\r\nEND:VEVENT\r\n";
    return text + "END:VCALENDAR\r\n";
}

std::string ManyEventsFile(int number)
{
    return EventFile((number == 1 ? "" : "\r\n") +
                     ("BEGIN:VEVENT\r\nSUMMARY:" + std::to_string(number) + "\r\nEND:VEVENT"));
}

constexpr int kManyEvents = 20000;

// One click on Cancel, or one close request, ends a run between two files.
TEST_F(WindowProgram, CancelOrClosingDuringARunEndsIt)
{
    for (const bool byFrame : {false, true}) {
        SCOPED_TRACE(byFrame ? "closed by its frame" : "Cancel clicked");
        std::filesystem::remove_all(Utf8Path(folder / "VCS folder"));
        WriteBytes(folder / "export.vcs", ManyEvents(kManyEvents));
        Start();
        Generate(folder / "export.vcs");
        WaitUntil([&] { return TextOf(Control(kLabel3)).starts_with(L"Generating"); });
        if (byFrame)
            ::PostMessageW(form, WM_CLOSE, 0, 0);
        else
            Click(kCommand2);
        EXPECT_EQ(WaitForEnd(5000), 0) << "one action ends the run";
        int written = 0;
        while (Output(std::to_string(written + 1) + ".vcs") != "<missing>")
            ++written;
        ASSERT_GT(written, 0);
        ASSERT_LT(written, kManyEvents);
        EXPECT_EQ(Output(std::to_string(written) + ".vcs"), ManyEventsFile(written)) << "the last file is complete";
    }
}

TEST_F(WindowProgram, GenerateClickedDuringARunIsIgnored)
{
    WriteBytes(folder / "export.vcs", ManyEvents(2000));
    Start();
    Generate(folder / "export.vcs");
    WaitUntil([&] { return TextOf(Control(kLabel3)).starts_with(L"Generating"); });
    Click(kCommand1);
    EXPECT_EQ(AnswerBox(L"Orvelin"), L"2000 Entries have been generated") << "no second dialog came in between";
    EXPECT_EQ(WaitForEnd(), 0);
    EXPECT_EQ(Output("2000.vcs"), ManyEventsFile(2000));
}

const std::string kCalendar = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n" + kEventA + "\r\n" + kEventB + "\r\n" + kEventC +
    "\r\nEND:VCALENDAR\r\n";
constexpr wchar_t kSettingsKey[] = L"Software\\Orvelin";

// The standalone window's choices as a first start finds them, and after the test.
struct NoKeptChoices {
    NoKeptChoices() { ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey); }
    ~NoKeptChoices() { ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey); }
};

std::unique_ptr<FileSystem> LocalFiles()
{
    return std::make_unique<platform::LocalFileSystem>();
}

// A drop as Explorer hands it over: a DROPFILES and the list of names, UTF-16.
HDROP DropOf(const std::string& file)
{
    const std::wstring names = Wide(file) + L'\0';  // and the empty name that ends the list
    const std::size_t bytes = (names.size() + 1) * sizeof(wchar_t);
    const HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + bytes);
    auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::memcpy(drop + 1, names.c_str(), bytes);
    ::GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

// Each window made in this process, a calendar dropped on it (on the
// standalone window, Generate then), and its summary answered from another
// thread while the window's own loop runs.
TEST(WindowDrop, ACalendarDroppedOnAWindowIsSplit)
{
    const NoKeptChoices fresh;
    RecordingLauncher launcher;
    ui::win32::RegistrySettings settings;
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    const struct {
        std::function<std::unique_ptr<DialogWindow>()> make;
        std::string calendar, name, lastFile;
        std::wstring summary;
        WPARAM answer;
        int start;  // the button that starts the split after the drop, or 0
    } windows[] = {
        {[&] { return std::make_unique<Form1Window>(instance, LocalFiles, launcher); }, kThreeEvents, "cal.vcs",
         "3.vcs", L"3 Entries have been generated", IDOK, 0},
        {[&] { return std::make_unique<StandaloneWindow>(instance, LocalFiles, launcher, settings); }, kCalendar,
         "cal.ics", "3.ics", L"3 entries went into 3 files in ", IDNO, kGenerate},
    };
    for (const auto& dropped : windows) {
        SCOPED_TRACE(dropped.name);
        TempFolder folder;
        WriteBytes(folder / dropped.name, dropped.calendar);
        const std::unique_ptr<DialogWindow> window = dropped.make();
        std::wstring summary;
        std::thread answer([&, form = window->handle()] {
            summary = AnswerBox(::GetCurrentProcessId(), L"Orvelin", dropped.answer);
            if (summary == L"<no box>")
                ::PostMessageW(form, WM_CLOSE, 0, 0);
        });
        ::PostMessageW(window->handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(DropOf(folder / dropped.name)), 0);
        if (dropped.start)
            ::PostMessageW(::GetDlgItem(window->handle(), dropped.start), BM_CLICK, 0, 0);
        EXPECT_EQ(window->Run(SW_SHOWNORMAL), 0);
        answer.join();
        EXPECT_TRUE(summary.starts_with(dropped.summary)) << summary;
        EXPECT_NE(ReadBytes(folder / ("VCS folder/" + dropped.lastFile)), "<missing>");
    }
}

// orvelin.exe FILE splits FILE at once; orvelin.exe --standalone FILE names
// it on the band, and Generate splits it with the choices from the registry
// (up to 2 entries a file), which it keeps there. A box about a FILE that
// cannot be read is owned by the window.
TEST_F(WindowProgram, ACalendarHandedOverIsSplitAtOnceOrOnGenerate)
{
    const NoKeptChoices fresh;
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, L"standalone/files", REG_SZ, L"entries", 16);
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, L"standalone/entries", REG_SZ, L"2", 4);
    WriteBytes(folder / "cal.vcs", kThreeEvents);
    WriteBytes(folder / "cal.ics", kCalendar);
    Start({folder / "cal.vcs"});
    EXPECT_EQ(AnswerBox(L"Orvelin"), L"3 Entries have been generated");
    EXPECT_EQ(WaitForEnd(), 0);
    EXPECT_EQ(Output("3.vcs"), EventFile("\r\n" + kEventC));

    Start({"--standalone", folder / "cal.ics"}, L"OrvelinStandalone", L"Orvelin Version 1.0 - Whole calendars");
    EXPECT_TRUE(WaitUntil(
        [&] { return TextOf(Control(kInstructionsLabel)).starts_with(L"Click \"Generate\" to split \"cal"); }));
    EXPECT_EQ(Output("1.ics"), "<missing>") << "nothing written before Generate";
    Click(kGenerate);
    EXPECT_TRUE(AnswerBox(L"Orvelin", IDNO).starts_with(L"3 entries went into 2 files in "));
    EXPECT_EQ(WaitForEnd(), 0);
    EXPECT_EQ(Output("2.ics"), "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n" + kEventC + "\r\nEND:VCALENDAR\r\n");
    wchar_t kept[16] = {};
    DWORD size = sizeof kept;
    ::RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, L"standalone/names", RRF_RT_REG_SZ, nullptr, kept, &size);
    EXPECT_STREQ(kept, L"number");

    Start({"--standalone", folder / "missing.ics"}, L"OrvelinStandalone", L"Orvelin Version 1.0 - Whole calendars");
    EXPECT_EQ(::GetWindow(Dialog(L"Orvelin"), GW_OWNER), form);
    EXPECT_TRUE(AnswerBox(L"Orvelin").starts_with(L"Orvelin cannot open"));
}

// Every control with its caption: each choice and button has its access key,
// and a field is reached through its choice's. Tab follows the layout, into
// a group of choices at the one chosen (the arrows move within it), as in
// every dialog box.
TEST(StandaloneWindowLook, EveryControlHasItsAccessKeyAndTabFollowsTheLayout)
{
    const NoKeptChoices fresh;
    RecordingLauncher launcher;
    ui::win32::RegistrySettings settings;
    StandaloneWindow window(::GetModuleHandleW(nullptr), LocalFiles, launcher, settings);
    window.Show(SW_SHOWNORMAL);
    window.ProcessPendingEvents();
    const HWND form = window.handle();
    const auto Control = [form](int id) { return ::GetDlgItem(form, id); };
    const auto Checked = [&](int id) { return ::SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; };
    RECT client{};
    ::GetClientRect(form, &client);
    EXPECT_EQ(client.right, 594);

    const std::pair<int, const wchar_t*> captions[] = {{kOneEntry, L"&One entry per file"},
                                                       {kEntries, L"&Up to"},
                                                       {kEntryCount, L"10"},
                                                       {kOneMegabyte, L"Up to &1 MB per file, as many services take"},
                                                       {kSize, L"Up to a si&ze of"},
                                                       {kSizeText, L"500 KB"},
                                                       {kByYear, L"One file per &year: 2024.ics, ..."},
                                                       {kByMonth, L"One file per &month: 2024-03.ics, ..."},
                                                       {kToICalendar, L"&Write iCalendar 2.0 (.ics) files"},
                                                       {kByNumber, L"&Numbers: 1.ics, 2.ics, ..."},
                                                       {kByDate, L"&Date and summary:\n2026-03-01 0930 Standup.ics"},
                                                       {kByUid, L"U&ID of the entry"},
                                                       {kBeside, L"\"&VCS folder\" beside the calendar"},
                                                       {kOwnFolder, L"&This folder:"},
                                                       {kFolder, L""},
                                                       {kBrowse, L"&Browse..."},
                                                       {kGenerate, L"&Generate"},
                                                       {kCancel, L"&Cancel"},
                                                       {kFilesGroup, L"Files"},
                                                       {kNamesGroup, L"Names"},
                                                       {kOutputGroup, L"Output folder"},
                                                       {kProgressLine, L"Orvelin 1.0 - MIT licence"}};
    for (const auto& [id, caption] : captions) {
        EXPECT_EQ(TextOf(Control(id)), caption) << id;
        EXPECT_TRUE(::IsWindowVisible(Control(id))) << id;
    }
    const int tabOrder[] = {kOneEntry, kEntryCount, kSizeText, kToICalendar, kByNumber,
                            kBeside,   kFolder,     kBrowse,   kGenerate,    kCancel};
    for (std::size_t at = 0; at < std::size(tabOrder); ++at)
        EXPECT_EQ(::GetDlgCtrlID(::GetNextDlgTabItem(form, Control(tabOrder[at]), FALSE)),
                  tabOrder[(at + 1) % std::size(tabOrder)]);
    EXPECT_EQ(::GetFocus(), Control(kGenerate));
    EXPECT_EQ(::GetWindowLongW(Control(kGenerate), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_TRUE(Checked(kOneEntry) && Checked(kByNumber) && Checked(kBeside)) << "a first start's choices";
    const HDC screen = ::GetDC(form);
    EXPECT_EQ(::GetPixel(screen, 590, 2), ::GetSysColor(COLOR_WINDOW)) << "the band";
    ::ReleaseDC(form, screen);

    // Alt+U leads into the field of "Up to"; typing in another field makes it the choice.
    ::PostMessageW(::GetFocus(), WM_SYSCHAR, 'u', 1 << 29);
    window.ProcessPendingEvents();
    EXPECT_EQ(::GetFocus(), Control(kEntryCount));
    EXPECT_TRUE(Checked(kEntries));
    // Names take no input while a period is chosen; typing a number of entries ends that.
    ::SendMessageW(Control(kByYear), BM_CLICK, 0, 0);
    EXPECT_FALSE(::IsWindowEnabled(Control(kByDate)));
    ::SetFocus(Control(kEntryCount));
    ::PostMessageW(Control(kEntryCount), WM_CHAR, '5', 1);
    window.ProcessPendingEvents();
    EXPECT_TRUE(::IsWindowEnabled(Control(kByDate)));
    ::SetFocus(Control(kSizeText));
    ::PostMessageW(Control(kSizeText), WM_CHAR, 'x', 1);
    window.ProcessPendingEvents();
    EXPECT_TRUE(Checked(kSize) && !Checked(kEntries));

    // Enter in a field starts (here: with a size that is none).
    std::wstring box;
    std::thread answer([&] { box = AnswerBox(::GetCurrentProcessId(), L"Orvelin"); });
    ::PostMessageW(Control(kSizeText), WM_KEYDOWN, VK_RETURN, 1);
    window.ProcessPendingEvents();
    answer.join();
    EXPECT_TRUE(box.ends_with(L"is not a size: write one such as 500 KB, 1 MB or 1 MiB.")) << box;

    // During a run the focus waits on Cancel: Esc, or Enter on it, ends the program.
    for (const WPARAM key : {VK_ESCAPE, VK_RETURN}) {
        StandaloneWindow ending(::GetModuleHandleW(nullptr), LocalFiles, launcher, settings);
        ending.Show(SW_SHOWNORMAL);
        ending.SetRunning(true);
        ::PostMessageW(::GetFocus(), WM_KEYDOWN, key, 1);
        ending.ProcessPendingEvents();
        EXPECT_EQ(ending.handle(), nullptr) << "the program ended on key " << key;
        MSG quit{};
        ::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    }
}

// Browse shows the system's folder picker; the folder typed there becomes
// the choice.
TEST_F(WindowProgram, BrowseChoosesTheOutputFolderInTheSystemsPicker)
{
    const NoKeptChoices fresh;
    Start({"--standalone"}, L"OrvelinStandalone", L"Orvelin Version 1.0 - Whole calendars");
    Click(kBrowse);
    const HWND picker = Dialog(L"Choose the folder the files go into");
    ASSERT_NE(picker, nullptr);
    const std::wstring typed = Typed(folder.path());
    ::SendMessageW(::FindWindowExW(picker, nullptr, L"Edit", nullptr), WM_SETTEXT, 0,
                   reinterpret_cast<LPARAM>(typed.c_str()));
    ::PostMessageW(picker, WM_COMMAND, IDOK, 0);
    const HWND chosen = Control(kFolder);
    EXPECT_TRUE(WaitUntil([&] { return TextOf(chosen) + L"\\" == typed; })) << TextOf(chosen);
    EXPECT_EQ(::SendMessageW(Control(kOwnFolder), BM_GETCHECK, 0, 0), BST_CHECKED);
}

}  // namespace
}  // namespace orvelin::testing
