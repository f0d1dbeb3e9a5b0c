#pragma once

#include "engine/calendar_structure.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace orvelin {

// What the calendar objects of one input have in common, so that entries of
// several objects may share a standalone file: the same header, and the same
// definition of each time zone they name.
struct SharedParts {
    // Each calendar object's header, as a number: objects whose BEGIN:VCALENDAR
    // line and property lines are the same bytes share one; components
    // outside any calendar object have one of their own.
    std::vector<std::uint32_t> headers;

    // What a TZID parameter (CalendarStructure::zoneNames) names in its
    // entry's calendar object.
    struct NamedZone {
        // Its definition, as a number: the object's VTIMEZONEs of that TZID,
        // or their absence, share one where they are the same bytes; kNone
        // where no calendar object of the input defines the TZID.
        std::uint32_t definition = kNone;
        // The first of those VTIMEZONEs (TimeZone::nextSameTzid the others); kNone for none.
        std::uint32_t firstZone = kNone;
    };
    std::vector<NamedZone> names;

    // Each definition's TZID, as a number below tzidCount: definitions that
    // share it differ, and their entries never share a file.
    std::vector<std::uint32_t> tzidOf;
    std::uint32_t tzidCount = 0;
};

// Hashes each calendar object's header and each time zone definition named
// once: the cost grows with the input, never with its square.
SharedParts FindSharedParts(const CalendarStructure& structure, std::string_view text);

}  // namespace orvelin
