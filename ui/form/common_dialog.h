#pragma once

#include "ui/form/toolkit.h"

#include <string>

namespace orvelin::ui {

// The open-file dialog as the window uses it: one object that lives as long
// as its window, so the chosen file name stays between uses; a cancel leaves
// it unchanged.
class CommonDialog {
public:
    static constexpr int kFileMustExist = 0x1000;

    explicit CommonDialog(Toolkit& toolkit) : toolkit_(toolkit) {}

    void setFilter(std::string filter) { settings_.filter = std::move(filter); }
    void setDialogTitle(std::string title) { settings_.title = std::move(title); }
    void setFlags(int flags) { settings_.flags = flags; }
    const DialogSettings& settings() const { return settings_; }

    // Shows the dialog modally.
    void ShowOpen();
    // Holds file as if it had been chosen in the dialog.
    void Choose(std::string file);

    // Full path of the chosen file, or "" before the first choice.
    const std::string& fileName() const { return fileName_; }
    // The chosen file's name and extension without its folder.
    const std::string& fileTitle() const { return fileTitle_; }

private:
    Toolkit& toolkit_;
    DialogSettings settings_;
    std::string fileName_;
    std::string fileTitle_;
};

}  // namespace orvelin::ui
