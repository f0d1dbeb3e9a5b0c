#pragma once

#include <string>

namespace orvelin::testing {

// A small calendar of three events that the window suites share.
inline const std::string kEventA = "BEGIN:VEVENT\r\nSUMMARY:A\r\nEND:VEVENT";
inline const std::string kEventB = "BEGIN:VEVENT\r\nSUMMARY:B\r\nEND:VEVENT";
inline const std::string kEventC = "BEGIN:VEVENT\r\nSUMMARY:C\r\nEND:VEVENT";
inline const std::string kThreeEvents = "BEGIN:VCALENDAR\r\n" + kEventA + "\r\n" + kEventB + "\r\n" + kEventC +
    "\r\nEND:VCALENDAR\r\n";

}  // namespace orvelin::testing
