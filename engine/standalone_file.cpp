#include "engine/standalone_file.h"

#include "engine/version.h"

namespace orvelin {
namespace {

constexpr std::string_view kOwnHeader =
    "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Orvelin//Orvelin " ORVELIN_VERSION "//EN\r\n";
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

    const CalendarObject& calendar() const { return calendar_; }

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

    // The header and the properties, which every file of the calendar object begins with.
    template <typename Emit>
    std::uint64_t Header(Emit&& emit) const
    {
        std::uint64_t bytes = calendar_.bare ? Line(kOwnHeader, emit) : Line(calendar_.begin, emit);
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

    // Marks the time zones the entry's components name; the bytes of those
    // not marked before, emitted when emitting.
    template <typename Emit>
    std::uint64_t NameZones(const Entry& entry, std::vector<bool>& named, Emit&& emit) const
    {
        std::uint64_t bytes = 0;
        for (std::uint32_t at = entry.firstComponent; at != kNone; at = structure_.components[at].nextInEntry) {
            const Component& component = structure_.components[at];
            for (std::uint32_t zone = component.firstZone; zone < component.firstZone + component.zoneCount; ++zone) {
                for (std::size_t defined = 0; defined < calendar_.timeZones.size(); ++defined) {
                    if (!named[defined] && calendar_.timeZones[defined].tzid == structure_.zoneNames[zone]) {
                        named[defined] = true;
                        bytes += Line(calendar_.timeZones[defined].span, emit);
                    }
                }
            }
        }
        return bytes;
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

}  // namespace

std::optional<EntryGroup> EntryGrouper::Next()
{
    if (next_ >= structure_.entries.size())
        return std::nullopt;
    const Entry& first = structure_.entries[next_];
    const Pieces pieces(structure_, text_, first.calendar);
    EntryGroup group{next_, 1, 0};
    std::vector<bool> named(pieces.calendar().timeZones.size());
    if (maxBytes_ != 0) {
        group.bytes = pieces.Header(kCountOnly) + pieces.End(kCountOnly) +
                      pieces.NameZones(first, named, kCountOnly) + pieces.Components(first, kCountOnly);
    }
    for (++next_; next_ < structure_.entries.size() && group.count < perFile_; ++next_, ++group.count) {
        const Entry& entry = structure_.entries[next_];
        if (entry.calendar != first.calendar)
            break;
        if (maxBytes_ == 0)
            continue;
        std::vector<bool> withEntry = named;
        const std::uint64_t bytes =
            group.bytes + pieces.NameZones(entry, withEntry, kCountOnly) + pieces.Components(entry, kCountOnly);
        if (bytes > maxBytes_)
            break;
        group.bytes = bytes;
        named.swap(withEntry);
    }
    return group;
}

std::string_view StandaloneExtension(const CalendarStructure& structure, const EntryGroup& group)
{
    const CalendarObject& calendar = structure.calendars[structure.entries[group.first].calendar];
    return calendar.bare || calendar.version2 ? ".ics" : ".vcs";
}

void WriteStandaloneFile(OutputTextStream& stream, const CalendarStructure& structure, const EntryGroup& group,
                         std::string_view text)
{
    const auto write = [&stream](std::string_view piece) { stream.Write(piece); };
    const Pieces pieces(structure, text, structure.entries[group.first].calendar);
    pieces.Header(write);
    std::vector<bool> named(pieces.calendar().timeZones.size());
    for (std::uint32_t at = group.first; at < group.first + group.count; ++at)
        pieces.NameZones(structure.entries[at], named, kCountOnly);
    // The time zones in input order, not in the order the entries name them.
    for (std::size_t zone = 0; zone < named.size(); ++zone) {
        if (named[zone])
            pieces.Line(pieces.calendar().timeZones[zone].span, write);
    }
    for (std::uint32_t at = group.first; at < group.first + group.count; ++at)
        pieces.Components(structure.entries[at], write);
    pieces.End(write);
}

}  // namespace orvelin
