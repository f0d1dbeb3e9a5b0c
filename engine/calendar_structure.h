#pragma once

#include "calendar/content_line.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>
#include <vector>

namespace orvelin {

// Whole lines of the input, line ends included, by byte offsets.
struct Span {
    std::size_t begin = 0;
    std::size_t end = 0;
};

inline constexpr std::uint32_t kNone = UINT32_MAX;

// A component directly inside a calendar object (or outside any): VEVENT,
// VTODO, VJOURNAL, VFREEBUSY or an X- component.
struct Component {
    Span span;               // its BEGIN line through its END line
    std::string_view uid;    // its UID; none when data() is null
    std::string_view start;  // its DTSTART's value, as written; none when empty
    // Its SUMMARY's parameters and the start of its value, as written (folded
    // lines joined): ";CHARSET=UTF-8:Standup"; none when data() is null.
    std::string_view summary;
    std::uint32_t line = 0;  // the number of its BEGIN line
    // The time zones it names in TZID parameters: zoneNames[firstZone, +zoneCount).
    std::uint32_t firstZone = 0;
    std::uint32_t zoneCount = 0;
    std::uint32_t nextInEntry = kNone;  // the entry's next component, in input order
    bool allDay = false;                // its start is a date (VALUE=DATE)
    bool exception = false;             // it has a RECURRENCE-ID: it changes one time of a series
};

// A VTIMEZONE and the TZID it defines.
struct TimeZone {
    std::string_view tzid;
    Span span;
    std::uint32_t nextSameTzid = kNone;  // its calendar object's next VTIMEZONE of this TZID
};

// A calendar object, or the components that stand outside any (bare).
struct CalendarObject {
    bool bare = false;
    Span begin;                    // its BEGIN:VCALENDAR line
    std::vector<Span> properties;  // its own property lines, in input order
    std::optional<Span> end;       // its END:VCALENDAR line; none at the end of the input
    bool version2 = false;         // it says VERSION:2.0
    // Its VTIMEZONEs by TZID: the first and the last of each (CalendarStructure::timeZones).
    std::unordered_map<std::string_view, std::pair<std::uint32_t, std::uint32_t>> zonesByTzid;
};

// The components that go into one file together: one, or all of a calendar
// object's components that share a UID.
struct Entry {
    std::uint32_t calendar;
    std::uint32_t firstComponent;
    std::uint32_t lastComponent;
};

struct CalendarStructure {
    std::vector<CalendarObject> calendars;
    // A deque: tens of thousands of components are never moved to grow.
    std::deque<Component> components;
    std::vector<TimeZone> timeZones;  // of every calendar object, in input order
    std::vector<Entry> entries;       // in input order of their first components
    std::vector<std::string_view> zoneNames;
    std::string_view lineEnd;        // the input's own: its first line end, else CR LF
    std::string_view byteOrderMark;  // the input's UTF-8 one, which every file then begins with
    // Unfolded texts that views point into; stable as it grows.
    std::deque<std::string> unfolded;
};

// What leaves a calendar's structure unclear, and where.
struct StructureFault {
    std::size_t line;
    std::string message;  // "line N: ..."
};

// How the structure reader takes content lines (their folding, soft line
// breaks and parameters), and so how the parameters it keeps are read.
inline constexpr calendar::Unfolding kStructureUnfolding = calendar::Unfolding::DropWhiteSpace;

// Reads the structure of text: content lines (folded lines and vCalendar 1.0
// quoted-printable soft breaks joined only to read them), components by
// their BEGIN and END lines in any letter case, UIDs and TZIDs. Liberal where
// the meaning is clear: a calendar object still open at the end of the input
// (or when the next one begins) is closed there; a UTF-8 byte-order mark
// opens the text; a quoted-printable value ending in "=" right before the
// END line of its component leaves that line alone; stray colons and spaces
// after a BEGIN or END value are not part of it.
std::variant<CalendarStructure, StructureFault> ReadCalendarStructure(std::string_view text);

// What stands for a whole entry: the master of a series (its component
// without RECURRENCE-ID), else its first component.
const Component& MasterOf(const CalendarStructure& structure, const Entry& entry);

}  // namespace orvelin
