#pragma once

#include "calendar/text_value.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace orvelin::calendar {

// A content line of a vCalendar 1.0 entry, its value read as UTF-8.
struct VcalProperty {
    std::size_t line = 0;
    std::string_view name;
    std::string_view parameters;  // as written
    std::string_view value;
    TextReading reading = TextReading::AsCharset;
    // 0 for the entry's own; the lines of a component inside it (their
    // BEGIN and END lines too) lie deeper.
    std::uint32_t depth = 0;
};

// A component of a vCalendar 1.0 calendar object: VEVENT, VTODO, ...
struct VcalEntry {
    std::string_view name;  // in upper case
    std::size_t line = 0;
    std::string_view bytes;  // as in the input, its BEGIN line through its END line
    std::vector<VcalProperty> properties;
};

}  // namespace orvelin::calendar
