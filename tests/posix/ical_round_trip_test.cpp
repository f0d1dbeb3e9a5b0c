// Standalone files read back by a real iCalendar parser (libical): each one
// parses as one calendar, and its events mean what they meant in the whole.

#include "tests/support/memory_run.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>
#include <libical/ical.h>

#include <memory>
#include <set>
#include <tuple>

namespace orvelin::testing {
namespace {

// What an event means to whoever imports it.
struct Meaning {
    std::string uid, recurrenceId, start, summary, rule;
    auto operator<=>(const Meaning&) const = default;
};

void PrintTo(const Meaning& meaning, std::ostream* out)
{
    *out << meaning.uid << " " << meaning.recurrenceId << " " << meaning.start << " " << meaning.summary << " "
         << meaning.rule;
}

using Component = std::unique_ptr<icalcomponent, decltype(&icalcomponent_free)>;

// A time as UTC, through the VTIMEZONE of its own calendar that its TZID
// names ("no time zone" when the calendar has none of that name).
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

std::string Text(icalproperty* property)
{
    return property ? icalproperty_get_value_as_string(property) : "";
}

// The events of every calendar object in text; calendars: how many there are.
std::multiset<Meaning> MeaningOf(const std::string& text, int& calendars)
{
    const Component root(icalparser_parse_string(text.c_str()), &icalcomponent_free);
    EXPECT_NE(root, nullptr);
    std::vector<icalcomponent*> objects{root.get()};
    if (root && icalcomponent_isa(root.get()) == ICAL_XROOT_COMPONENT) {
        objects.clear();
        for (icalcomponent* c = icalcomponent_get_first_component(root.get(), ICAL_VCALENDAR_COMPONENT); c;
             c = icalcomponent_get_next_component(root.get(), ICAL_VCALENDAR_COMPONENT))
            objects.push_back(c);
    }
    std::multiset<Meaning> events;
    for (icalcomponent* calendar : objects) {
        ++calendars;
        EXPECT_EQ(icalcomponent_count_errors(calendar), 0) << icalcomponent_as_ical_string(calendar);
        for (icalcomponent* event = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT); event;
             event = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
            events.insert({Text(icalcomponent_get_first_property(event, ICAL_UID_PROPERTY)),
                           Utc(calendar, icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY)),
                           Utc(calendar, icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY)),
                           Text(icalcomponent_get_first_property(event, ICAL_SUMMARY_PROPERTY)),
                           Text(icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY))});
        }
    }
    return events;
}

// One entry a file, then several entries a file named by date.
TEST(IcalRoundTrip, EveryFileParsesAndItsEventsMeanWhatTheyMeantInTheWhole)
{
    for (const std::uint32_t perFile : {1u, 3u})
    for (const std::string name : {"outlook-series.ics", "google-export.ics", "two-messages.ics"}) {
        SCOPED_TRACE(name + " in files of " + std::to_string(perFile));
        const std::string input = ReadBytes(std::string(ORVELIN_SOURCE_DIR) + "/tests/data/" + name);
        MemoryRun run;
        run.options = {.standalone = true, .outputFolder = {}, .perFile = perFile, .maxBytes = 0,
                       .naming = perFile > 1 ? FileNaming::Date : FileNaming::Number};
        ASSERT_TRUE(run.Run(input));
        std::multiset<Meaning> split;
        for (const auto& [file, bytes] : run.OutputFiles()) {
            int calendars = 0;
            const std::multiset<Meaning> events = MeaningOf(bytes, calendars);
            EXPECT_EQ(calendars, 1) << file;
            for (const Meaning& event : events) {
                EXPECT_TRUE(perFile > 1 || event.uid == events.begin()->uid) << file << ": one entry, one UID";
                EXPECT_NE(event.start, "no time zone") << file;
            }
            split.insert(events.begin(), events.end());
        }
        int calendars = 0;
        EXPECT_EQ(split, MeaningOf(input, calendars));
    }
}

}  // namespace
}  // namespace orvelin::testing
