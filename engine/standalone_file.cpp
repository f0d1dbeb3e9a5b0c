#include "engine/standalone_file.h"

#include "engine/shared_parts.h"
#include "engine/version.h"

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <optional>

namespace orvelin {
namespace {

constexpr std::string_view kOwnHeader = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Orvelin//Orvelin " ORVELIN_VERSION
                                        "//EN\r\n";
constexpr std::string_view kEndLine = "END:VCALENDAR";

bool EndsInLineEnd(std::string_view text)
{
    return !text.empty() && (text.back() == '\n' || text.back() == '\r');
}

// A file's pieces in order, each but the last ending in a line end: what is
// written and what is counted is one and the same.
class Pieces {
public:
    Pieces(const CalendarStructure& structure, std::string_view text, std::uint32_t calendar)
        : structure_(structure), text_(text), calendar_(structure.calendars[calendar]),
          // Around lines of its own, a calendar of the program's own has CR LF.
          lineEnd_(calendar_.bare ? std::string_view("\r\n") : structure.lineEnd)
    {
    }

    // Emits one piece and the line end it lacks, if any; the bytes emitted.
    template <typename Emit>
    std::uint64_t Line(std::string_view piece, Emit&& emit) const
    {
        emit(piece);
        if (EndsInLineEnd(piece) || piece.empty())
            return piece.size();
        emit(lineEnd_);
        return piece.size() + lineEnd_.size();
    }
    template <typename Emit>
    std::uint64_t Line(const Span& span, Emit&& emit) const
    {
        return Line(text_.substr(span.begin, span.end - span.begin), emit);
    }

    // What every file of the calendar object begins with: the byte-order
    // mark, the header and the properties.
    template <typename Emit>
    std::uint64_t Header(Emit&& emit) const
    {
        emit(structure_.byteOrderMark);
        std::uint64_t bytes = structure_.byteOrderMark.size();
        bytes += calendar_.bare ? Line(kOwnHeader, emit) : Line(calendar_.begin, emit);
        for (const Span& property : calendar_.properties)
            bytes += Line(property, emit);
        return bytes;
    }

    // The END line: the input's own as it stands (at the input's end it may
    // have no line end), else one of the program's.
    template <typename Emit>
    std::uint64_t End(Emit&& emit) const
    {
        if (calendar_.end) {
            const std::string_view end = text_.substr(calendar_.end->begin, calendar_.end->end - calendar_.end->begin);
            emit(end);
            return end.size();
        }
        emit(kEndLine);
        emit(lineEnd_);
        return kEndLine.size() + lineEnd_.size();
    }

    template <typename Emit>
    std::uint64_t Components(const Entry& entry, Emit&& emit) const
    {
        std::uint64_t bytes = 0;
        for (std::uint32_t at = entry.firstComponent; at != kNone; at = structure_.components[at].nextInEntry)
            bytes += Line(structure_.components[at].span, emit);
        return bytes;
    }

private:
    const CalendarStructure& structure_;
    std::string_view text_;
    const CalendarObject& calendar_;
    std::string_view lineEnd_;
};

constexpr auto kCountOnly = [](std::string_view) {};

// The entries' periods, as numbers in the order of time: YYYY or YYYYMM from
// the start as written; entries without a start come after every period.
constexpr std::uint32_t kUndated = UINT32_MAX;

std::vector<std::uint32_t> PeriodsOf(const CalendarStructure& structure, Period period)
{
    std::vector<std::uint32_t> periods;
    periods.reserve(structure.entries.size());
    for (const Entry& entry : structure.entries) {
        const std::string_view start = MasterOf(structure, entry).start;
        std::uint32_t date = 0;  // YYYYMM
        for (std::size_t at = 0; at < 6 && date != kUndated; ++at)
            date = at < start.size() && start[at] >= '0' && start[at] <= '9' ? date * 10 + (start[at] - '0') : kUndated;
        const bool month = date != kUndated && date % 100 >= 1 && date % 100 <= 12;
        periods.push_back(!month ? kUndated : period == Period::Year ? date / 100 : date);
    }
    return periods;
}

// "2024", "2024-03", "undated".
std::string PeriodName(std::uint32_t key, Period period)
{
    if (key == kUndated)
        return "undated";
    char name[16];
    if (period == Period::Year)
        std::snprintf(name, sizeof name, "%04u", key);
    else
        std::snprintf(name, sizeof name, "%04u-%02u", key / 100, key % 100);
    return name;
}

// Groups entries into files. The time zone definitions a file holds so far
// are stamped with the file's mark, and each TZID with the definition it
// holds; an entry tried for the file stamps those it would add with a mark
// of its own, so that trying costs only what the entry names, however many
// time zones the calendar has.
class Planner {
public:
    // periods: each entry's period, where files go by period.
    Planner(const CalendarStructure& structure, std::string_view text, FileLimits limits,
            const std::vector<std::uint32_t>& periods, StandalonePlan& plan)
        : structure_(structure), text_(text), limits_(limits), periods_(periods), plan_(plan),
          shared_(FindSharedParts(structure, text)), stamps_(shared_.tzidOf.size(), 0), held_(shared_.tzidCount)
    {
    }

