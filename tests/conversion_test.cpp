// Conversions to iCalendar 2.0 kept as data, a folder each under
// conversions/:
//   input.vcs (or input.ics)  the calendar;
//   output.ics   what ToICalendar makes of it, byte for byte;
//   notes        its notes, one a line ("line N (ENTRY): MESSAGE"), as the
//                console prints them; none: no notes;
//   starts       where given, the DTSTART of each VEVENT and VTODO of the
//                output in UTC, as libical reads it, one a line.
// Every output is read by the standalone split's reader without a fault,
// each of its entries with a UID and each TZID naming a VTIMEZONE of its
// calendar object; and, on POSIX, by libical without an error.

#include "calendar/conversion.h"
#include "engine/calendar_structure.h"
#include "platform/transcoder.h"
#include "tests/support/temp_folder.h"
#ifndef _WIN32
#include "tests/posix/ical_reading.h"
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

namespace orvelin::testing {
namespace {

namespace fs = std::filesystem;

// The input file's modification time: 2026-01-01 00:00:00 UTC.
constexpr std::int64_t kInputModified = 1767225600;

std::vector<std::string> Cases()
{
    std::vector<std::string> cases;
    for (const fs::directory_entry& entry : fs::directory_iterator(Utf8Path(ORVELIN_CONVERSIONS)))
        cases.push_back(entry.path().filename().string());
    std::sort(cases.begin(), cases.end());
    return cases;
}

std::string CaseFile(const std::string& name, const std::string& file)
{
    const std::string path = std::string(ORVELIN_CONVERSIONS) + "/" + name + "/" + file;
    return fs::exists(Utf8Path(path)) ? ReadBytes(path) : "";
}

std::string NotesOf(const calendar::Converted& converted)
{
    std::string notes;
    for (const calendar::ConversionNote& note : converted.notes) {
        notes += "line " + std::to_string(note.line);
        notes += note.entry.empty() ? "" : " (" + note.entry + ")";
        notes += ": " + note.message + "\n";
    }
    return notes;
}

// What the standalone split will make of it: a clear structure, entries
// with UIDs, and each time zone named there defined beside it.
void ExpectSplittable(const std::string& text)
{
    const auto read = ReadCalendarStructure(text);
    ASSERT_TRUE(std::holds_alternative<CalendarStructure>(read)) << std::get<StructureFault>(read).message;
    const CalendarStructure& structure = std::get<CalendarStructure>(read);
    for (const Entry& entry : structure.entries) {
        const CalendarObject& calendar = structure.calendars[entry.calendar];
        for (std::uint32_t at = entry.firstComponent; at != kNone; at = structure.components[at].nextInEntry) {
            const Component& component = structure.components[at];
            EXPECT_NE(component.uid.data(), nullptr) << "line " << component.line;
            for (std::uint32_t zone = component.firstZone; zone < component.firstZone + component.zoneCount; ++zone)
                EXPECT_TRUE(calendar.zonesByTzid.contains(structure.zoneNames[zone])) << "line " << component.line;
        }
    }
}

#ifndef _WIN32
// Parses without an error; the starts of its events and to-dos in UTC.
std::string StartsReadByLibical(const std::string& text)
{
    const IcalComponent root(icalparser_parse_string(text.c_str()), &icalcomponent_free);
    EXPECT_NE(root, nullptr);
    std::string starts;
    for (icalcomponent* calendar : CalendarsOf(root.get())) {
        EXPECT_EQ(icalcomponent_count_errors(calendar), 0) << icalcomponent_as_ical_string(calendar);
        for (icalcomponent* entry = icalcomponent_get_first_component(calendar, ICAL_ANY_COMPONENT); entry;
             entry = icalcomponent_get_next_component(calendar, ICAL_ANY_COMPONENT)) {
            const icalcomponent_kind kind = icalcomponent_isa(entry);
            if (kind == ICAL_VEVENT_COMPONENT || kind == ICAL_VTODO_COMPONENT)
                starts += Utc(calendar, icalcomponent_get_first_property(entry, ICAL_DTSTART_PROPERTY)) + "\n";
        }
    }
    return starts;
}
#endif

class Conversion : public ::testing::TestWithParam<std::string> {};

TEST_P(Conversion, GivesTheCalendarAndNotesExpected)
{
    const std::string& name = GetParam();
    const std::string vcalendar = CaseFile(name, "input.vcs");
    const std::string input = vcalendar.empty() ? CaseFile(name, "input.ics") : vcalendar;
    ASSERT_FALSE(input.empty()) << name << ": no input";
    const calendar::Converted converted = calendar::ToICalendar(input, {kInputModified, platform::OsTranscoder()});
    EXPECT_EQ(converted.text, CaseFile(name, "output.ics"));
    EXPECT_EQ(NotesOf(converted), CaseFile(name, "notes"));
    ExpectSplittable(converted.text);
#ifndef _WIN32
    const std::string starts = StartsReadByLibical(converted.text);
    if (const std::string expected = CaseFile(name, "starts"); !expected.empty()) {
        EXPECT_EQ(starts, expected);
    }
#endif
}

INSTANTIATE_TEST_SUITE_P(Cases, Conversion, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

}  // namespace
}  // namespace orvelin::testing
