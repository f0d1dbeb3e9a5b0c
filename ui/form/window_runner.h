#pragma once

#include "engine/host_services.h"
#include "engine/run_state.h"
#include "engine/split_run.h"
#include "platform/file_manager.h"
#include "ui/form/common_dialog.h"
#include "ui/form/toolkit.h"

#include <functional>
#include <memory>

namespace orvelin::ui {

using FileSystemFactory = std::function<std::unique_ptr<FileSystem>()>;

// What every window does with a run, whatever it looks like: one run at a
// time on the window side of the host services, Cancel and closing ending
// the program (between two files during a run), calendars handed over on the
// command line or dropped on the window. It owns the run state.
class WindowRunner {
public:
    WindowRunner(Toolkit& toolkit, FileSystemFactory createFileSystem, platform::FileManagerLauncher& fileManager);
    ~WindowRunner();
    WindowRunner(const WindowRunner&) = delete;
    WindowRunner& operator=(const WindowRunner&) = delete;

    // A run is going, or the program is ending: nothing else may start.
    bool busy() const { return running_ || ending_; }
    bool ending() const { return ending_; }

    // Runs the file the dialog holds, if any, with options, on a file-system
    // service made for the run.
    void Run(const CommonDialog& dialog, const SplitOptions& options);
    // A calendar handed over: when it can be read, the dialog takes it as if
    // chosen there and true is returned; otherwise a box names it.
    bool Take(const std::string& file, CommonDialog& dialog);
    void EndProgram(int exitStatus);

    // What a window shows of a run beyond the plain one (see HostServices).
    std::function<bool(std::string_view text, const RunSummary& summary)> onSummary;
    std::function<void(std::uint64_t written, std::uint64_t total)> onEntries;

private:
    class WindowHost;

    void ReportUnguardedFailure(const ErrorInfo& failure);

    Toolkit& toolkit_;
    FileSystemFactory createFileSystem_;
    RunState state_;
    std::unique_ptr<WindowHost> host_;
    const CommonDialog* dialog_ = nullptr;  // of the run going on
    bool running_ = false;
    bool ending_ = false;
};

}  // namespace orvelin::ui
