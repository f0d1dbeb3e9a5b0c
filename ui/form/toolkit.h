#pragma once

#include "engine/file_names.h"
#include "engine/host_services.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvelin::ui {

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
    virtual void ShowBox(std::string_view text, std::string_view title, MessageIcon icon) = 0;
    // Label3, the progress line: its visibility and its caption.
    virtual void SetProgressVisible(bool visible) = 0;
    virtual void SetProgressCaption(std::string_view caption) = 0;
    // Handles the window events that are waiting, then returns.
    virtual void ProcessPendingEvents() = 0;
    // Closes the window, and makes the event loop end with exitStatus once
    // control is back in it.
    virtual void EndProgram(int exitStatus) = 0;
};

// The standalone window's choices, as its controls hold them.
struct StandaloneChoices {
    enum class Files { OneEntry, Entries, OneMegabyte, Size, Year, Month };
    Files files = Files::OneEntry;
    std::string entries = "10";   // as typed: up to so many entries a file
    std::string size = "500 KB";  // as typed: up to so large a file
    FileNaming naming = FileNaming::Number;
    bool toICalendar = false;  // the entries of a vCalendar 1.0 calendar written as iCalendar 2.0 (.ics)
    bool ownFolder = false;    // the files go into folder, not "VCS folder" beside the calendar
    std::string folder{};

    bool operator==(const StandaloneChoices&) const = default;
};

// What the standalone window needs of a toolkit beyond the plain window's.
class StandaloneToolkit : public Toolkit {
public:
    // What the controls hold now, and setting them.
    virtual StandaloneChoices Choices() = 0;
    virtual void ShowChoices(const StandaloneChoices& choices) = 0;
    // A modal folder dialog starting at initialFolder; the folder chosen, or nullopt.
    virtual std::optional<std::string> ShowFolderDialog(std::string_view title, const std::string& initialFolder) = 0;
    // A modal box with Yes and No; true for Yes.
    virtual bool AskYesNo(std::string_view text, std::string_view title) = 0;
    // The progress bar at written of total, and the words beside it.
    virtual void ShowEntries(std::uint64_t written, std::uint64_t total, std::string_view words) = 0;
    // During a run the choices and Generate take no input.
    virtual void SetRunning(bool running) = 0;
    // The instructions on the band.
    virtual void ShowInstructions(std::string_view text) = 0;
    // Whether the choices of names take input (not while the files go by
    // period, which names them).
    virtual void EnableNames(bool enabled) = 0;
};

}  // namespace orvelin::ui
