#pragma once

#include <string>

namespace orvelin::testing {

// The event file format, written out independently of the engine:
// "Begin:VCalendar" CR LF "Version: 1.0" CR LF chunk CR LF "End:VCalendar" CR LF.
inline std::string EventFile(const std::string& chunk)
{
    return "Begin:VCalendar\r\nVersion: 1.0\r\n" + chunk + "\r\nEnd:VCalendar\r\n";
}

}  // namespace orvelin::testing
