#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvelin::ui {

enum class BoxIcon { Information, Critical };

// How the open-file dialog is set up.
struct DialogSettings {
    std::string filter;  // "Description|pattern|Description|pattern…"
    std::string title;
    int flags = 0;  // CommonDialog::kFileMustExist
};

// What the window's behaviour (Form1) needs from a windowing toolkit. Qt and
// Win32 each provide it with their own controls, dialog and boxes.
class Toolkit {
public:
    virtual ~Toolkit() = default;

    // Shows the open-file dialog modally, starting at initialFile (may be
    // empty). The chosen file's path (as the file system takes it), or
    // nullopt when the dialog was cancelled.
    virtual std::optional<std::string> ShowOpenDialog(const DialogSettings& settings,
                                                      const std::string& initialFile) = 0;
    // A modal box owned by the window, with an OK button; text breaks lines
    // with CR LF.
    virtual void ShowBox(std::string_view text, std::string_view title, BoxIcon icon) = 0;
    // Label3, the progress line: its visibility and its caption.
    virtual void SetProgressVisible(bool visible) = 0;
    virtual void SetProgressCaption(std::string_view caption) = 0;
    // Handles the window events that are waiting, then returns.
    virtual void ProcessPendingEvents() = 0;
    // Closes the window, and makes the event loop end with exitStatus once
    // control is back in it.
    virtual void EndProgram(int exitStatus) = 0;
};

}  // namespace orvelin::ui
