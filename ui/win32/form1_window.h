#pragma once

#include "ui/form/form1.h"
#include "ui/form/toolkit.h"

#include <windows.h>

namespace orvelin::ui::win32 {

// Form1 drawn with the plain Win32 API: the instructions on their white band,
// Generate, Cancel and the progress line, with the behaviour of
// ui/form/form1.h, the system's open-file dialog and message boxes.
class Form1Window final : public Toolkit {
public:
    Form1Window(HINSTANCE instance, Form1::FileSystemFactory createFileSystem,
                platform::FileManagerLauncher& fileManager);
    ~Form1Window() override;
    Form1Window(const Form1Window&) = delete;
    Form1Window& operator=(const Form1Window&) = delete;

    // Shows the window with the focus on Generate.
    void Show(int showCommand);
    // Shows the window and handles its messages until the program ends; the
    // program's exit status.
    int Run(int showCommand);

    HWND handle() const { return window_; }

    std::optional<std::string> ShowOpenDialog(const DialogSettings& settings, const std::string& initialFile) override;
    void ShowBox(std::string_view text, std::string_view title, BoxIcon icon) override;
    void SetProgressVisible(bool visible) override;
    void SetProgressCaption(std::string_view caption) override;
    void ProcessPendingEvents() override;
    void EndProgram(int exitStatus) override;

private:
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    void PlaceControls();
    // Translates and dispatches one message; false on WM_QUIT.
    bool Dispatch(MSG& message);

    HINSTANCE instance_;
    HWND window_ = nullptr;
    HWND focus_ = nullptr;  // the control that had the focus when the window was left
    UINT dpi_ = 96;
    HFONT designFont_ = nullptr;
    HFONT dialogFont_ = nullptr;
    int exitStatus_ = 0;
    bool quitting_ = false;
    Form1 form_;
};

}  // namespace orvelin::ui::win32
