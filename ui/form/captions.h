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

// The standalone window's own.
inline constexpr std::string_view kStandaloneCaption = "Orvelin Version " ORVELIN_VERSION_SHORT " - Whole calendars";

// Its instructions: what to do (without a calendar handed over), then what
// becomes of the calendar.
inline constexpr std::string_view kStandaloneChoose =
    "Click \"Generate\" and select the calendar (.ics or .vcs) that you wish to split. ";
inline constexpr std::string_view kStandaloneEntries =
    "Each entry - an event with the rest of its series, a to-do, a journal entry - becomes a whole calendar with its "
    "time zones, which any calendar program imports as the original meant it.";

inline constexpr std::string_view kStandaloneDialogTitle = "Browse and select the calendar";
inline constexpr std::string_view kStandaloneFilter =
    "Calendars|*.ics;*.vcs|iCalendar|*.ics|VCalendar|*.vcs|All files|*.*";
inline constexpr std::string_view kFolderDialogTitle = "Choose the folder the files go into";

}  // namespace orvelin::ui
