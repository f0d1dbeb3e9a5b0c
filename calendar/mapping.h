#pragma once

#include "calendar/built_zone.h"
#include "calendar/content_line.h"
#include "calendar/conversion.h"
#include "calendar/date_time.h"
#include "calendar/ical_writer.h"
#include "calendar/vcal_entry.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvelin::calendar {

// Where properties are written and what writing them needs to know: of the
// calendar object, and of the entry being written (nothing between entries).
struct Mapping {
    ICalendarWriter& writer;
    const BuiltZone* zone;  // none: times stay as written
    std::vector<ConversionNote>& notes;
    std::string_view component;     // "VEVENT", ...; "VCALENDAR" between entries
    std::optional<DateTime> start;  // the entry's DTSTART
    std::optional<DateTime> due;    // and its DUE
    std::string_view summary;       // and its SUMMARY, as read
    std::string_view label;         // its UID, else its summary

    void Note(std::size_t line, std::string message)
    {
        notes.push_back({line, std::string(label), std::move(message)});
    }
};

// Writes the parameters of a vCalendar 1.0 property that mean the same in
// iCalendar 2.0: ENCODING and CHARSET are spent on reading the value, VALUE
// is the writer's to give, X- parameters and those of 2.0 are copied, and
// any other is kept as X-VCAL-NAME ("TYPE=WAVE" and vCalendar 1.0's bare
// "WAVE" as X-VCAL-TYPE=WAVE).
void WriteParameters(ICalendarWriter& writer, std::string_view parameters);
void WriteParameter(ICalendarWriter& writer, const Parameter& parameter);

// Writes a property that iCalendar 2.0 cannot express as X-VCAL-NAME, its
// value as read, and notes why; notes one without a value, which there is
// no keeping, as left out.
void KeepAsVcal(Mapping& mapping, const VcalProperty& property, std::string_view why);

// Notes a value whose text could not be read in its CHARSET.
void NoteReading(Mapping& mapping, const VcalProperty& property);

// Writes a property of a vCalendar 1.0 entry (or, between entries, of its
// calendar object) as iCalendar 2.0; alarms aside (see alarms.h).
void WriteProperty(Mapping& mapping, const VcalProperty& property);

}  // namespace orvelin::calendar