    // The file that begins at plan.order[first].
    PlannedFile Next(std::uint32_t first)
    {
        const std::uint32_t firstEntry = plan_.order[first];
        const Entry& head = structure_.entries[firstEntry];
        const Pieces pieces(structure_, text_, head.calendar);
        PlannedFile file{first, 1, 0, static_cast<std::uint32_t>(plan_.zones.size()), 0, 0, 0};
        fileMark_ = ++marks_;
        file.bytes = pieces.Header(kCountOnly) + pieces.End(kCountOnly) + *Try(pieces, head) +
            pieces.Components(head, kCountOnly);
        Keep();
        for (std::uint32_t next = first + 1; next < plan_.order.size() && file.entries < limits_.entries; ++next) {
            const Entry& entry = structure_.entries[plan_.order[next]];
            if (shared_.headers[entry.calendar] != shared_.headers[head.calendar] ||
                PeriodOf(plan_.order[next]) != PeriodOf(firstEntry))
                break;
            const std::optional<std::uint64_t> zoneBytes = Try(pieces, entry);
            if (!zoneBytes)
                break;
            const std::uint64_t bytes = file.bytes + *zoneBytes + pieces.Components(entry, kCountOnly);
            if (limits_.bytes != 0 && bytes > limits_.bytes)
                break;
            file.bytes = bytes;
            ++file.entries;
            Keep();
        }
        file.zoneCount = static_cast<std::uint32_t>(plan_.zones.size()) - file.firstZone;
        std::sort(plan_.zones.begin() + file.firstZone, plan_.zones.end());
        return file;
    }

private:
    // A TZID's definition in the file, if the mark is the file's.
    struct Held {
        std::uint32_t mark = 0;
        std::uint32_t definition = kNone;
    };

    std::uint32_t PeriodOf(std::uint32_t entry) const { return periods_.empty() ? 0 : periods_[entry]; }

    // The bytes of the time zones entry would add to the file; none where it
    // names a TZID that the file holds another definition of.
    std::optional<std::uint64_t> Try(const Pieces& pieces, const Entry& entry)
    {
        const std::uint32_t mark = ++marks_;
        std::uint64_t bytes = 0;
        tried_.clear();
        for (std::uint32_t at = entry.firstComponent; at != kNone; at = structure_.components[at].nextInEntry) {
            const Component& component = structure_.components[at];
            for (std::uint32_t name = component.firstZone; name < component.firstZone + component.zoneCount; ++name) {
                const SharedParts::NamedZone& named = shared_.names[name];
                if (named.definition == kNone)
                    continue;
                const Held& held = held_[shared_.tzidOf[named.definition]];
                if (held.mark == fileMark_ && held.definition != named.definition)
                    return std::nullopt;
                if (stamps_[named.definition] == fileMark_ || stamps_[named.definition] == mark)
                    continue;
                stamps_[named.definition] = mark;
                tried_.push_back(named);
                for (std::uint32_t zone = named.firstZone; zone != kNone;
                     zone = structure_.timeZones[zone].nextSameTzid)
                    bytes += pieces.Line(structure_.timeZones[zone].span, kCountOnly);
            }
        }
        return bytes;
    }

