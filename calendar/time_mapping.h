#pragma once

#include "calendar/built_zone.h"
#include "calendar/date_time.h"

#include <string_view>

namespace orvelin::calendar {

// A time as iCalendar 2.0 gets it: in the calendar's zone (zoned), or as
// written (floating, UTC or a date).
struct PlacedTime {
    CivilTime civil;
    TimeForm form = TimeForm::Floating;
    bool zoned = false;
};

// Where a time of a calendar with that zone goes: a local time into the
// zone, and a UTC time as well, as the same instant, so that rules fall on
// the dates the phone showed; a date stays a date; without a zone, as written.
PlacedTime Place(const DateTime& value, const BuiltZone* zone);

// The instant in UTC: a local time through the zone; without one, a floating
// time (or a date's midnight) is read as UTC.
CivilTime InUtc(const DateTime& value, const BuiltZone* zone);

// Reads a time of an entry, spaces around it aside.
std::optional<DateTime> ReadTimeValue(std::string_view value);

}  // namespace orvelin::calendar
