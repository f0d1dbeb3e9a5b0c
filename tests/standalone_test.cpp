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
    const std::string folded = Lines(
        {"BEGIN:VEVENT", "DTSTART;TZ", " ID=America/New_York:20260301T093000", "END:VEVENT"});
    const std::string quoted = Event("q", {"DTSTART;TZID=\"America/New_York\":20260301T093000"});
    const std::string alarmed = Lines({"BEGIN:VEVENT", "BEGIN:VALARM", "TRIGGER;TZID=Europe/Berlin:20260301T090000",
                                       "UID:not the event's", "END:VALARM", "UID:m", "END:VEVENT"});
    const std::string vcal = Lines({"BEGIN:VCALENDAR", "VERSION:1.0", "TZ:-05", "DAYLIGHT:TRUE;-04;20260308T020000"});
    const std::string request = Lines({"BEGIN:VCALENDAR", "VERSION:2.0", "METHOD:REQUEST"});
    const std::string cancel = Lines({"BEGIN:VCALENDAR", "VERSION:2.0", "METHOD:CANCEL"});
    const std::string bareHeader = Lines({"BEGIN:VCALENDAR", "VERSION:2.0", "PRODID:-//Orvelin//Orvelin 1.00//EN"});
    const std::string lfEvent = Event("l", {"SUMMARY:LF"});
    std::vector<Case> cases{
        {"time zones used, unused and undefined",
         kHeader + kBerlin + kNewYork + inBerlin + undefined + kFooter,
         {{"1.ics", kHeader + kBerlin + inBerlin + kFooter}, {"2.ics", kHeader + undefined + kFooter}}},
        {"a series whose exceptions stand before and after the master",
         kHeader + exception + other + master + exception + kBerlin + kFooter,
         {{"1.ics", kHeader + kBerlin + exception + master + exception + kFooter},
          {"2.ics", kHeader + other + kFooter}}},
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
        {"vCalendar 1.0 with TZ and DAYLIGHT", vcal + other + kFooter, {{"1.vcs", vcal + other + kFooter}}},
        {"LF only, and a calendar object that is never ended",
         Lines({"BEGIN:VCALENDAR", "VERSION:2.0", "BEGIN:VEVENT", "UID:l", "SUMMARY:LF", "END:VEVENT"}, "\n") +
             "BEGIN:VTODO\nEND:VTODO",
         {{"1.ics",
           Lines(
               {"BEGIN:VCALENDAR", "VERSION:2.0", "BEGIN:VEVENT", "UID:l", "SUMMARY:LF", "END:VEVENT", "END:VCALENDAR"},
               "\n")},
          {"2.ics", Lines({"BEGIN:VCALENDAR", "VERSION:2.0", "BEGIN:VTODO", "END:VTODO", "END:VCALENDAR"}, "\n")}}},
        {"bare components, stray lines and lower case",
         "stray text\n" + Lines({"begin:vevent", "UID:x", "end:vevent"}, "\n") + "\n" + kBerlin + other,
         {{"1.ics", bareHeader + Lines({"begin:vevent", "UID:x", "end:vevent"}, "\n") + kFooter},
          {"2.ics", bareHeader + other + kFooter}}},
    };
    // Enough UIDs for the table of them to grow, the exceptions far from their masters.
    Case many{"300 series, their exceptions after all the masters", kHeader, {}};
    for (int n = 1; n <= 300; ++n)
        many.input += Event(std::to_string(n) + "u", {"RRULE:FREQ=DAILY"});
    for (int n = 300; n >= 1; --n) {
        const std::string uid = std::to_string(n) + "u";
        many.input += Event(uid, {"RECURRENCE-ID:20260302T090000Z"});
        many.files[std::to_string(n) + ".ics"] = kHeader + Event(uid, {"RRULE:FREQ=DAILY"}) +
            Event(uid, {"RECURRENCE-ID:20260302T090000Z"}) + kFooter;
    }
    many.input += kFooter;
    cases.push_back(many);
    // The plain split's numbering stops at 32,767; standalone files go on.
    Case beyond{"32,800 entries", kHeader, {}};
    for (int n = 1; n <= 32800; ++n) {
        const std::string event = Event(std::to_string(n));
        beyond.input += event;
        beyond.files[std::to_string(n) + ".ics"] = kHeader + event + kFooter;
    }
    beyond.input += kFooter;
    cases.push_back(beyond);
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

