// orvelin-split.exe end to end under Windows: the same files byte for byte,
// the same texts and exit statuses as on Linux, names outside the code page,
// and the version record the executable carries.

#include "tests/support/event_file.h"
#include "tests/support/memory_run.h"
#include "tests/support/temp_folder.h"
#include "tests/windows/process.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace orvelin::testing {
namespace {

const std::string kEvent1 = "BEGIN:VEVENT\r\nSUMMARY:Standup\r\nEND:VEVENT";
const std::string kEvent2 = "BEGIN:VEVENT\r\nSUMMARY:Caf\xE9\r\nEND:VEVENT";
const std::string kCalendar = "BEGIN:VCALENDAR\r\n" + kEvent1 + "\r\n" + kEvent2 + "\r\nEND:VCALENDAR\r\n";

ProcessResult Split(const TempFolder& folder, const std::string& file)
{
    return RunProcess({ORVELIN_SPLIT_PATH, file}, folder.path());
}

TEST(WindowsConsole, SplitsByteForByteAlsoUnderNamesOutsideTheCodePage)
{
    for (const std::string name : {"export.vcs", "M\xC3\xA4rz 2027.vcs", "\xE6\x97\xA5\xE7\xA8\x8B.vcs"}) {
        SCOPED_TRACE(name);
        TempFolder folder;
        const std::string parent = folder / "B\xC3\xBCro Kalender";
        std::filesystem::create_directory(Utf8Path(parent));
        WriteBytes(parent + "/" + name, kCalendar);
        const ProcessResult result = Split(folder, parent + "/" + name);
        EXPECT_EQ(result.exitStatus, 0) << result.err;
        EXPECT_EQ(result.out, "2 Entries have been generated\r\n");
        EXPECT_EQ(ReadBytes(parent + "/VCS folder/1.vcs"), EventFile(kEvent1));
        EXPECT_EQ(ReadBytes(parent + "/VCS folder/2.vcs"), EventFile("\r\n" + kEvent2));
    }
}

// Standalone files get the same names and bytes as the engine gives anywhere.
TEST(WindowsConsole, StandaloneFilesAreTheSameAsOnEveryOtherSystem)
{
    for (const bool grouped : {false, true}) {
        for (const std::string name : {"outlook-series.ics", "google-export.ics", "two-messages.ics"}) {
            SCOPED_TRACE(name + (grouped ? " named by date, two entries a file" : ""));
            TempFolder folder;
            const std::string input = ReadBytes(std::string(ORVELIN_DATA_DIR) + "/" + name);
            WriteBytes(folder / name, input);
            std::vector<std::string> command{ORVELIN_SPLIT_PATH, "--standalone", name};
            MemoryRun run;
            run.options.standalone = true;
            if (grouped) {
                command.insert(command.end(), {"--names=date", "--per-file", "2"});
                run.options.naming = FileNaming::Date;
                run.options.perFile = 2;
            }
            const ProcessResult result = RunProcess(command, folder.path());
            EXPECT_EQ(result.exitStatus, 0) << result.err;
            run.Run(input);
            ASSERT_GT(run.OutputFileCount(), 0u);
            for (const auto& [file, bytes] : run.OutputFiles())
                EXPECT_EQ(ReadBytes(folder / ("VCS folder/" + file)), bytes) << file;
        }
    }
}

TEST(WindowsConsole, TextsAndExitStatusesAreThoseOfEveryOtherSystem)
{
    TempFolder folder;
    WriteBytes(folder / "plain.vcs", "BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n");
    WriteBytes(folder / "lower.vcs", "begin:vevent\r\nEND:VEVENT\r\n");
    const struct {
        std::string file;
        int exitStatus;
        std::string out;
        std::string err;
    } cases[] = {
        {"plain.vcs", 1, "", "orvelin-split: plain.vcs: Not a valid VCalendar (.vcs) file format\r\n"},
        {"gone.vcs", 2, "", "orvelin-split: gone.vcs: no such file\r\n"},
        {"lower.vcs", 2, "", "orvelin-split: lower.vcs: Find Error 5:  Invalid procedure call or argument\r\n"},
    };
    for (const auto& c : cases) {
        const ProcessResult result = Split(folder, c.file);
        EXPECT_EQ(result.exitStatus, c.exitStatus) << c.file;
        EXPECT_EQ(result.out, c.out) << c.file;
        EXPECT_EQ(result.err, c.err) << c.file;
    }
}

// The console the program runs in is told to take its output as UTF-8: in a
// code page, names outside it would show garbled.
TEST(WindowsConsole, TheConsoleTakesTheOutputAsUtf8)
{
    const bool made = ::GetConsoleOutputCP() == 0;  // run without a terminal, so without a console
    if (made) {
        ::FreeConsole();  // Wine's stand-in for one, which has no code page
        ASSERT_TRUE(::AllocConsole());
    }
    const UINT before = ::GetConsoleOutputCP();
    ::SetConsoleOutputCP(437);
    TempFolder folder;
    EXPECT_EQ(Split(folder, "gone.vcs").exitStatus, 2);
    EXPECT_EQ(::GetConsoleOutputCP(), static_cast<UINT>(CP_UTF8));
    ::SetConsoleOutputCP(before);
    if (made)
        ::FreeConsole();
}

std::wstring VersionValue(const std::vector<char>& record, const wchar_t* name)
{
    wchar_t* value = nullptr;
    UINT length = 0;
    const std::wstring key = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    if (!::VerQueryValueW(record.data(), key.c_str(), reinterpret_cast<void**>(&value), &length) || length == 0)
        return L"<missing>";
    return std::wstring(value, length - 1);
}

TEST(WindowsConsole, TheExecutablesCarryTheVersionRecordAndIcon)
{
    std::vector<std::string> programs{ORVELIN_SPLIT_PATH};
#ifdef ORVELIN_WINDOW_PATH
    programs.push_back(ORVELIN_WINDOW_PATH);
#endif
    for (const std::string& path : programs) {
        SCOPED_TRACE(path);
        const std::wstring program = Utf8Path(path).wstring();
        const DWORD size = ::GetFileVersionInfoSizeW(program.c_str(), nullptr);
        ASSERT_GT(size, 0u);
        std::vector<char> record(size);
        ASSERT_TRUE(::GetFileVersionInfoW(program.c_str(), 0, size, record.data()));
        EXPECT_EQ(VersionValue(record, L"ProductName"), L"Orvelin");
        EXPECT_EQ(VersionValue(record, L"FileVersion"), L"1.00");
        EXPECT_EQ(VersionValue(record, L"ProductVersion"), L"1.00");
        EXPECT_EQ(VersionValue(record, L"Comments"), L"Orvelin 1.0");

        const HMODULE image = ::LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(image, nullptr);
        EXPECT_NE(::FindResourceW(image, L"IDI_ICON1", MAKEINTRESOURCEW(14)), nullptr) << "the program icon";
        ::FreeLibrary(image);
    }
}

}  // namespace
}  // namespace orvelin::testing
