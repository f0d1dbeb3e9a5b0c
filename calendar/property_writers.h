#pragma once

// The writers of the properties that need more than their text, by kind
// (mapping.cpp picks one by the property's name).

#include "calendar/mapping.h"

namespace orvelin::calendar {

// time_mapping.cpp
// DTSTART, DTEND, DUE, RECURRENCE-ID: in the calendar's zone by its TZID
// (a UTC time too, as the same instant), else as written.
void WriteTime(Mapping& mapping, const VcalProperty& property, std::string_view name);
// CREATED (from DCREATED), LAST-MODIFIED, COMPLETED, DTSTAMP: in UTC.
void WriteUtcTime(Mapping& mapping, const VcalProperty& property, std::string_view name);
// EXDATE, RDATE: their ";" lists as "," lists, one line per kind of time.
void WriteTimeList(Mapping& mapping, const VcalProperty& property, std::string_view name);

// rule_mapping.cpp: RRULE and EXRULE.
void WriteRule(Mapping& mapping, const VcalProperty& property, std::string_view name);

// value_mapping.cpp
void WriteStatus(Mapping& mapping, const VcalProperty& property, std::string_view name);
void WriteTransparency(Mapping& mapping, const VcalProperty& property, std::string_view name);
void WriteGeo(Mapping& mapping, const VcalProperty& property, std::string_view name);
void WriteAttachment(Mapping& mapping, const VcalProperty& property, std::string_view name);
void WriteAttendee(Mapping& mapping, const VcalProperty& property, std::string_view name);

}  // namespace orvelin::calendar
