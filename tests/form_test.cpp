// The window's behaviour, whatever draws it: Form1 against a toolkit that
// records what the window would show and answers for the person, on the disk
// in memory of the test support.

#include "engine/failure.h"
#include "engine/paths.h"
#include "tests/support/calendars.h"
#include "tests/support/event_file.h"
#include "tests/support/hooked_file_system.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/memory_settings.h"
#include "tests/support/recording_launcher.h"
#include "ui/form/command_line.h"
#include "ui/form/form1.h"
#include "ui/form/standalone_form.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>

namespace orvelin::testing {
namespace {

using ui::DialogSettings;
using ui::Form1;

struct Box {
    std::string text;
    std::string title;
    MessageIcon icon;
    std::string progressLine;  // Label3 as the box appears: its caption, or "<hidden>"

    bool operator==(const Box&) const = default;
};

void PrintTo(const Box& box, std::ostream* out)
{
    *out << "{\"" << box.text << "\", \"" << box.title << "\", " << static_cast<int>(box.icon) << ", \""
         << box.progressLine << "\"}";
}

// Records what the window shows; answers dialogs from a queue and runs an
// action on a chosen event pump, as a person clicking then would. It draws
// the standalone window too.
class FakeToolkit final : public ui::StandaloneToolkit {
public:
    std::optional<std::string> ShowOpenDialog(const DialogSettings& settings, const std::string& initialFile) override
    {
        dialogs.push_back(settings);
        initialFiles.push_back(initialFile);
        if (answers.empty())
            return std::nullopt;
        std::optional<std::string> answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void ShowBox(std::string_view text, std::string_view title, MessageIcon icon) override
    {
        boxes.push_back({std::string(text), std::string(title), icon, ProgressLine()});
    }
    void SetProgressVisible(bool visible) override { progressVisible = visible; }
    void SetProgressCaption(std::string_view caption) override { progressCaption = caption; }
    void ProcessPendingEvents() override
    {
        ++pumps;
        if (onPump)
            std::exchange(onPump, nullptr)();
    }
    void EndProgram(int exitStatus) override { endings.push_back(exitStatus); }
    ui::StandaloneChoices Choices() override { return choices; }
    void ShowChoices(const ui::StandaloneChoices& shown) override { choices = shown; }
    std::optional<std::string> ShowFolderDialog(std::string_view, const std::string&) override { return folderAnswer; }
    bool AskYesNo(std::string_view text, std::string_view title) override
    {
        boxes.push_back({std::string(text), std::string(title), MessageIcon::Information, "<question>"});
        return yes;
    }
    void ShowEntries(std::uint64_t, std::uint64_t, std::string_view words) override { entries.emplace_back(words); }
    // As the Win32 window does, the end of a run enables every choice.
    void SetRunning(bool running) override
    {
        runningShown.push_back(running);
        namesEnabled |= !running;
    }
    void ShowInstructions(std::string_view text) override { instructions = text; }
    void EnableNames(bool enabled) override { namesEnabled = enabled; }

    std::string ProgressLine() const { return progressVisible ? progressCaption : "<hidden>"; }

    std::deque<std::optional<std::string>> answers;
    std::vector<DialogSettings> dialogs;
    std::vector<std::string> initialFiles;
    std::vector<Box> boxes;
    bool progressVisible = false;
    std::string progressCaption = "credit";
    int pumps = 0;
    std::function<void()> onPump;
    std::vector<int> endings;
    ui::StandaloneChoices choices;
    std::optional<std::string> folderAnswer;
    bool yes = false;
    std::vector<std::string> entries;
    std::vector<bool> runningShown;
    std::string instructions;
    bool namesEnabled = true;
};

const std::string kThreeEntries = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n" + kEventA + "\r\n" + kEventB + "\r\n" + kEventC +
    "\r\nEND:VCALENDAR\r\n";

// The calendars' folder on the disk in memory.
struct MemoryFolder {
    std::string path() const { return "/cal/"; }
    std::string operator/(const std::string& name) const { return path() + name; }
};

class FormBehaviour : public ::testing::Test {
protected:
    FormBehaviour() { disk->folders.insert({folder.path(), "/other/"}); }

