#pragma once

#include "engine/calendar_structure.h"
#include "engine/file_system.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace orvelin {

// Consecutive entries of one calendar object that go into one file.
struct EntryGroup {
    std::uint32_t first = 0;
    std::uint32_t count = 1;
    std::uint64_t bytes = 0;  // the size of its file
};

// Cuts the entries into files, in input order: each file holds at most
// perFile entries (a whole recurring series is one) and, where maxBytes is
// not 0, at most maxBytes bytes (then each group knows its file's size); each
// calendar object starts a new file. An entry that alone passes maxBytes
// still gets a file of its own.
class EntryGrouper {
public:
    EntryGrouper(const CalendarStructure& structure, std::string_view text, std::uint32_t perFile,
                 std::uint64_t maxBytes)
        : structure_(structure), text_(text), perFile_(perFile), maxBytes_(maxBytes)
    {
    }

    // The next file's entries; nullopt after the last.
    std::optional<EntryGroup> Next();

private:
    const CalendarStructure& structure_;
    std::string_view text_;
    std::uint32_t perFile_;
    std::uint64_t maxBytes_;
    std::uint32_t next_ = 0;
};

// The file of a group ends in ".ics" for an iCalendar 2.0 calendar object
// (and for components outside any), ".vcs" otherwise.
std::string_view StandaloneExtension(const CalendarStructure& structure, const EntryGroup& group);

// Writes a group as a calendar of its own, every line of it copied byte for
// byte from text: its calendar object's BEGIN:VCALENDAR line and properties,
// each VTIMEZONE its components name (once, in input order), its entries'
// components entry by entry, each entry's in input order, the END:VCALENDAR
// line. Components outside any calendar object get one of the program's own.
// A copied line without its line end gets one where another line follows.
// Does not close the stream.
void WriteStandaloneFile(OutputTextStream& stream, const CalendarStructure& structure, const EntryGroup& group,
                         std::string_view text);

}  // namespace orvelin
