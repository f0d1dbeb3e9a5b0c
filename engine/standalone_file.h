#pragma once

#include "engine/calendar_structure.h"
#include "engine/file_names.h"
#include "engine/file_system.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvelin {

// How many entries and bytes a standalone file may hold.
struct FileLimits {
    static constexpr std::uint32_t kAnyNumber = UINT32_MAX;
    std::uint32_t entries = 1;  // kAnyNumber: no limit
    std::uint64_t bytes = 0;    // 0: no limit
};

// Files by period: each entry goes into the file of the year or the month
// its start (its series' master's) falls in, as written.
enum class Period { None, Year, Month };

// One standalone file of a run: entries of calendar objects of one header
// (and one period), StandalonePlan::order[first, +entries).
struct PlannedFile {
    std::uint32_t first = 0;
    std::uint32_t entries = 1;
    std::uint64_t bytes = 0;  // the size of the file
    // The time zones it holds, in input order: StandalonePlan::zones[firstZone, +zoneCount).
    std::uint32_t firstZone = 0;
    std::uint32_t zoneCount = 0;
    // Its name: StandalonePlan::names[nameStart, nameEnd).
    std::uint32_t nameStart = 0;
    std::uint32_t nameEnd = 0;
};

// Every file a standalone split writes, in order, known before the first is
// written. Tens of thousands of them take little room.
struct StandalonePlan {
    std::vector<PlannedFile> files;
    std::vector<std::uint32_t> order;  // the entries (CalendarStructure::entries) in the order of the files
    std::vector<std::uint32_t> zones;  // indices into CalendarStructure::timeZones
    std::string names;

    std::string_view NameOf(const PlannedFile& file) const
    {
        return std::string_view(names).substr(file.nameStart, file.nameEnd - file.nameStart);
    }
};

// Cuts the entries into files, in input order (by period: in the order of
// the periods, entries without a start last, then in input order): each
// holds as many entries as the limits allow (a whole recurring series is
// one entry), of calendar objects whose headers are the same bytes, each
// time zone definition once; a new header, a TZID defined otherwise than in
// the file (or not at all) and each period start a new file; an entry that
// alone passes the byte limit still gets a file of its own.
// Names each file with namer, the first numbered firstNumber; by period,
// after its period ("2024", "2024-03", "undated").
StandalonePlan PlanStandaloneFiles(const CalendarStructure& structure, std::string_view text, FileLimits limits,
                                   Period period, FileNamer& namer, std::int32_t firstNumber);

// Writes a planned file as a calendar of its own, every line of it copied
// byte for byte from text: its first entry's calendar object's
// BEGIN:VCALENDAR line and properties, the VTIMEZONEs its entries name (each
// definition once, in input order), its entries' components entry by entry,
// each entry's in input order, that object's END:VCALENDAR line, all after
// the input's byte-order mark if it has one.
// Components outside any calendar object get a calendar of the program's
// own. A copied line without its line end gets one where another line
// follows. Does not close the stream.
void WriteStandaloneFile(OutputTextStream& stream, const CalendarStructure& structure, const StandalonePlan& plan,
                         const PlannedFile& file, std::string_view text);

}  // namespace orvelin
