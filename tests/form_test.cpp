// The window's behaviour, whatever draws it: Form1 against a toolkit that
// records what the window would show and answers for the person, on the real
// file system.

#include "engine/failure.h"
#include "platform/local_file_system.h"
#include "tests/support/event_file.h"
#include "tests/support/recording_launcher.h"
#include "tests/support/temp_folder.h"
#include "ui/form/form1.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <functional>

namespace orvelin::testing {
namespace {

using ui::BoxIcon;
using ui::DialogSettings;
using ui::Form1;

struct Box {
    std::string text;
    std::string title;
    BoxIcon icon;
    std::string progressLine;  // Label3 as the box appears: its caption, or "<hidden>"

    bool operator==(const Box&) const = default;
};

void PrintTo(const Box& box, std::ostream* out)
{
    *out << "{\"" << box.text << "\", \"" << box.title << "\", " << static_cast<int>(box.icon) << ", \""
         << box.progressLine << "\"}";
}

// Records what the window shows; answers dialogs from a queue and runs an
// action on a chosen event pump, as a person clicking then would.
class FakeToolkit final : public ui::Toolkit {
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
    void ShowBox(std::string_view text, std::string_view title, BoxIcon icon) override
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
};

const std::string kEventA = "BEGIN:VEVENT\r\nSUMMARY:A\r\nEND:VEVENT";
const std::string kEventB = "BEGIN:VEVENT\r\nSUMMARY:B\r\nEND:VEVENT";
const std::string kEventC = "BEGIN:VEVENT\r\nSUMMARY:C\r\nEND:VEVENT";
const std::string kThreeEvents = "BEGIN:VCALENDAR\r\n" + kEventA + "\r\n" + kEventB + "\r\n" + kEventC +
                                 "\r\nEND:VCALENDAR\r\n";

class FormBehaviour : public ::testing::Test {
protected:
    ~FormBehaviour() override { std::filesystem::current_path(savedDirectory); }

    // Generate, with the dialog answering path (nullopt: cancel).
    void Generate(std::optional<std::string> path)
    {
        toolkit.answers.push_back(std::move(path));
        form.Command1_Click();
    }
    std::string Output(int number) { return ReadBytes(folder / ("VCS folder/" + std::to_string(number) + ".vcs")); }

