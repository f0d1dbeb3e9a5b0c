#include "tests/posix/ical_reading.h"

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

}  // namespace orvelin::testing
