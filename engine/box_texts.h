#pragma once

#include <string_view>

// What a run's boxes say and are titled, whoever shows them.
namespace orvelin {

inline constexpr std::string_view kInfoTitle = "Orvelin";
inline constexpr std::string_view kErrorBoxTitle = "Orvelin Error";
inline constexpr std::string_view kErrorBoxPreamble = "An error occurred during execution.\r\n\r\n";

inline constexpr std::string_view kNotACalendar = "Not a valid VCalendar (.vcs) file format";
inline constexpr std::string_view kNoEndEvent =
    "No entries have been generated since the selected .vcs file does not contain an end event.";

}  // namespace orvelin