    // The entry tried last goes into the file, and its time zones with it.
    void Keep()
    {
        for (const SharedParts::NamedZone& named : tried_) {
            stamps_[named.definition] = fileMark_;
            held_[shared_.tzidOf[named.definition]] = {fileMark_, named.definition};
            for (std::uint32_t zone = named.firstZone; zone != kNone; zone = structure_.timeZones[zone].nextSameTzid)
                plan_.zones.push_back(zone);
        }
    }

    const CalendarStructure& structure_;
    std::string_view text_;
    FileLimits limits_;
    const std::vector<std::uint32_t>& periods_;
    StandalonePlan& plan_;
    const SharedParts shared_;
    std::vector<std::uint32_t> stamps_;  // by definition
    std::vector<Held> held_;             // by TZID
    std::vector<SharedParts::NamedZone> tried_;
    std::uint32_t marks_ = 0;
    std::uint32_t fileMark_ = 0;
};

}  // namespace

StandalonePlan PlanStandaloneFiles(const CalendarStructure& structure, std::string_view text, FileLimits limits,
                                   Period period, FileNamer& namer, std::int32_t firstNumber)
{
    StandalonePlan plan;
    const std::vector<std::uint32_t> periods = period == Period::None ? std::vector<std::uint32_t>()
                                                                      : PeriodsOf(structure, period);
    plan.order.resize(structure.entries.size());
    std::iota(plan.order.begin(), plan.order.end(), 0u);
    if (!periods.empty()) {
        std::stable_sort(plan.order.begin(), plan.order.end(),
                         [&periods](std::uint32_t a, std::uint32_t b) { return periods[a] < periods[b]; });
    }
    Planner planner(structure, text, limits, periods, plan);
    for (std::uint32_t next = 0; next < plan.order.size();) {
        PlannedFile file = planner.Next(next);
        const std::uint32_t firstEntry = plan.order[file.first];
        const Entry& first = structure.entries[firstEntry];
        const CalendarObject& calendar = structure.calendars[first.calendar];
        const std::string_view extension = calendar.bare || calendar.version2 ? ".ics" : ".vcs";
        const std::int32_t number = firstNumber + static_cast<std::int32_t>(plan.files.size());
        file.nameStart = static_cast<std::uint32_t>(plan.names.size());
        plan.names += periods.empty() ? namer.NameFor(structure, first, number, extension)
                                      : namer.NameAfter(PeriodName(periods[firstEntry], period), extension);
        file.nameEnd = static_cast<std::uint32_t>(plan.names.size());
        next += file.entries;
        plan.files.push_back(std::move(file));
    }
    return plan;
}

void WriteStandaloneFile(OutputTextStream& stream, const CalendarStructure& structure, const StandalonePlan& plan,
                         const PlannedFile& file, std::string_view text)
{
    const auto write = [&stream](std::string_view piece) { stream.Write(piece); };
    const Pieces pieces(structure, text, structure.entries[plan.order[file.first]].calendar);
    pieces.Header(write);
    for (std::uint32_t at = file.firstZone; at < file.firstZone + file.zoneCount; ++at)
        pieces.Line(structure.timeZones[plan.zones[at]].span, write);
    for (std::uint32_t at = file.first; at < file.first + file.entries; ++at)
        pieces.Components(structure.entries[plan.order[at]], write);
    pieces.End(write);
}

}  // namespace orvelin
