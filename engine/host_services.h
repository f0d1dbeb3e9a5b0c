#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvelin {

enum class MessageIcon { Information, Critical };

// A name not given because a file there is not Orvelin's, or was changed
// since Orvelin wrote it, and the name given instead.
struct KeptName {
    std::string kept;
    std::string instead;
    bool beingSplit = false;  // kept is a calendar the run splits, not a file of the user's
};

// What a run that wrote files did, for its summary.
struct RunSummary {
    std::uint64_t entries = 0;
    int files = 0;
    std::string folder;                      // where they are
    std::uint64_t earlierFilesReplaced = 0;  // of an earlier run's result there
    std::vector<KeptName> namesKept;
    std::vector<std::string> notes;  // of the conversion to iCalendar 2.0
};

// Everything the engine needs from the window and the platform. The file-system
// service is reached through RunState::fileSystem; the rest is here. Any
// operation may throw Failure.
class HostServices {
public:
    virtual ~HostServices() = default;

    // Name and extension of the chosen file, without its folder.
    virtual std::string chosenFileTitle() = 0;
    // A modal box with an OK button; returns when it is dismissed.
    virtual void showMessage(std::string_view text, std::string_view title, MessageIcon icon) = 0;
    // Sets the progress line's visibility, then its caption.
    virtual void setProgress(bool visible, std::string_view caption) = 0;
    // Changes the current directory to folder, reads it back and starts the
    // file manager on the path read back, without waiting for it.
    virtual void openFolderView(const std::string& folder) = 0;

    // Name of the first ordinary file in folder (not hidden, not a folder), or
    // "" when there is none or the folder is missing.
    virtual std::string firstFileIn(const std::string& folder) = 0;
    // Fails when the folder exists or cannot be made.
    virtual void makeFolder(const std::string& folder) = 0;

    // The summary at the end of a run that wrote files: by default the text
    // in an information box. True when the output folder is then to be
    // opened in the file manager, as it is by default.
    virtual bool showSummary(std::string_view text, const RunSummary& summary);
    // How many of a standalone run's entries are written, of how many: once
    // the calendar is read, then after each file. Shown by whoever shows it.
    virtual void showEntries(std::uint64_t written, std::uint64_t total);
    // In a dry run, a file the real run would write, with its size.
    virtual void listFile(std::string_view name, std::uint64_t entries, std::uint64_t bytes);

    // Lets pending window events run. When one of them asked the program to
    // end (Cancel, closing the window), the program ends here.
    void pumpEvents();
    // Ends the program: no further step of the caller runs.
    [[noreturn]] void endProgram();

protected:
    // Processes pending events; true when the program was asked to end.
    virtual bool processPendingEvents() = 0;
    // Tears down what the host owns; open streams are abandoned.
    virtual void shutDown() = 0;
};

}  // namespace orvelin
