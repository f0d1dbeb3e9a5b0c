#include "ui/form/form1.h"

#include "engine/failure.h"
#include "engine/split_run.h"
#include "platform/platform_host.h"

#include <chrono>

namespace orvelin::ui {

// The window side of the host services: the dialog's file title, the boxes,
// the progress line and the event pump.
class Form1::WindowHost final : public platform::PlatformHostServices {
public:
    WindowHost(Form1& form, platform::FileManagerLauncher& fileManager)
        : PlatformHostServices(&fileManager), form_(form)
    {
    }

    std::string chosenFileTitle() override { return form_.CommonDialog1.fileTitle(); }

    void showMessage(std::string_view text, std::string_view title, MessageIcon icon) override
    {
        form_.toolkit_.ShowBox(text, title, icon == MessageIcon::Critical ? BoxIcon::Critical : BoxIcon::Information);
    }

    void setProgress(bool visible, std::string_view caption) override
    {
        form_.toolkit_.SetProgressVisible(visible);
        form_.toolkit_.SetProgressCaption(caption);
    }

protected:
    // A run pumps after every file, thousands of times a second, and a repaint
    // costs several times what writing a small file does. Pending events are
    // therefore handled at most once a screen frame: no one sees more, and a
    // click on Cancel still acts between two files, at most one frame later.
    bool processPendingEvents() override
    {
        constexpr auto kFrame = std::chrono::milliseconds(16);
        const auto now = std::chrono::steady_clock::now();
        if (now - lastPump_ >= kFrame) {
            form_.toolkit_.ProcessPendingEvents();
            lastPump_ = std::chrono::steady_clock::now();
        }
        return form_.ending();
    }

    void shutDown() override { form_.EndProgram(0); }

private:
    Form1& form_;
    std::chrono::steady_clock::time_point lastPump_{};
};

Form1::Form1(Toolkit& toolkit, FileSystemFactory createFileSystem, platform::FileManagerLauncher& fileManager,
             SplitOptions options)
    : CommonDialog1(toolkit), toolkit_(toolkit), createFileSystem_(std::move(createFileSystem)),
      options_(std::move(options)), host_(std::make_unique<WindowHost>(*this, fileManager))
{
}

Form1::~Form1() = default;

void Form1::Form_Load()
{
    state_.fileNumber = 1;
    toolkit_.SetProgressVisible(true);
}

void Form1::Command1_Click()
{
    // A click that arrives while a run pumps events would start a second run
    // over the first one's state: it is ignored.
    if (running_ || ending_)
        return;
    state_.fileSystem = createFileSystem_();
    // Standalone files are mostly split from calendars exported as .ics.
    CommonDialog1.setFilter(options_.standalone ? "VCalendar|*.vcs|iCalendar|*.ics" : "VCalendar|*.vcs");
    CommonDialog1.setDialogTitle("Browse and select the VCalendar file");
    CommonDialog1.setFlags(CommonDialog::kFileMustExist);
    CommonDialog1.ShowOpen();
    if (!CommonDialog1.fileName().empty()) {
        running_ = true;
        std::optional<ErrorInfo> failure;
        try {
            failure =
                CatchAnyFailure([this] { SplitRun(state_, *host_, options_).RunFromFile(CommonDialog1.fileName()); });
        } catch (const ProgramEnd&) {
            // The run ended the program; the window is already closing.
        }
        running_ = false;
        if (failure)
            ReportUnguardedFailure(*failure);
    }
    state_.fileSystem.reset();
}

void Form1::Command2_Click()
{
    EndProgram(0);
}

void Form1::Form_Unload()
{
    EndProgram(0);
}

// Ends without unwinding through the toolkit: a run in progress notices
// ending() when its event pump returns, and stops there.
void Form1::EndProgram(int exitStatus)
{
    if (ending_)
        return;
    ending_ = true;
    toolkit_.EndProgram(exitStatus);
}

// The platform's standard error report for a failure no procedure caught.
void Form1::ReportUnguardedFailure(const ErrorInfo& failure)
{
    toolkit_.ShowBox("Run-time error '" + std::to_string(failure.number) + "':\r\n\r\n" + failure.description,
                     "Orvelin", BoxIcon::Critical);
    EndProgram(1);
}

}  // namespace orvelin::ui
