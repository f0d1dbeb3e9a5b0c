// The standalone split: small calendars and the files they give, byte for
// byte, and what it says of calendars it cannot or will not split.

#include "tests/support/memory_run.h"

#include <gtest/gtest.h>

namespace orvelin::testing {
namespace {

// The lines, each followed by end.
std::string Lines(std::initializer_list<std::string_view> lines, std::string_view end = "\r\n")
{
    std::string text;
    for (const std::string_view line : lines) {
        text += line;
        text += end;
    }
    return text;
}

const std::string kHeader = Lines({"BEGIN:VCALENDAR", "VERSION:2.0", "PRODID:-//Test//EN"});
const std::string kFooter = Lines({"END:VCALENDAR"});
const std::string kBerlin = Lines({"BEGIN:VTIMEZONE", "TZID:Europe/Berlin", "BEGIN:STANDARD", "DTSTART:19701025T030000",
                                   "TZOFFSETFROM:+0200", "TZOFFSETTO:+0100", "END:STANDARD", "END:VTIMEZONE"});
const std::string kNewYork = Lines({"BEGIN:VTIMEZONE", "TZID:America/New_York", "END:VTIMEZONE"});

std::string Event(std::string_view uid, std::initializer_list<std::string_view> properties = {})
{
    std::string event = Lines({"BEGIN:VEVENT", "UID:" + std::string(uid)});
    for (const std::string_view property : properties)
        event += Lines({property});
    return event + Lines({"END:VEVENT"});
}

struct Case {
    const char* what;
    std::string input;
    std::map<std::string, std::string> files;
};

TEST(Standalone, EachEntryBecomesAWholeCalendarByteForByte)
{
    const std::string inBerlin = Event("a", {"DTSTART;TZID=Europe/Berlin:20260301T093000"});
    const std::string undefined = Event("c", {"DTSTART;TZID=Mars/Olympus:20260301T093000"});
    const std::string exception = Event("s", {"RECURRENCE-ID;TZID=Europe/Berlin:20260302T090000"});
    const std::string master = Event("s", {"DTSTART;TZID=Europe/Berlin:20260301T090000", "RRULE:FREQ=DAILY"});
    const std::string other = Event("o");
    const std::string todo = Lines({"BEGIN:VTODO", "UID:t", "END:VTODO"});
    const std::string journal = Lines({"BEGIN:VJOURNAL", "END:VJOURNAL"});
    const std::string folded = Lines({"BEGIN:VEVENT", "DTSTART;TZ", " ID=America/New_York:20260301T093000", "END:VEVENT"});
    const std::string quoted = Event("q", {"DTSTART;TZID=\"America/New_York\":20260301T093000"});
    const std::string alarmed = Lines({"BEGIN:VEVENT", "BEGIN:VALARM", "TRIGGER;TZID=Europe/Berlin:20260301T090000",
                                       "UID:not the event's", "END:VALARM", "UID:m", "END:VEVENT"});
    const std::string vcal = Lines({"BEGIN:VCALENDAR", "VERSION:1.0", "TZ:-05", "DAYLIGHT:TRUE;-04;20260308T020000"});
    const std::string request = Lines({"BEGIN:VCALENDAR", "VERSION:2.0", "METHOD:REQUEST"});
    const std::string cancel = Lines({"BEGIN:VCALENDAR", "VERSION:2.0", "METHOD:CANCEL"});
    const std::string bareHeader = Lines({"BEGIN:VCALENDAR", "VERSION:2.0", "PRODID:-//Orvelin//Orvelin 1.00//EN"});
    const std::string lfEvent = Event("l", {"SUMMARY:LF"});
    const std::vector<Case> cases{
        {"time zones used, unused and undefined",
         kHeader + kBerlin + kNewYork + inBerlin + undefined + kFooter,
         {{"1.ics", kHeader + kBerlin + inBerlin + kFooter}, {"2.ics", kHeader + undefined + kFooter}}},
        {"a series whose exceptions stand before and after the master",
         kHeader + exception + other + master + exception + kBerlin + kFooter,
         {{"1.ics", kHeader + kBerlin + exception + master + exception + kFooter}, {"2.ics", kHeader + other + kFooter}}},
        {"a VTODO, a VJOURNAL without UID, properties after the components",
         kHeader + todo + journal + journal + Lines({"X-WR-CALNAME:Work"}) + kFooter,
         {{"1.ics", kHeader + Lines({"X-WR-CALNAME:Work"}) + todo + kFooter},
          {"2.ics", kHeader + Lines({"X-WR-CALNAME:Work"}) + journal + kFooter},
          {"3.ics", kHeader + Lines({"X-WR-CALNAME:Work"}) + journal + kFooter}}},
        {"a folded TZID, a quoted one, and TZIDs and UIDs inside an alarm",
         kHeader + kNewYork + kBerlin + folded + quoted + alarmed + kFooter,
         {{"1.ics", kHeader + kNewYork + folded + kFooter},
          {"2.ics", kHeader + kNewYork + quoted + kFooter},
          {"3.ics", kHeader + kBerlin + alarmed + kFooter}}},
        {"two calendar objects: one UID, two entries, each with its own header",
         request + master + kFooter + "\r\n" + cancel + master + kFooter,
         {{"1.ics", request + master + kFooter}, {"2.ics", cancel + master + kFooter}}},
        {"vCalendar 1.0 with TZ and DAYLIGHT",
         vcal + other + kFooter,
         {{"1.vcs", vcal + other + kFooter}}},
        {"LF only, and a calendar object that is never ended",
         Lines({"BEGIN:VCALENDAR", "VERSION:2.0", "BEGIN:VEVENT", "UID:l", "SUMMARY:LF", "END:VEVENT"}, "\n") +
             "BEGIN:VTODO\nEND:VTODO",
         {{"1.ics", Lines({"BEGIN:VCALENDAR", "VERSION:2.0", "BEGIN:VEVENT", "UID:l", "SUMMARY:LF", "END:VEVENT",
                           "END:VCALENDAR"}, "\n")},
          {"2.ics", Lines({"BEGIN:VCALENDAR", "VERSION:2.0", "BEGIN:VTODO", "END:VTODO", "END:VCALENDAR"}, "\n")}}},
        {"bare components, stray lines and lower case",
         "stray text\n" + Lines({"begin:vevent", "UID:x", "end:vevent"}, "\n") + "\n" + kBerlin + other,
         {{"1.ics", bareHeader + Lines({"begin:vevent", "UID:x", "end:vevent"}, "\n") + kFooter},
          {"2.ics", bareHeader + other + kFooter}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryRun run;
        run.options.standalone = true;
        EXPECT_TRUE(run.Run(c.input));
        EXPECT_EQ(run.OutputFiles(), c.files);
        EXPECT_EQ(run.host.messages(),
                  std::vector{InfoBox(std::to_string(c.files.size()) + " Entries have been generated")});
    }
}

// Where the structure leaves the meaning unclear, one box names the line
// and nothing is written; a calendar without entries is refused.
TEST(Standalone, AnUnclearStructureIsReportedAndNothingWritten)
{
    const std::vector<std::pair<std::string, HostCall>> cases{
        {kHeader + Lines({"END:VEVENT"}) + kFooter, ErrorBox("line 4: END:VEVENT closes nothing")},
        {kHeader + Lines({"BEGIN:VEVENT", "END:VTODO"}) + kFooter,
         ErrorBox("line 5: END:VTODO where END:VEVENT of line 4 was expected")},
        {kHeader + Lines({"BEGIN:VEVENT", "BEGIN:VALARM", "END:VALARM"}), ErrorBox("line 4: BEGIN:VEVENT is never ended")},
        {kHeader + Lines({"BEGIN:VEVENT", "BEGIN:VCALENDAR"}),
         ErrorBox("line 5: BEGIN:VCALENDAR inside BEGIN:VEVENT")},
        {kHeader + kBerlin + kFooter, InfoBox("Not a valid VCalendar (.vcs) file format")},
    };
    for (const auto& [input, box] : cases) {
        SCOPED_TRACE(input);
        MemoryRun run;
        run.options.standalone = true;
        EXPECT_FALSE(run.Run(input));
        EXPECT_EQ(run.host.calls, std::vector{box});
        EXPECT_EQ(run.OutputFileCount(), 0u);
    }
}

}  // namespace
}  // namespace orvelin::testing
