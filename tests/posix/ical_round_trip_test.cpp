// Standalone files read back by a real iCalendar parser (libical): each one
// parses as one calendar, and its events mean what they meant in the whole.

#include "tests/posix/ical_reading.h"
#include "tests/support/memory_run.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

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

std::string Text(icalproperty* property)
{
    return property ? icalproperty_get_value_as_string(property) : "";
}

// The events of every calendar object in text; calendars: how many there are.
std::multiset<Meaning> MeaningOf(const std::string& text, int& calendars)
{
    const IcalComponent root(icalparser_parse_string(text.c_str()), &icalcomponent_free);
    EXPECT_NE(root, nullptr);
    std::multiset<Meaning> events;
    for (icalcomponent* calendar : CalendarsOf(root.get())) {
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
            run.options = {.standalone = true,
                           .outputFolder = {},
                           .perFile = perFile,
                           .maxBytes = 0,
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
