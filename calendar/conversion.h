#pragma once

#include "calendar/transcoder.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvelin::calendar {

// What a conversion needs besides the text.
struct ConversionContext {
    // The input file's modification time, UTC seconds since 1970: the
    // DTSTAMP of entries that say neither when they were changed nor made.
    std::int64_t inputModified = 0;
    const Transcoder& transcoder;
};

// What the conversion did that the user should know: a value iCalendar 2.0
// cannot express (kept as an X-VCAL- property), a rule without an end, text
// in a charset that could not be read.
struct ConversionNote {
    std::size_t line = 0;  // of the input
    std::string entry;     // its UID, else its summary; "" outside entries
    std::string message;
};

struct Converted {
    std::string text;
    std::vector<ConversionNote> notes;  // in input order
};

// The whole input as iCalendar 2.0 text. Each calendar object whose VERSION
// is 1.x is converted entry by entry to one that means the same (its time
// zone built from TZ and DAYLIGHT, named by TZID from every local time);
// every other calendar object, and what stands outside any, is copied byte
// for byte, but that an entry without a UID gets one. A UID made here is
// stable: made of the entry's bytes. A UTF-8 byte-order mark stays.
Converted ToICalendar(std::string_view input, const ConversionContext& context);

}  // namespace orvelin::calendar
