#pragma once

#include "ui/form/common_dialog.h"
#include "ui/form/settings.h"
#include "ui/form/toolkit.h"
#include "ui/form/window_runner.h"

#include <optional>

namespace orvelin::ui {

// What the standalone window does, whatever draws it: its choices (how many
// entries or bytes a file holds or a file per year or month, what files are
// named after, whether vCalendar 1.0 entries are written as iCalendar 2.0,
// where they go) as the console's options, kept for the user
// between runs; Generate with its dialog and the run, its progress in
// entries, a summary that offers the folder; Cancel and closing; a calendar
// handed over or dropped, which waits for Generate.
class StandaloneForm {
public:
    StandaloneForm(StandaloneToolkit& toolkit, FileSystemFactory createFileSystem,
                   platform::FileManagerLauncher& fileManager, Settings& settings);

    // Run once, before the window is shown: the instructions and the choices
    // of the last run.
    void Load();
    // Generate: clicked, Alt+G or Enter. It splits the calendar handed over,
    // if one waits, or else the one chosen in the dialog.
    void Generate();
    // The choice of files changed: names take input unless it is a period.
    void FilesChanged();
    // Browse: a folder for the files.
    void Browse();
    // Cancel (clicked, Alt+C or Esc) and closing by the frame: the program
    // ends, between two files during a run.
    void Cancel();
    // A calendar handed over on the command line or dropped on the window:
    // named in the window, it waits for Generate (unless a run is going).
    // One that cannot be read is named in a box.
    void OpenFile(const std::string& file);

    // The options the choices stand for; nullopt (after a box that says
    // what is wrong) when they stand for none.
    std::optional<SplitOptions> Options();

    CommonDialog dialog;

    bool ending() const { return runner_.ending(); }

private:
    void Run(const SplitOptions& options);
    // Keeps choices for the next start, but for a field the window refuses,
    // which keeps what was kept before.
    void Keep(const StandaloneChoices& choices);
    void ShowHanded(bool handed);
    // Whether the files may go into folder: it is one, or can be made.
    bool FolderUsable(const std::string& folder) const;
    // The band's text: what to do, naming a calendar handed over.
    std::string Instructions() const;

    StandaloneToolkit& toolkit_;
    Settings& settings_;
    FileSystemFactory createFileSystem_;
    WindowRunner runner_;
    bool handed_ = false;  // the dialog holds a calendar handed over, waiting for Generate
};

// What a run wrote, for its summary box: "3 entries went into 2 files in
// FOLDER." and the offer to open it.
std::string SummaryText(const RunSummary& summary);
// "12 of 300 entries".
std::string EntriesText(std::uint64_t written, std::uint64_t total);

}  // namespace orvelin::ui