    const std::filesystem::path savedDirectory = std::filesystem::current_path();
    TempFolder folder;
    FakeToolkit toolkit;
    RecordingLauncher launcher;
    std::function<std::unique_ptr<FileSystem>()> files = [] { return std::make_unique<platform::LocalFileSystem>(); };
    Form1 form{toolkit, [this] { return files(); }, launcher};
};

TEST_F(FormBehaviour, LoadShowsTheCreditLine)
{
    form.Form_Load();
    EXPECT_EQ(toolkit.ProgressLine(), "credit");
}

TEST_F(FormBehaviour, AWholeRunWritesTheFilesReportsOpensTheFolderAndEnds)
{
    WriteBytes(folder / "export.vcs", kThreeEvents);
    Generate(folder / "export.vcs");

    ASSERT_EQ(toolkit.dialogs.size(), 1u);
    EXPECT_EQ(toolkit.dialogs[0].filter, "VCalendar|*.vcs");
    EXPECT_EQ(toolkit.dialogs[0].title, "Browse and select the VCalendar file");
    EXPECT_EQ(toolkit.dialogs[0].flags, 0x1000);
    const Box summary{"3 Entries have been generated", "Orvelin", BoxIcon::Information, "Generating file ...... 3.vcs"};
    EXPECT_EQ(toolkit.boxes, std::vector{summary});
    EXPECT_EQ(toolkit.ProgressLine(), "<hidden>");
    EXPECT_EQ(toolkit.progressCaption, "");
    EXPECT_EQ(launcher.started, std::vector{std::filesystem::canonical(folder / "VCS folder").string()});
    EXPECT_EQ(toolkit.endings, std::vector{0});
    EXPECT_EQ(Output(1), EventFile(kEventA));
    EXPECT_EQ(Output(3), EventFile("\r\n" + kEventC));
}

// Standalone, the window looks and speaks as ever; the dialog offers .ics
// calendars too, and the files are whole calendars.
TEST_F(FormBehaviour, StandaloneRunsOfferIcsFilesAndWriteWholeCalendars)
{
    FakeToolkit standalone;
    Form1 standaloneForm(standalone, [] { return std::make_unique<platform::LocalFileSystem>(); }, launcher,
                         SplitOptions{.standalone = true});
    WriteBytes(folder / "export.ics", "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n" + kEventA + "\r\nEND:VCALENDAR\r\n");
    standalone.answers.push_back(folder / "export.ics");
    standaloneForm.Command1_Click();
    ASSERT_EQ(standalone.dialogs.size(), 1u);
    EXPECT_EQ(standalone.dialogs[0].filter, "VCalendar|*.vcs|iCalendar|*.ics");
    EXPECT_EQ(standalone.boxes, (std::vector{Box{"1 Entries have been generated", "Orvelin", BoxIcon::Information,
                                                 "Generating file ...... 1.ics"}}));
    EXPECT_EQ(ReadBytes(folder / "VCS folder/1.ics"),
              "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n" + kEventA + "\r\nEND:VCALENDAR\r\n");
}

TEST_F(FormBehaviour, ACancelledDialogDoesNothingOrRunsTheEarlierFileAgain)
{
    Generate(std::nullopt);
    EXPECT_TRUE(toolkit.boxes.empty());
    EXPECT_EQ(form.CommonDialog1.fileName(), "");

    WriteBytes(folder / "plain.vcs", "BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n");
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
        TempFolder other;
        WriteBytes(other / "export.vcs", kThreeEvents);
        FakeToolkit running;
        Form1 runningForm(running, [] { return std::make_unique<platform::LocalFileSystem>(); }, launcher);
        running.onPump = [&] { byFrame ? runningForm.Form_Unload() : runningForm.Command2_Click(); };
        running.answers.push_back(other / "export.vcs");
        runningForm.Command1_Click();

        EXPECT_EQ(running.endings, std::vector{0});
        EXPECT_TRUE(running.boxes.empty()) << "no summary";
        EXPECT_TRUE(launcher.started.empty());
        EXPECT_EQ(ReadBytes(other / "VCS folder/1.vcs"), EventFile(kEventA));
        EXPECT_EQ(ReadBytes(other / "VCS folder/2.vcs"), "<missing>");
    }
}

TEST_F(FormBehaviour, GenerateClickedDuringARunIsIgnored)
{
    WriteBytes(folder / "export.vcs", kThreeEvents);
    toolkit.onPump = [&] { Generate(folder / "export.vcs"); };
    Generate(folder / "export.vcs");
    EXPECT_EQ(toolkit.dialogs.size(), 1u) << "the click during the run showed no dialog";
    EXPECT_EQ(toolkit.boxes.size(), 1u);
    EXPECT_EQ(toolkit.endings, std::vector{0});
}

// A file system whose operations fail as told.
class FailingFileSystem final : public FileSystem {
public:
    explicit FailingFileSystem(std::function<void()> onExists, std::function<void()> onOpen = nullptr)
        : onExists_(std::move(onExists)), onOpen_(std::move(onOpen))
    {
    }
    bool FileExists(const std::string& path) override
    {
        if (onExists_)
            onExists_();
        return local_.FileExists(path);
    }
    std::unique_ptr<InputTextStream> OpenTextFile(const std::string& path, IOMode mode) override
    {
        if (onOpen_)
            onOpen_();
        return local_.OpenTextFile(path, mode);
    }
    std::unique_ptr<OutputTextStream> CreateTextFile(const std::string& path, bool overwrite) override
    {
        return local_.CreateTextFile(path, overwrite);
    }
    void Commit() override { local_.Commit(); }
    std::vector<std::string> NamesOf(const std::vector<std::string>& files, const std::string& folder) override
    {
        return local_.NamesOf(files, folder);
    }
    bool SameFile(const std::string& a, const std::string& b) override { return local_.SameFile(a, b); }

private:
    platform::LocalFileSystem local_;
    std::function<void()> onExists_;
    std::function<void()> onOpen_;
};

// Each failure gets its box, and the window stays or the program ends as the
// failure's place says.
TEST_F(FormBehaviour, FailuresAreReportedWhereTheyHappen)
{
    const std::string error = "An error occurred during execution.\r\n\r\n";
    const struct {
        const char* what;
        std::function<std::unique_ptr<FileSystem>()> files;
        bool folderInTheWay;
        Box box;
        std::vector<int> endings;
    } cases[] = {
        {"an unreadable file",
         [] { return std::make_unique<FailingFileSystem>(nullptr, [] { throw Failure(ErrorNumber::PermissionDenied); }); },
         false, {error + "Error 70:  Permission denied", "Orvelin Error", BoxIcon::Critical, "credit"}, {}},
        {"an input that vanished after the dialog",
         [this] { return std::make_unique<FailingFileSystem>(nullptr, [this] { std::filesystem::remove(Utf8Path(folder / "export.vcs")); }); },
         false, {error + "Error 53:  File not found", "Orvelin Error", BoxIcon::Critical, "credit"}, {}},
        {"an output folder that cannot be used", files, true,
         {error + "Find Error 76:  Path not found", "Orvelin Error", BoxIcon::Critical, "credit"}, {}},
        {"a failure no procedure catches",
         [] { return std::make_unique<FailingFileSystem>([] { throw Failure(ErrorNumber::PermissionDenied); }); },
         false, {"Run-time error '70':\r\n\r\nPermission denied", "Orvelin", BoxIcon::Critical, "credit"}, {1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(Utf8Path(folder / "VCS folder"));
        WriteBytes(folder / "export.vcs", kThreeEvents);
        if (c.folderInTheWay)
            WriteBytes(folder / "VCS folder", "an ordinary file in the way");
        FakeToolkit shown;
        shown.progressVisible = true;
        Form1 failing(shown, c.files, launcher);
        shown.answers.push_back(folder / "export.vcs");
        failing.Command1_Click();
        EXPECT_EQ(shown.boxes, std::vector<Box>{c.box});
        EXPECT_EQ(shown.endings, c.endings);
        EXPECT_TRUE(launcher.started.empty());
    }
}

}  // namespace
}  // namespace orvelin::testing
