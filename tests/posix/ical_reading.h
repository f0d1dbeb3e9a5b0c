#pragma once

// iCalendar text read back with libical, the reference parser.

#include <libical/ical.h>

#include <memory>
#include <string>
#include <vector>

namespace orvelin::testing {

using IcalComponent = std::unique_ptr<icalcomponent, decltype(&icalcomponent_free)>;

// The calendar objects of a parsed text: the root itself, or those under it.
std::vector<icalcomponent*> CalendarsOf(icalcomponent* root);

// A time as UTC, through the VTIMEZONE of its own calendar that its TZID
// names ("no time zone" when the calendar has none of that name).
std::string Utc(icalcomponent* calendar, icalproperty* property);

}  // namespace orvelin::testing
