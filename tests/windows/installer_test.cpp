// The Windows installer, silent, in a Wine prefix where Orvelin is not
// installed: its files, shortcuts, "Open with" entries and uninstall entry,
// the installed console tool at work, an install over it, and a silent
// uninstall that leaves nothing of Orvelin behind (its copy in the temporary
// folder gone, or to go when Windows next starts) and the rest of the
// extensions' entries as they were; then an install over it, an uninstall
// and an install elsewhere refused while one of its programs runs, and an
// install elsewhere that uninstalls it first.

#include "tests/support/event_file.h"
#include "tests/support/temp_folder.h"
#include "tests/windows/process.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <thread>

namespace orvelin::testing {
namespace {

namespace fs = std::filesystem;

constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvelin";
const std::wstring kClasses = L"Software\\Classes\\";
const wchar_t* const kProgIds[] = {L"Orvelin.Calendar", L"Orvelin.Calendar.Standalone"};
const wchar_t* const kExtensions[] = {L".vcs", L".ics"};

fs::path KnownFolder(const KNOWNFOLDERID& id)
{
    wchar_t* path = nullptr;
    ::SHGetKnownFolderPath(id, 0, nullptr, &path);
    fs::path folder(path);
    ::CoTaskMemFree(path);
    return folder;
}

std::string Utf8(const fs::path& path)
{
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

// A value of the user's, or of root's (the key's default for L""), as text (a
// list's first), or nullopt.
std::optional<std::wstring> Value(const std::wstring& key, const wchar_t* name, HKEY root = HKEY_CURRENT_USER)
{
    wchar_t value[1024];
    DWORD size = sizeof value;
    DWORD type = 0;
    if (::RegGetValueW(root, key.c_str(), name, RRF_RT_ANY, &type, value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    if (type != REG_DWORD)
        return std::wstring(value);
    DWORD number = 0;
    std::memcpy(&number, value, sizeof number);
    return std::to_wstring(number);
}

// A value of the uninstall entry.
std::optional<std::wstring> Entry(const wchar_t* name)
{
    return Value(kUninstallKey, name);
}

bool KeyExists(const std::wstring& name)
{
    HKEY key = nullptr;
    const bool exists = ::RegOpenKeyExW(HKEY_CURRENT_USER, name.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS;
    if (exists)
        ::RegCloseKey(key);
    return exists;
}

bool EntryExists()
{
    return KeyExists(kUninstallKey);
}

// Another program's claim on .vcs, its default and one entry in its "Open
// with" list, there before Orvelin and gone after the test.
struct OtherProgramOnVcs {
    OtherProgramOnVcs()
    {
        ::RegSetKeyValueW(HKEY_CURRENT_USER, (kClasses + L".vcs").c_str(), nullptr, REG_SZ, L"Other.Calendar", 30);
        ::RegSetKeyValueW(HKEY_CURRENT_USER, (kClasses + L".vcs\\OpenWithProgids").c_str(), L"Other.Calendar", REG_SZ,
                          L"", 2);
    }
    ~OtherProgramOnVcs()
    {
        for (const wchar_t* extension : kExtensions)
            ::RegDeleteTreeW(HKEY_CURRENT_USER, (kClasses + extension).c_str());
    }
};

// The exit status of the installer run silently with arguments, or of the
// uninstall entry's silent uninstall.
int Install(const std::string& arguments = "")
{
    return RunCommandLine("\"" + std::string(ORVELIN_INSTALLER_PATH) + "\" /S" + arguments, ".").exitStatus;
}
int Uninstall()
{
    return RunCommandLine(Utf8(fs::path(Entry(L"QuietUninstallString").value_or(L""))), ".").exitStatus;
}

// Whether done() comes to hold within a minute.
bool Eventually(const std::function<bool()>& done)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!done() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return done();
}

// Whether folder is gone within a minute: the uninstaller's own file and
// folder go once it has ended.
bool Gone(const fs::path& folder)
{
    return Eventually([&] { return !fs::exists(folder); });
}

// An installed program running until destroyed: the window, or the console
// tool held before its first instruction (its file is loaded all the same).
struct Running {
    explicit Running(const fs::path& program)
    {
        std::wstring line = L"\"" + program.wstring() + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        const DWORD flags = program.filename() == "orvelin.exe" ? 0 : CREATE_SUSPENDED;
        ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, flags, nullptr, nullptr, &startup, &process);
    }
    ~Running()
    {
        ::TerminateProcess(process.hProcess, 0);
        ::WaitForSingleObject(process.hProcess, INFINITE);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
    PROCESS_INFORMATION process{};
};

TEST(WindowsInstaller, InstallsForTheUserAndUninstallsWithoutATrace)
{
    const fs::path installed = KnownFolder(FOLDERID_LocalAppData) / "Programs" / "Orvelin";
    const fs::path startMenu = KnownFolder(FOLDERID_Programs);
    const fs::path shortcuts[] = {startMenu / "Orvelin.lnk", startMenu / "Orvelin (standalone files).lnk"};
    ASSERT_FALSE(fs::exists(installed)) << "Orvelin is installed already";
    ASSERT_FALSE(EntryExists());
    const OtherProgramOnVcs other;

    TempFolder folder;
    for (int time = 1; time <= 2; ++time) {
        SCOPED_TRACE(time == 1 ? "installed" : "installed again over it");
        ASSERT_EQ(Install(), 0);
        for (const char* file : {"orvelin.exe", "orvelin-split.exe", "README.txt", "LICENSE.txt", "uninstall.exe"})
            EXPECT_TRUE(fs::is_regular_file(installed / file)) << file;
        for (const fs::path& shortcut : shortcuts)
            EXPECT_TRUE(fs::is_regular_file(shortcut)) << shortcut;
        EXPECT_EQ(Entry(L"DisplayName"), L"Orvelin");
        EXPECT_EQ(Entry(L"DisplayVersion"), L"1.00");
        EXPECT_EQ(Entry(L"Publisher"), L"The Orvelin authors");
        EXPECT_EQ(Entry(L"DisplayIcon"), (installed / "orvelin.exe").wstring());
        EXPECT_EQ(Entry(L"UninstallString"), L"\"" + (installed / "uninstall.exe").wstring() + L"\"");
        EXPECT_EQ(Entry(L"QuietUninstallString"), L"\"" + (installed / "uninstall.exe").wstring() + L"\" /S");
        EXPECT_GT(std::stoul(Entry(L"EstimatedSize").value_or(L"0")), 0ul);
    }
    // The standalone shortcut starts the window with --standalone (a link
    // keeps its arguments as UTF-16).
    const std::string link = ReadBytes(Utf8(shortcuts[1]));
    const std::wstring_view argument = L"--standalone";
    EXPECT_NE(link.find(std::string(reinterpret_cast<const char*>(argument.data()), argument.size() * 2)),
              std::string::npos);

    // "Open with" on calendars, a command for each window; the extensions'
    // defaults stay as they were.
    const std::wstring program = L"\"" + (installed / "orvelin.exe").wstring() + L"\" ";
    EXPECT_EQ(Value(kClasses + L"Orvelin.Calendar\\shell\\open\\command", L""), program + L"\"%1\"");
    EXPECT_EQ(Value(kClasses + L"Orvelin.Calendar.Standalone\\shell\\open\\command", L""),
              program + L"--standalone \"%1\"");
    EXPECT_EQ(Value(kClasses + L"Orvelin.Calendar", L"FriendlyTypeName"), L"Orvelin");
    EXPECT_EQ(Value(kClasses + L"Orvelin.Calendar.Standalone", L"FriendlyTypeName"), L"Orvelin (standalone files)");
    for (const wchar_t* extension : kExtensions)
        EXPECT_EQ(Value(kClasses + extension + L"\\OpenWithProgids", kProgIds[1]), L"") << extension;
    EXPECT_EQ(Value(kClasses + L".vcs\\OpenWithProgids", kProgIds[0]), L"");
    EXPECT_EQ(Value(kClasses + L".ics\\OpenWithProgids", kProgIds[0]), std::nullopt)
        << "the plain window writes vCalendar";
    EXPECT_EQ(Value(kClasses + L".vcs", L""), L"Other.Calendar");
    EXPECT_EQ(Value(kClasses + L".ics", L""), std::nullopt);

    const std::string event = "BEGIN:VEVENT\r\nSUMMARY:Installed\r\nEND:VEVENT";
    WriteBytes(folder / "cal.vcs", "BEGIN:VCALENDAR\r\n" + event + "\r\nEND:VCALENDAR\r\n");
    const ProcessResult split = RunProcess({Utf8(installed / "orvelin-split.exe"), "cal.vcs"}, folder.path());
    EXPECT_EQ(split.exitStatus, 0) << split.err;
    EXPECT_EQ(ReadBytes(folder / "VCS folder/1.vcs"), EventFile(event));

    // The files Windows removes when it next starts: none but the uninstaller's copy.
    const wchar_t* const pending[] = {L"System\\CurrentControlSet\\Control\\Session Manager",
                                      L"PendingFileRenameOperations"};
    ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, pending[0], pending[1]);
    ASSERT_EQ(Uninstall(), 0);
    EXPECT_TRUE(Gone(installed));
    const fs::path copy = fs::temp_directory_path() / "orvelin-uninstall.exe";
    EXPECT_TRUE(Eventually([&] {
        return !fs::exists(copy) ||
            Value(pending[0], pending[1], HKEY_LOCAL_MACHINE).value_or(L"").ends_with(copy.filename().wstring());
    })) << "the uninstaller's copy stays in "
        << copy;
    ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, pending[0], pending[1]);
    std::error_code ignored;
    fs::remove(copy, ignored);
    for (const fs::path& shortcut : shortcuts)
        EXPECT_FALSE(fs::exists(shortcut)) << shortcut;
    EXPECT_FALSE(EntryExists());
    for (const wchar_t* progId : kProgIds)
        EXPECT_FALSE(KeyExists(kClasses + progId)) << progId;
    for (const wchar_t* extension : kExtensions) {
        for (const wchar_t* progId : kProgIds)
            EXPECT_EQ(Value(kClasses + extension + L"\\OpenWithProgids", progId), std::nullopt) << extension << progId;
    }
    EXPECT_EQ(Value(kClasses + L".vcs\\OpenWithProgids", L"Other.Calendar"), L"");
    EXPECT_EQ(Value(kClasses + L".vcs", L""), L"Other.Calendar");
    EXPECT_FALSE(KeyExists(kClasses + L".ics")) << "the keys left empty are gone";
}

// While a program of the installation runs, an install over it, an uninstall
// and an install elsewhere fail (2) and change nothing; when none runs, an
// install elsewhere uninstalls it first.
TEST(WindowsInstaller, KeepsOneInstallationAndLeavesItAloneWhileItRuns)
{
    ASSERT_EQ(Install(), 0);
    const fs::path installed = Entry(L"InstallLocation").value_or(L"");
    TempFolder folder;
    const fs::path elsewhere = Utf8Path(folder / "Orvelin elsewhere").make_preferred();
    const std::string there = " /D=" + Utf8(elsewhere);
    WriteBytes(Utf8(installed / "README.txt"), "unchanged");
    const std::vector<std::tuple<const char*, const char*, std::function<int()>>> refused{
        {"installed again", "orvelin.exe", [] { return Install(); }},
        {"uninstalled", "orvelin-split.exe", Uninstall},
        {"installed elsewhere", "orvelin.exe", [&] { return Install(there); }},
    };
    for (const auto& [what, program, step] : refused) {
        SCOPED_TRACE(std::string(what) + " while " + program + " runs");
        {
            const Running running(installed / program);
            EXPECT_EQ(step(), 2);
        }
        EXPECT_TRUE(ReadBytes(Utf8(installed / "README.txt")) == "unchanged") << "README.txt replaced or removed";
        EXPECT_TRUE(fs::is_regular_file(KnownFolder(FOLDERID_Programs) / "Orvelin.lnk"));
        EXPECT_EQ(Entry(L"InstallLocation"), installed.wstring());
        EXPECT_FALSE(fs::exists(elsewhere));
    }
    ASSERT_EQ(Install(there), 0);
    EXPECT_TRUE(Gone(installed));
    EXPECT_EQ(Entry(L"InstallLocation"), elsewhere.wstring());
    ASSERT_EQ(Uninstall(), 0);
    EXPECT_TRUE(Gone(elsewhere));
}

}  // namespace
}  // namespace orvelin::testing
