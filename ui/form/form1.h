#pragma once

#include "ui/form/common_dialog.h"
#include "ui/form/toolkit.h"
#include "ui/form/window_runner.h"

namespace orvelin::ui {

// What the program's plain window does, whatever draws it: start-up,
// Generate with its dialog and the run, Cancel, closing, a calendar handed
// over or dropped. The toolkit owns the controls.
class Form1 {
public:
    using FileSystemFactory = ui::FileSystemFactory;

    // fileManager: who opens the output folder at the end of a run.
    Form1(Toolkit& toolkit, FileSystemFactory createFileSystem, platform::FileManagerLauncher& fileManager);

    // Run once, when the window is created, before it is shown.
    void Form_Load();
    // Generate: clicked or Alt+G.
    void Command1_Click();
    // Cancel: clicked or Alt+C.
    void Command2_Click();
    // The window is closed by its frame. During a run this ends the program
    // as Cancel does, between two files.
    void Form_Unload();
    // A calendar handed over on the command line or dropped on the window:
    // run as if the dialog had returned it, unless a run is going.
    void OpenFile(const std::string& file);

    CommonDialog CommonDialog1;

    bool ending() const { return runner_.ending(); }

private:
    Toolkit& toolkit_;
    WindowRunner runner_;
};

}  // namespace orvelin::ui
