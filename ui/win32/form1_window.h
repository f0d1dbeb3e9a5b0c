#pragma once

#include "ui/form/form1.h"
#include "ui/win32/dialog_window.h"

namespace orvelin::ui::win32 {

// Form1 drawn with the plain Win32 API: the instructions on their white band,
// Generate, Cancel and the progress line, with the behaviour of
// ui/form/form1.h, the system's open-file dialog and message boxes.
class Form1Window final : public ToolkitWindow<Toolkit> {
public:
    Form1Window(HINSTANCE instance, Form1::FileSystemFactory createFileSystem,
                platform::FileManagerLauncher& fileManager);

private:
    void OnCommand(int id, int notification) override;
    void OnClose() override;
    void OpenFile(const std::string& file) override;

    Form1 form_;
};

}  // namespace orvelin::ui::win32
