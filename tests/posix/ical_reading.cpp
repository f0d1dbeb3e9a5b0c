#include "tests/posix/ical_reading.h"

#include "tests/support/reference_reading.h"

namespace orvelin::testing {

std::vector<icalcomponent*> CalendarsOf(icalcomponent* root)
{
    if (!root || icalcomponent_isa(root) != ICAL_XROOT_COMPONENT)
        return {root};
    std::vector<icalcomponent*> calendars;
    for (icalcomponent* c = icalcomponent_get_first_component(root, ICAL_VCALENDAR_COMPONENT); c;
         c = icalcomponent_get_next_component(root, ICAL_VCALENDAR_COMPONENT))
        calendars.push_back(c);
    return calendars;
}

std::string Utc(icalcomponent* calendar, icalproperty* property)
{
    if (!property)
        return "";
    icaltimetype time = icalvalue_get_datetime(icalproperty_get_value(property));
    if (icalparameter* tzid = icalproperty_get_first_parameter(property, ICAL_TZID_PARAMETER)) {
        icaltimezone* zone = icalcomponent_get_timezone(calendar, icalparameter_get_tzid(tzid));
        if (!zone)
            return "no time zone";
        time = icaltime_convert_to_zone(icaltime_set_timezone(&time, zone), icaltimezone_get_utc_timezone());
    }
    return icaltime_as_ical_string(time);
}

namespace {

// The errors libical marks in component and in the components inside it.
void CollectErrors(icalcomponent* component, std::vector<std::string>& errors)
{
    for (icalproperty* error = icalcomponent_get_first_property(component, ICAL_XLICERROR_PROPERTY); error;
         error = icalcomponent_get_next_property(component, ICAL_XLICERROR_PROPERTY))
        errors.push_back(icalproperty_get_xlicerror(error));
    for (icalcomponent* inner = icalcomponent_get_first_component(component, ICAL_ANY_COMPONENT); inner;
         inner = icalcomponent_get_next_component(component, ICAL_ANY_COMPONENT))
        CollectErrors(inner, errors);
}

}  // namespace

std::optional<ReferenceReading> ReadWithReferenceParser(const std::string& text)
{
    ReferenceReading reading;
    const IcalComponent root(icalparser_parse_string(text.c_str()), &icalcomponent_free);
    if (!root) {
        reading.errors.push_back("no calendar");
        return reading;
    }
    for (icalcomponent* calendar : CalendarsOf(root.get())) {
        CollectErrors(calendar, reading.errors);
        for (icalcomponent* entry = icalcomponent_get_first_component(calendar, ICAL_ANY_COMPONENT); entry;
             entry = icalcomponent_get_next_component(calendar, ICAL_ANY_COMPONENT)) {
            const icalcomponent_kind kind = icalcomponent_isa(entry);
            icalproperty* start = icalcomponent_get_first_property(entry, ICAL_DTSTART_PROPERTY);
            if (start && (kind == ICAL_VEVENT_COMPONENT || kind == ICAL_VTODO_COMPONENT))
                reading.starts += Utc(calendar, start) + "\n";
        }
    }
    return reading;
}

}  // namespace orvelin::testing
