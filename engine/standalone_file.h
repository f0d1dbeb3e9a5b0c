#pragma once

#include "engine/calendar_structure.h"
#include "engine/file_system.h"

#include <string_view>

namespace orvelin {

// The name an entry's file takes after its number: ".ics" for an iCalendar
// 2.0 calendar object (and for components outside any), ".vcs" otherwise.
std::string_view StandaloneExtension(const CalendarStructure& structure, const Entry& entry);

// Writes entry as a calendar of its own, every line of it copied byte for
// byte from text: its calendar object's BEGIN:VCALENDAR line and properties,
// each VTIMEZONE its components name (once, in input order), its components
// in input order, the END:VCALENDAR line. Components outside any calendar
// object get one of the program's own. Does not close the stream.
void WriteStandaloneFile(OutputTextStream& stream, const CalendarStructure& structure, const Entry& entry,
                         std::string_view text);

}  // namespace orvelin