// Files of several entries, sized for an importer, and named for people:
// every file of every case, byte for byte.
TEST(Standalone, FilesSizedAndNamedAsAsked)
{
    struct Options {
        std::uint32_t perFile = 1;
        std::uint64_t maxBytes = 0;
        FileNaming naming = FileNaming::Number;
    };
    struct SizedCase {
        const char* what;
        Options options;
        std::string input;
        std::map<std::string, std::string> files;
        std::vector<std::size_t> oversized;  // lines of entries alone over the limit
    };
    const std::string a = Event("a");
    const std::string b = Event("b");
    const std::string master = Event("s", {"DTSTART;TZID=Europe/Berlin:20260301T090000", "RRULE:FREQ=DAILY"});
    const std::string exception = Event("s", {"RECURRENCE-ID;TZID=Europe/Berlin:20260302T090000"});
    const std::string two = kHeader + a + b + kFooter;
    const std::string second = Lines({"BEGIN:VCALENDAR", "VERSION:2.0", "METHOD:CANCEL"});
    const auto named = [](std::string_view uid, std::initializer_list<std::string_view> properties = {}) {
        return Event(uid, properties);
    };
    const std::string timed = named("t", {"DTSTART:20260301T093000Z", "SUMMARY:Standup"});
    const std::string allDay = named("d", {"DTSTART;VALUE=DATE:20260525", "SUMMARY:Memorial Day"});
    const std::string unnamed = named("u", {"DTSTART:20260301T093000"});
    const std::string escaped = named("e", {"DTSTART:20260301T120000", "SUMMARY:Lunch\\, team \\; \"bring\" a/b"});
    const std::string startless = named("n", {"SUMMARY:No start"});
    std::string eAcute;
    for (int n = 0; n < 60; ++n)
        eAcute += "\xC3\xA9";
    const std::string utf8 = named("8", {"DTSTART:20260301T093000", "SUMMARY:x" + eAcute});
    std::string cut = "2026-03-01 0930 x";
    while (cut.size() + 2 <= 100)
        cut += "\xC3\xA9";
    const std::vector<SizedCase> cases{
        {"--per-file 2: a series is one entry, whole in one file",
         {2},
         kHeader + kBerlin + a + master + b + exception + Event("c") + kFooter,
         {{"1.ics", kHeader + kBerlin + a + master + exception + kFooter},
          {"2.ics", kHeader + b + Event("c") + kFooter}},
         {}},
        {"--per-file 5: a calendar object of another header starts a new file",
         {5},
         two + second + Event("c") + kFooter,
         {{"1.ics", two}, {"2.ics", second + Event("c") + kFooter}},
         {}},
        {"--max-bytes exactly at a file's size", {9, two.size()}, two, {{"1.ics", two}}, {}},
        {"--max-bytes one byte under it",
         {9, two.size() - 1},
         two,
         {{"1.ics", kHeader + a + kFooter}, {"2.ics", kHeader + b + kFooter}},
         {}},
        {"a series larger than the limit gets a file of its own",
         {9, (kHeader + a + kFooter).size()},
         kHeader + kBerlin + a + master + exception + b + kFooter,
         {{"1.ics", kHeader + a + kFooter},
          {"2.ics", kHeader + kBerlin + master + exception + kFooter},
          {"3.ics", kHeader + b + kFooter}},
         {15}},
        {"--names uid: forbidden characters, reserved names, dots and spaces, clashes in any letter case, no UID",
         {1, 0, FileNaming::Uid},
         kHeader + named("a/b:c*?<>|\"d") + named("CON") + named("nul.x") + named("..hidden ") + named("Same") +
             named("same") + Lines({"BEGIN:VTODO", "END:VTODO"}) + kFooter,
         {{"a_b_c______d.ics", kHeader + named("a/b:c*?<>|\"d") + kFooter},
          {"CON_.ics", kHeader + named("CON") + kFooter},
          {"nul_.x.ics", kHeader + named("nul.x") + kFooter},
          {"hidden.ics", kHeader + named("..hidden ") + kFooter},
          {"Same.ics", kHeader + named("Same") + kFooter},
          {"same (2).ics", kHeader + named("same") + kFooter},
          {"7.ics", kHeader + Lines({"BEGIN:VTODO", "END:VTODO"}) + kFooter}},
         {}},
        {"--names date: timed and all-day starts, no summary, escapes, no start, UTF-8 cut on a boundary",
         {1, 0, FileNaming::Date},
         kHeader + timed + allDay + unnamed + escaped + startless + utf8 + kFooter,
         {{"2026-03-01 0930 Standup.ics", kHeader + timed + kFooter},
          {"2026-05-25 Memorial Day.ics", kHeader + allDay + kFooter},
          {"2026-03-01 0930.ics", kHeader + unnamed + kFooter},
          {"2026-03-01 1200 Lunch, team ; _bring_ a_b.ics", kHeader + escaped + kFooter},
          {"5.ics", kHeader + startless + kFooter},
          {cut + ".ics", kHeader + utf8 + kFooter}},
         {}},
        {"--names date with --per-file: the first entry names the file",
         {2, 0, FileNaming::Date},
         kHeader + timed + allDay + kFooter,
         {{"2026-03-01 0930 Standup.ics", kHeader + timed + allDay + kFooter}},
         {}},
        {"--names date: a series is named after its master, even after its exception",
         {1, 0, FileNaming::Date},
         kHeader + named("w", {"RECURRENCE-ID:20260309T090000Z", "DTSTART:20260309T100000Z", "SUMMARY:Moved"}) +
             named("w", {"DTSTART:20260302T090000Z", "RRULE:FREQ=WEEKLY", "SUMMARY:Weekly"}) + kFooter,
         {{"2026-03-02 0900 Weekly.ics",
           kHeader + named("w", {"RECURRENCE-ID:20260309T090000Z", "DTSTART:20260309T100000Z", "SUMMARY:Moved"}) +
               named("w", {"DTSTART:20260302T090000Z", "RRULE:FREQ=WEEKLY", "SUMMARY:Weekly"}) + kFooter}},
         {}},
    };
    for (const SizedCase& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryRun run;
        run.options = {.standalone = true,
                       .outputFolder = {},
                       .perFile = c.options.perFile,
                       .maxBytes = c.options.maxBytes,
                       .naming = c.options.naming};
        EXPECT_TRUE(run.Run(c.input));
        EXPECT_EQ(run.OutputFiles(), c.files);
        std::vector<std::size_t> oversized;
        for (const RunOutcome::Oversized& entry : run.outcome.oversized)
            oversized.push_back(entry.line);
        EXPECT_EQ(oversized, c.oversized);
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
        {kHeader + Lines({"BEGIN:VEVENT", "BEGIN:VALARM", "END:VALARM"}),
         ErrorBox("line 4: BEGIN:VEVENT is never ended")},
        {kHeader + Lines({"BEGIN:VEVENT", "BEGIN:VCALENDAR"}), ErrorBox("line 5: BEGIN:VCALENDAR inside BEGIN:VEVENT")},
        // A soft line break whose QUOTED-PRINTABLE stands on a folded line takes BEGIN:VALARM into the note.
        {kHeader + Lines({"BEGIN:VEVENT", "NOTE;ENCODING=", " QUOTED-PRINTABLE:a=", "BEGIN:VALARM", "END:VALARM"}) +
             kFooter,
         ErrorBox("line 8: END:VALARM where END:VEVENT of line 4 was expected")},
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
