#pragma once

#include "ui/form/toolkit.h"

#include <windows.h>

#include <span>
#include <string>

namespace orvelin::ui::win32 {

// How a control looks beyond its class and style.
enum ControlTrait : unsigned {
    kDialogFont = 0,  // the system's dialog font
    kDesignFont = 1,  // Arial 8.25 pt bold, as the instructions and the progress line were designed
    kOnBand = 2,      // in the window colour pair, as the instructions' band
    kBehind = 4,      // stacked under the controls standing on it: the band, a frame
};

// A child control: where it stands in the client area at 96 dots per inch,
// and how it looks.
struct ControlDesign {
    int id;
    const wchar_t* windowClass;
    DWORD style;
    std::string_view caption;  // UTF-8
    unsigned traits;
    int left, top, width, height;
};

// What a window is made of: its controls in Tab order, the control the focus
// starts on, the push button that Enter presses when no other push button
// has the focus (0: none), and the progress line.
struct WindowDesign {
    const wchar_t* windowClass;
    std::string_view caption;       // UTF-8
    int clientWidth, clientHeight;  // at 96 dots per inch
    std::span<const ControlDesign> controls;
    int firstFocus;
    int defaultButton;
    int progressLine;
};

// What every Win32 window of the program shares: controls made from a design,
// placed and lettered for the monitor's DPI; the band's colours; the keyboard
// of a dialog box (Tab, access keys, Esc, and Enter on the focused push button
// or else the default one); a calendar dropped on the window or handed over;
// the system's open-file dialog and message boxes; and the message loop.
class DialogWindow {
public:
    DialogWindow(HINSTANCE instance, const WindowDesign& design);
    virtual ~DialogWindow();
    DialogWindow(const DialogWindow&) = delete;
    DialogWindow& operator=(const DialogWindow&) = delete;

    // Shows the window with the focus on its first control.
    void Show(int showCommand);
    // Shows the window and handles its messages until the program ends; the
    // program's exit status. A file handed over (not "") is opened once the
    // loop runs.
    int Run(int showCommand, const std::string& file = "");

    HWND handle() const { return window_; }

protected:
    // Makes the window and its controls; called once the derived window can
    // take its messages.
    void Create();

    HWND Control(int id) const { return ::GetDlgItem(window_, id); }
    void SetText(int id, std::string_view text) const;
    std::string Text(int id) const;

    std::optional<std::string> OpenDialog(const DialogSettings& settings, const std::string& initialFile) const;
    void Box(std::string_view text, std::string_view title, MessageIcon icon) const;
    // A box with Yes and No (Yes the default); true for Yes.
    bool Ask(std::string_view text, std::string_view title) const;
    void ShowProgressLine(bool visible) const;
    void SetProgressLine(std::string_view caption) const;
    // Handles the messages that are waiting, then returns.
    void PumpMessages();
    // Closes the window; the message loop then ends with exitStatus.
    void End(int exitStatus);

    // A control's notification, or IDCANCEL for Esc.
    virtual void OnCommand(int id, int notification) = 0;
    // The frame's close button, Alt+F4.
    virtual void OnClose() = 0;
    // A calendar dropped on the window or handed over.
    virtual void OpenFile(const std::string& file) = 0;

private:
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    void PlaceControls();
    void SetFonts();
    // Translates and dispatches one message; false on WM_QUIT.
    bool Dispatch(MSG& message);
    // Enter on a focused push button presses it, default button or not.
    bool PressFocusedButton();
    // The focused push button looks like the default one, as in a dialog box.
    void ShowDefaultButton();
    const ControlDesign* DesignOf(HWND control) const;

    HINSTANCE instance_;
    WindowDesign design_;
    HWND window_ = nullptr;
    HWND focus_ = nullptr;      // the control that had the focus when the window was left
    HWND lastFocus_ = nullptr;  // the focus the push buttons' look follows
    UINT dpi_ = 96;
    HFONT designFont_ = nullptr;
    HFONT dialogFont_ = nullptr;
    std::string handedFile_;
    int exitStatus_ = 0;
};

// The toolkit's part that every Win32 window gives the same way.
template <typename Interface>
class ToolkitWindow : public Interface, public DialogWindow {
public:
    using DialogWindow::DialogWindow;

    std::optional<std::string> ShowOpenDialog(const DialogSettings& settings, const std::string& initialFile) override
    {
        return OpenDialog(settings, initialFile);
    }
    void ShowBox(std::string_view text, std::string_view title, MessageIcon icon) override { Box(text, title, icon); }
    void SetProgressVisible(bool visible) override { ShowProgressLine(visible); }
    void SetProgressCaption(std::string_view caption) override { SetProgressLine(caption); }
    void ProcessPendingEvents() override { PumpMessages(); }
    void EndProgram(int exitStatus) override { End(exitStatus); }
};

}  // namespace orvelin::ui::win32
