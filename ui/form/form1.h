#pragma once

#include "engine/failure.h"
#include "engine/file_system.h"
#include "engine/run_state.h"
#include "engine/split_run.h"
#include "platform/file_manager.h"
#include "ui/form/common_dialog.h"
#include "ui/form/toolkit.h"

#include <functional>
#include <memory>

namespace orvelin::ui {

// What the program's only window does, whatever draws it: start-up, Generate
// with its dialog and the run, Cancel, closing, the window side of the host
// services. It owns the run state; the toolkit owns the controls.
class Form1 {
public:
    using FileSystemFactory = std::function<std::unique_ptr<FileSystem>()>;

    // fileManager: who opens the output folder at the end of a run; options:
    // how each run splits.
    Form1(Toolkit& toolkit, FileSystemFactory createFileSystem, platform::FileManagerLauncher& fileManager,
          SplitOptions options = {});
    ~Form1();
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    // Run once, when the window is created, before it is shown.
    void Form_Load();
    // Generate: clicked or Alt+G.
    void Command1_Click();
    // Cancel: clicked or Alt+C.
    void Command2_Click();
    // The window is closed by its frame. During a run this ends the program
    // as Cancel does, between two files.
    void Form_Unload();

    CommonDialog CommonDialog1;

    bool ending() const { return ending_; }

private:
    class WindowHost;

    void EndProgram(int exitStatus);
    void ReportUnguardedFailure(const ErrorInfo& failure);

    Toolkit& toolkit_;
    FileSystemFactory createFileSystem_;
    SplitOptions options_;
    RunState state_;
    std::unique_ptr<WindowHost> host_;
    bool running_ = false;
    bool ending_ = false;
};

}  // namespace orvelin::ui