    // Generate, with the dialog answering path (nullopt: cancel).
    void Generate(std::optional<std::string> path)
    {
        toolkit.answers.push_back(std::move(path));
        form.Command1_Click();
    }
    void Put(const std::string& path, const std::string& bytes) { disk->files[path] = bytes; }
    std::string Read(const std::string& path) const
    {
        const auto file = disk->files.find(path);
        return file == disk->files.end() ? "<missing>" : file->second;
    }
    // The folder and everything in it gone.
    void RemoveAll(const std::string& folder)
    {
        std::erase_if(disk->files, [&](const auto& file) { return file.first.starts_with(folder); });
        std::erase_if(disk->folders, [&](const std::string& made) { return made.starts_with(folder); });
    }
    std::string Output(int number) { return Read(folder / ("VCS folder/" + std::to_string(number) + ".vcs")); }

    MemoryFolder folder;
    std::shared_ptr<MemoryFileSystem::Disk> disk = std::make_shared<MemoryFileSystem::Disk>();
    FakeToolkit toolkit;
    RecordingLauncher launcher;
    std::function<std::unique_ptr<FileSystem>()> files = [this] { return std::make_unique<MemoryFileSystem>(disk); };
    Form1 form{toolkit, [this] { return files(); }, launcher};
};

TEST_F(FormBehaviour, LoadShowsTheCreditLine)
{
    form.Form_Load();
    EXPECT_EQ(toolkit.ProgressLine(), "credit");
}

TEST_F(FormBehaviour, AWholeRunWritesTheFilesReportsOpensTheFolderAndEnds)
{
    Put(folder / "export.vcs", kThreeEvents);
    Generate(folder / "export.vcs");

    ASSERT_EQ(toolkit.dialogs.size(), 1u);
    EXPECT_EQ(toolkit.dialogs[0].filter, "VCalendar|*.vcs");
    EXPECT_EQ(toolkit.dialogs[0].title, "Browse and select the VCalendar file");
    EXPECT_EQ(toolkit.dialogs[0].flags, 0x1000);
    const Box summary{"3 Entries have been generated", "Orvelin", MessageIcon::Information,
                      "Generating file ...... 3.vcs"};
    EXPECT_EQ(toolkit.boxes, std::vector{summary});
    EXPECT_EQ(toolkit.ProgressLine(), "<hidden>");
    EXPECT_EQ(toolkit.progressCaption, "");
    EXPECT_EQ(launcher.started, std::vector{folder / "VCS folder"});
    EXPECT_EQ(toolkit.endings, std::vector{0});
    EXPECT_EQ(Output(1), EventFile(kEventA));
    EXPECT_EQ(Output(3), EventFile("\r\n" + kEventC));
}

// The standalone window: a run with its choices, its progress in entries,
// and a summary that offers the folder.
TEST_F(FormBehaviour, AStandaloneRunShowsItsEntriesAndOffersTheFolder)
{
    Put(folder / "export.ics", kThreeEntries);
    for (const bool yes : {false, true}) {
        FakeToolkit standalone;
        MemorySettings settings;
        ui::StandaloneForm form(standalone, files, launcher, settings);
        form.Load();
        standalone.choices.files = ui::StandaloneChoices::Files::Entries;
        standalone.choices.entries = "2";
        standalone.yes = yes;
        standalone.answers.push_back(folder / "export.ics");
        form.Generate();
        ASSERT_EQ(standalone.dialogs.size(), 1u);
        EXPECT_EQ(standalone.dialogs[0].filter, "Calendars|*.ics;*.vcs|iCalendar|*.ics|VCalendar|*.vcs|All files|*.*");
        EXPECT_EQ(standalone.entries, (std::vector<std::string>{"0 of 3 entries", "2 of 3 entries", "3 of 3 entries"}));
        // The rerun replaces the first run's result, but for the file changed since.
        const std::string rerun =
            " They replaced the 1 file of the earlier split.\r\n\r\nKept 1.ics (not written "
            "by Orvelin, or changed since): its entries went into 1 (2).ics.";
        const Box summary{"3 entries went into 2 files in " + folder.path() + "VCS folder." + (yes ? rerun : "") +
                              "\r\n\r\nOpen the folder?",
                          "Orvelin", MessageIcon::Information, "<question>"};
        EXPECT_EQ(standalone.boxes, std::vector{summary});
        EXPECT_EQ(launcher.started.size(), yes ? 1u : 0u);
        EXPECT_EQ(standalone.runningShown, std::vector{true});
        EXPECT_EQ(standalone.endings, std::vector{0});
        Put(folder / "VCS folder/1.ics", "changed by hand");
    }
    EXPECT_EQ(Read(folder / "VCS folder/2.ics"),
              "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n" + kEventC + "\r\nEND:VCALENDAR\r\n");
}

// Written as iCalendar 2.0, the summary tells the conversion's notes, the
// first few of them.
TEST_F(FormBehaviour, AConversionsNotesAreInItsSummary)
{
    std::string calendar = "BEGIN:VCALENDAR\r\nVERSION:1.0\r\n";
    for (const char* uid : {"a", "b", "c", "d"})
        calendar += std::string("BEGIN:VEVENT\r\nUID:") + uid + "\r\nDTSTART:20270101T090000\r\nRRULE:D4\r\nEND:VEVENT\r\n";
    Put(folder / "phone.vcs", calendar + "END:VCALENDAR\r\n");
    FakeToolkit standalone;
    MemorySettings settings;
    ui::StandaloneForm form(standalone, files, launcher, settings);
    form.Load();
    standalone.choices.toICalendar = true;
    standalone.answers.push_back(folder / "phone.vcs");
    form.Generate();
    ASSERT_EQ(standalone.boxes.size(), 1u);
    const std::string note = ": RRULE has neither a count nor an end date: it means two times (COUNT=2)";
    EXPECT_NE(standalone.boxes[0].text.find("\r\n\r\nWritten as iCalendar 2.0 with 4 notes:\r\nline 6 (a)" + note +
                                            "\r\nline 11 (b)" + note + "\r\nline 16 (c)" + note +
                                            "\r\nand 1 more.\r\n\r\nOpen the folder?"),
              std::string::npos)
        << standalone.boxes[0].text;
}

// Each choice stands for the console's option; one that stands for none
// says why in a box, and nothing runs.
TEST_F(FormBehaviour, TheStandaloneChoicesAreTheConsolesOptions)
{
    using Files = ui::StandaloneChoices::Files;
    disk->folders.insert(folder / "import/");
    Put(folder / "export.ics", kThreeEntries);
    const std::string separator(1, kPathSeparators.back());
    const struct {
        ui::StandaloneChoices choices;
        std::uint32_t perFile;
        std::uint64_t maxBytes;
        std::string outputFolder;  // or the box's start
    } cases[] = {
        {{}, 1, 0, ""},
        {{.files = Files::Entries, .entries = "25"}, 25, 0, ""},
        {{.files = Files::Entries, .entries = "many"}, 0, 0, "\"many\" is not a number of entries"},
        {{.files = Files::OneMegabyte}, FileLimits::kAnyNumber, 1000000, ""},
        {{.files = Files::Size, .size = "2 MiB"}, FileLimits::kAnyNumber, 2097152, ""},
        {{.files = Files::Size, .size = "1 QB"}, 0, 0, "\"1 QB\" is not a size"},
        {{.files = Files::Month, .toICalendar = true}, FileLimits::kAnyNumber, 0, ""},
        {{.naming = FileNaming::Uid, .ownFolder = true, .folder = folder / "import"},
         1,
         0,
         folder / "import" + separator},
        {{.ownFolder = true, .folder = folder / "new"}, 1, 0, folder / "new" + separator},
        {{.ownFolder = true, .folder = folder / "new/deeper"}, 1, 0, folder / "new/deeper" + separator},
        {{.ownFolder = true, .folder = folder / "export.ics/deeper"},
         0,
         0,
         "The folder \"" + folder / "export.ics/deeper\" cannot be used"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.outputFolder);
        FakeToolkit standalone;
        MemorySettings settings;
        ui::StandaloneForm form(standalone, files, launcher, settings);
        standalone.choices = c.choices;
        const std::optional<SplitOptions> options = form.Options();
        if (!options) {
            ASSERT_EQ(standalone.boxes.size(), 1u);
            EXPECT_TRUE(standalone.boxes[0].text.starts_with(c.outputFolder)) << standalone.boxes[0].text;
            continue;
        }
        EXPECT_TRUE(options->standalone);
        EXPECT_EQ(options->perFile, c.perFile);
        EXPECT_EQ(options->maxBytes, c.maxBytes);
        EXPECT_EQ(options->naming, c.choices.naming);
        EXPECT_EQ(options->toICalendar, c.choices.toICalendar);
        EXPECT_EQ(options->period, c.choices.files == Files::Month ? Period::Month : Period::None);
        EXPECT_EQ(options->outputFolder, c.outputFolder);
    }
}

TEST_F(FormBehaviour, TheICalendarChoiceWritesVCalendarEntriesAsICalendar)
{
    Put(folder / "phone.vcs", "BEGIN:VCALENDAR\r\nVERSION:1.0\r\n" + kEventA + "\r\nEND:VCALENDAR\r\n");
    MemorySettings settings;
    ui::StandaloneForm standalone(toolkit, files, launcher, settings);
    toolkit.choices.toICalendar = true;
    toolkit.answers.push_back(folder / "phone.vcs");
    standalone.Generate();
    EXPECT_TRUE(Read(folder / "VCS folder/1.ics").starts_with("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Orvelin"));
}

// The choices of a run come back at the next start, a folder typed also
// while "VCS folder" is chosen; a refused field is not kept, also on closing.
// A folder that is gone falls back to "VCS folder", without a word; older
// settings hold a folder only while chosen, and may hold a refused field.
TEST_F(FormBehaviour, TheStandaloneChoicesAreKeptAndAStaleFolderFallsBack)
{
    using Files = ui::StandaloneChoices::Files;
    disk->folders.insert(folder / "import/");
    const ui::StandaloneChoices chosen{Files::Size, "10", "1 MB", FileNaming::Date, true, false, folder / "import"};
    Put(folder / "notes.txt", "in the way");
    const ui::StandaloneChoices refused{
        Files::Size, "0", "0 KB", FileNaming::Date, true, false, folder / "notes.txt/deeper"};
    MemorySettings settings;
    for (const ui::StandaloneChoices& closed : {chosen, refused}) {
        FakeToolkit first;
        ui::StandaloneForm form(first, files, launcher, settings);
        first.choices = closed;
        form.Cancel();  // closing keeps them too
    }
    for (const std::string_view kept : {"now", "before", "gone"}) {
        if (kept == "before") {
            settings.values.erase("standalone/output");
            settings.values.erase("standalone/ics");      // kept before it was offered: off
            settings.values["standalone/size"] = "0 KB";  // refused, yet kept so
        }
        if (kept == "gone")
            disk->folders.erase(folder / "import/");
        FakeToolkit next;
        ui::StandaloneForm form(next, files, launcher, settings);
        form.Load();
        ui::StandaloneChoices expected = chosen;
        expected.size = kept == "now" ? chosen.size : "500 KB";
        expected.ownFolder = kept == "before";
        expected.toICalendar = kept == "now";
        expected.folder = kept == "gone" ? "" : chosen.folder;
        EXPECT_EQ(next.choices, expected) << kept;
        EXPECT_TRUE(next.boxes.empty());
    }
}

// Names take no input while the files go by period: from the start, after a
// change of files, and after a run.
TEST_F(FormBehaviour, NamesAreDisabledWhileAPeriodIsChosen)
{
    MemorySettings settings;
    settings.values["standalone/files"] = "year";
    FakeToolkit standalone;
    ui::StandaloneForm form(standalone, files, launcher, settings);
    form.Load();
    EXPECT_FALSE(standalone.namesEnabled);
    standalone.choices.files = ui::StandaloneChoices::Files::Size;
    form.FilesChanged();
    EXPECT_TRUE(standalone.namesEnabled);
    standalone.choices.files = ui::StandaloneChoices::Files::Month;
    standalone.answers.push_back(folder / "none.ics");
    form.Generate();
    EXPECT_FALSE(standalone.namesEnabled);
}

// A calendar handed over on the command line or dropped on the plain window
// runs as if the dialog had returned it; one that cannot be read is named in
// a box (by either window) and the window stays; a drop during a run is
// ignored. The standalone window names it (a long name keeps its start and
// end) and waits: Generate splits it with the choices as they are then,
// without the dialog.
TEST_F(FormBehaviour, AHandedOrDroppedCalendarRunsAsIfChosen)
{
    // Where a backslash is no separator, it is part of the name.
    const std::string handed = kPathSeparators == "/" ? "export\\1.vcs" : "export.vcs";
    Put(folder / handed, kThreeEvents);
    Put(folder / "other.vcs", kThreeEvents);
    form.OpenFile(folder / "missing.vcs");
    EXPECT_EQ(toolkit.boxes.size(), 1u) << "a box names the missing calendar";
    EXPECT_TRUE(toolkit.runningShown.empty());
    toolkit.onPump = [&] { form.OpenFile(folder / "other.vcs"); };
    form.OpenFile(folder / handed);
    EXPECT_EQ(form.CommonDialog1.fileTitle(), handed);
    EXPECT_EQ(Output(3), EventFile("\r\n" + kEventC));
    EXPECT_EQ(toolkit.boxes.size(), 2u) << "the drop during the run started nothing";
    EXPECT_TRUE(toolkit.dialogs.empty());

    FakeToolkit standalone;
    MemorySettings settings;
    ui::StandaloneForm standaloneForm(standalone, files, launcher, settings);
    standaloneForm.OpenFile(folder / "missing.ics");
    const Box unreadable{"Orvelin cannot open \"" + folder / "missing.ics\".\r\n\r\nError 53:  File not found",
                         "Orvelin", MessageIcon::Critical, "<hidden>"};
    standaloneForm.OpenFile(folder.path());
    const Box aFolder{"Orvelin cannot open \"" + folder.path() + "\".\r\n\r\nError 1001:  It is a folder, not a file",
                      "Orvelin", MessageIcon::Critical, "<hidden>"};
    EXPECT_EQ(standalone.boxes, (std::vector{unreadable, aFolder}));
    EXPECT_TRUE(standalone.endings.empty());
    EXPECT_TRUE(standalone.runningShown.empty());

    const std::string fits = "Planning \xE6\x97\xA5\xE7\xA8\x8B" + std::string(27, '_') + "final.ics";  // 47 characters
    Put(folder / fits, kThreeEntries);
    standaloneForm.OpenFile(folder / fits);
    EXPECT_TRUE(standalone.instructions.starts_with("Click \"Generate\" to split \"" + fits + "\" with"))
        << standalone.instructions;

    const std::string name = "Planning \xE6\x97\xA5\xE7\xA8\x8B" + std::string(40, '_') + "final.ics";
    Put(folder / name, kThreeEntries);
    standaloneForm.OpenFile(folder / name);
    EXPECT_TRUE(standalone.instructions.starts_with("Click \"Generate\" to split \"Planning \xE6\x97\xA5\xE7\xA8\x8B" +
                                                    std::string(11, '_') + "..." + std::string(13, '_') +
                                                    "final.ics\" with"))
        << standalone.instructions;
    EXPECT_EQ(Read(folder / "VCS folder/1.ics"), "<missing>");
    standalone.choices = {.files = ui::StandaloneChoices::Files::Entries, .entries = "2"};
    standaloneForm.Generate();
    EXPECT_TRUE(standalone.dialogs.empty());
    EXPECT_EQ(Read(folder / "VCS folder/2.ics"),
              "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n" + kEventC + "\r\nEND:VCALENDAR\r\n");
}

TEST_F(FormBehaviour, ACancelledDialogDoesNothingOrRunsTheEarlierFileAgain)
{
    Generate(std::nullopt);
    EXPECT_TRUE(toolkit.boxes.empty());
    EXPECT_EQ(form.CommonDialog1.fileName(), "");

    Put(folder / "plain.vcs", "BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n");
    Generate(folder / "plain.vcs");
    Generate(std::nullopt);
    ASSERT_EQ(toolkit.boxes.size(), 2u);
    EXPECT_EQ(toolkit.boxes[1].text, "Not a valid VCalendar (.vcs) file format");
    EXPECT_EQ(toolkit.initialFiles[2], folder / "plain.vcs") << "the dialog opens on the earlier choice";
    EXPECT_EQ(form.CommonDialog1.fileTitle(), "plain.vcs");
    EXPECT_TRUE(toolkit.endings.empty());
}

TEST_F(FormBehaviour, CancelOrClosingDuringARunEndsItBetweenTwoFiles)
{
    for (const bool byFrame : {false, true}) {
        SCOPED_TRACE(byFrame ? "closed by its frame" : "Cancel clicked");
        RemoveAll("/other/VCS folder/");
        Put("/other/export.vcs", kThreeEvents);
        FakeToolkit running;
        Form1 runningForm(running, files, launcher);
        running.onPump = [&] { byFrame ? runningForm.Form_Unload() : runningForm.Command2_Click(); };
        running.answers.push_back("/other/export.vcs");
        runningForm.Command1_Click();

        EXPECT_EQ(running.endings, std::vector{0});
        EXPECT_TRUE(running.boxes.empty()) << "no summary";
        EXPECT_TRUE(launcher.started.empty());
        EXPECT_EQ(Read("/other/VCS folder/1.vcs"), EventFile(kEventA));
        EXPECT_EQ(Read("/other/VCS folder/2.vcs"), "<missing>");
    }
}

TEST_F(FormBehaviour, GenerateClickedDuringARunIsIgnored)
{
    Put(folder / "export.vcs", kThreeEvents);
    toolkit.onPump = [&] { Generate(folder / "export.vcs"); };
    Generate(folder / "export.vcs");
    EXPECT_EQ(toolkit.dialogs.size(), 1u) << "the click during the run showed no dialog";
    EXPECT_EQ(toolkit.boxes.size(), 1u);
    EXPECT_EQ(toolkit.endings, std::vector{0});
}

// Each failure gets its box, and the window stays or the program ends as the
// failure's place says.
TEST_F(FormBehaviour, FailuresAreReportedWhereTheyHappen)
{
    const std::string error = "An error occurred during execution.\r\n\r\n";
    const auto denied = [] { throw Failure(ErrorNumber::PermissionDenied); };
    const struct {
        const char* what;
        FileSystemHooks hooks;
        bool folderInTheWay;
        Box box;
        std::vector<int> endings;
    } cases[] = {
        {"an unreadable file",
         {.beforeOpen = denied},
         false,
         {error + "Error 70:  Permission denied", "Orvelin Error", MessageIcon::Critical, "credit"},
         {}},
        {"an input that vanished after the dialog",
         {.beforeOpen = [this] { disk->files.erase(folder / "export.vcs"); }},
         false,
         {error + "Error 53:  File not found", "Orvelin Error", MessageIcon::Critical, "credit"},
         {}},
        {"an output folder that cannot be used",
         {},
         true,
         {error + "Find Error 76:  Path not found", "Orvelin Error", MessageIcon::Critical, "credit"},
         {}},
        {"a failure no procedure catches",
         {.afterExists = denied},
         false,
         {"Run-time error '70':\r\n\r\nPermission denied", "Orvelin", MessageIcon::Critical, "credit"},
         {1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RemoveAll(folder / "VCS folder/");
        Put(folder / "export.vcs", kThreeEvents);
        if (c.folderInTheWay)
            Put(folder / "VCS folder", "an ordinary file in the way");
        FakeToolkit shown;
        shown.progressVisible = true;
        Form1 failing(
            shown, [&] { return std::make_unique<HookedFileSystem>(c.hooks, files()); }, launcher);
        shown.answers.push_back(folder / "export.vcs");
        failing.Command1_Click();
        EXPECT_EQ(shown.boxes, std::vector<Box>{c.box});
        EXPECT_EQ(shown.endings, c.endings);
        EXPECT_TRUE(launcher.started.empty());
    }
}

}  // namespace
// The summary names the folder without the separator it ends in, but for
// a root, which is nothing without it.
TEST(StandaloneSummary, NamesTheFolderAsTheUserWouldWriteIt)
{
    for (const auto& [folder, named] : {std::pair{"/home/me/out/", "/home/me/out."}, std::pair{"/", "/."}}) {
        RunSummary summary;
        summary.entries = 1;
        summary.files = 1;
        summary.folder = folder;
        const std::string text = ui::SummaryText(summary);
        EXPECT_EQ(text, "1 entry went into 1 file in " + std::string(named) + "\r\n\r\nOpen the folder?");
    }
}

// The window takes --standalone and one FILE ("-" too, and after "--" one
// that starts with a dash); anything more is a usage error.
TEST(WindowArguments, TheStandaloneChoiceAndOneFile)
{
    const struct {
        std::vector<std::string> arguments;
        std::optional<int> status;
        std::string file;
        bool standalone;
    } cases[] = {
        {{"orvelin", "--standalone", "a.ics"}, std::nullopt, "a.ics", true},
        {{"orvelin", "-"}, std::nullopt, "-", false},
        {{"orvelin", "--", "-a.vcs"}, std::nullopt, "-a.vcs", false},
        {{"orvelin", "a.ics", "b.ics"}, 2, "a.ics", false},
        {{"orvelin", "-x"}, 2, "", false},
        {{"orvelin", "-h"}, 0, "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.back());
        ui::WindowArguments parsed;
        ::testing::internal::CaptureStdout();
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(ui::ParseWindowArguments(c.arguments, parsed), c.status);
        const std::string said = ::testing::internal::GetCapturedStdout() + ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(said.empty(), !c.status.has_value()) << said;
        EXPECT_EQ(parsed.file, c.file);
        EXPECT_EQ(parsed.standalone, c.standalone);
    }
}

}  // namespace orvelin::testing
