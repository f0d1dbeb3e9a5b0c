#pragma once

#include "calendar/mapping.h"

namespace orvelin::calendar {

// Whether a property is one of vCalendar 1.0's alarms: AALARM, DALARM, MALARM, PALARM.
bool IsAlarm(std::string_view name);

// Keeps what of an alarm iCalendar 2.0 cannot express as X-VCAL-NAME among
// the entry's properties: an alarm without a (readable) run time, an e-mail
// alarm without an address, a repeat count without a snooze time.
void KeepWhatAlarmLoses(Mapping& mapping, const VcalProperty& property);

// Writes an alarm as a VALARM, where it can be one: DALARM as ACTION:DISPLAY
// with its text, AALARM as AUDIO (ATTACH where it names a sound), MALARM as
// EMAIL, PALARM as PROCEDURE. Its run time becomes an absolute TRIGGER in
// UTC, or, where it floats (no zone), a TRIGGER relative to the start, which
// floats with it; the snooze time and the repeat count become DURATION and
// REPEAT, as a pair.
void WriteAlarm(Mapping& mapping, const VcalProperty& property);

}  // namespace orvelin::calendar
