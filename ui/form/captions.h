#pragma once

#include "engine/version.h"

#include <string_view>

// What the window says, the same whatever draws it (UTF-8).
namespace orvelin::ui {

inline constexpr std::string_view kWindowCaption = "Orvelin Version " ORVELIN_VERSION_SHORT;

inline constexpr std::string_view kInstructions =
    "Click \"Generate\" and select the VCalendar (.vcs) file that you wish to split into individual (.vcs) files.    "
    "The files will be generated in the same location as the selected file under a folder titled -VCS folder.  ";

// The progress line before any run: the program, its version and its licence.
inline constexpr std::string_view kCreditLine = "Orvelin " ORVELIN_VERSION_SHORT " - MIT licence";

}  // namespace orvelin::ui
