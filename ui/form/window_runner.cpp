#include "ui/form/window_runner.h"

#include "engine/box_texts.h"
#include "engine/failure.h"
#include "engine/run_host.h"

#include <chrono>

namespace orvelin::ui {

// The window side of the host services: the dialog's file title, the boxes,
// the progress line and the event pump.
class WindowRunner::WindowHost final : public RunHost {
public:
    WindowHost(WindowRunner& runner, platform::FileManagerLauncher& fileManager)
        : RunHost(runner.state_, [&fileManager](const std::string& folder) { fileManager.Start(folder); }),
          runner_(runner)
    {
    }

    std::string chosenFileTitle() override { return runner_.dialog_->fileTitle(); }

    void showMessage(std::string_view text, std::string_view title, MessageIcon icon) override
    {
        runner_.toolkit_.ShowBox(text, title, icon);
    }

    void setProgress(bool visible, std::string_view caption) override
    {
        runner_.toolkit_.SetProgressVisible(visible);
        runner_.toolkit_.SetProgressCaption(caption);
    }

    bool showSummary(std::string_view text, const RunSummary& summary) override
    {
        return runner_.onSummary ? runner_.onSummary(text, summary) : HostServices::showSummary(text, summary);
    }

    void showEntries(std::uint64_t written, std::uint64_t total) override
    {
        if (runner_.onEntries)
            runner_.onEntries(written, total);
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
            runner_.toolkit_.ProcessPendingEvents();
            lastPump_ = std::chrono::steady_clock::now();
        }
        return runner_.ending();
    }

    void shutDown() override { runner_.EndProgram(0); }

private:
    WindowRunner& runner_;
    std::chrono::steady_clock::time_point lastPump_{};
};

WindowRunner::WindowRunner(Toolkit& toolkit, FileSystemFactory createFileSystem,
                           platform::FileManagerLauncher& fileManager)
    : toolkit_(toolkit), createFileSystem_(std::move(createFileSystem)),
      host_(std::make_unique<WindowHost>(*this, fileManager))
{
}

WindowRunner::~WindowRunner() = default;

void WindowRunner::Run(const CommonDialog& dialog, const SplitOptions& options)
{
    if (busy() || dialog.fileName().empty())
        return;
    running_ = true;
    dialog_ = &dialog;
    state_.fileSystem = createFileSystem_();
    std::optional<ErrorInfo> failure;
    try {
        failure = CatchAnyFailure([&] { SplitRun(state_, *host_, options).RunFromFile(dialog.fileName()); });
    } catch (const ProgramEnd&) {
        // The run ended the program; the window is already closing.
    }
    running_ = false;
    state_.fileSystem.reset();
    if (failure)
        ReportUnguardedFailure(*failure);
}

bool WindowRunner::Take(const std::string& file, CommonDialog& dialog)
{
    if (busy())
        return false;
    const std::unique_ptr<FileSystem> files = createFileSystem_();
    std::optional<ErrorInfo> failure = CatchAnyFailure([&] {
        if (files->IsFolder(file))
            throw Failure(ErrorNumber::NotAnOrdinaryFile, "It is a folder, not a file");
        if (!files->FileExists(file))
            throw Failure(ErrorNumber::FileNotFound);
        files->OpenTextFile(file, IOMode::ForReading)->Close();
    });
    if (failure) {
        toolkit_.ShowBox("Orvelin cannot open \"" + file + "\".\r\n\r\nError " + std::to_string(failure->number) +
                             ":  " + failure->description,
                         kInfoTitle, MessageIcon::Critical);
        return false;
    }
    // The summary names the folder of a calendar given relative to here in full.
    dialog.Choose(files->FullPath(file));
    return true;
}

// Ends without unwinding through the toolkit: a run in progress notices
// ending() when its event pump returns, and stops there.
void WindowRunner::EndProgram(int exitStatus)
{
    if (ending_)
        return;
    ending_ = true;
    toolkit_.EndProgram(exitStatus);
}

// The platform's standard error report for a failure no procedure caught.
void WindowRunner::ReportUnguardedFailure(const ErrorInfo& failure)
{
    toolkit_.ShowBox("Run-time error '" + std::to_string(failure.number) + "':\r\n\r\n" + failure.description,
                     kInfoTitle, MessageIcon::Critical);
    EndProgram(1);
}

}  // namespace orvelin::ui
