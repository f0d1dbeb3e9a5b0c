#pragma once

#include "calendar/built_zone.h"
#include "calendar/conversion.h"
#include "calendar/ical_writer.h"
#include "calendar/stable_uid.h"
#include "calendar/vcal_entry.h"

#include <cstdint>
#include <vector>

namespace orvelin::calendar {

// What converting the entries of one calendar object needs.
struct EntryConversion {
    ICalendarWriter& writer;
    const BuiltZone* zone;  // the calendar object's, if it has one
    std::vector<ConversionNote>& notes;
    StableUids& uids;
    std::int64_t inputModified;  // the DTSTAMP of last resort
};

// Writes a vCalendar 1.0 entry as an iCalendar 2.0 component: its UID (one
// made of its bytes where it has none) and its DTSTAMP (its LAST-MODIFIED,
// else its DCREATED, else the input's modification time, in UTC) first,
// then its properties in their order, then its alarms, then the components
// inside it.
void ConvertEntry(const VcalEntry& entry, const EntryConversion& conversion);

}  // namespace orvelin::calendar
