#pragma once

#include <optional>
#include <string>
#include <vector>

namespace orvelin::testing {

// What a reference iCalendar parser makes of a text: what it found wrong,
// and where the events and to-dos of its calendar objects that have a start
// start, in UTC, one a line.
struct ReferenceReading {
    std::vector<std::string> errors;
    std::string starts;
};

// Nothing where the tests have no reference parser (libical, on Linux only).
std::optional<ReferenceReading> ReadWithReferenceParser(const std::string& text);

}  // namespace orvelin::testing
