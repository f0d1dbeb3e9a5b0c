#include "engine/standalone_file.h"

#include "engine/version.h"

#include <vector>

namespace orvelin {
namespace {

constexpr std::string_view kOwnHeader =
    "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Orvelin//Orvelin " ORVELIN_VERSION "//EN\r\n";
constexpr std::string_view kEndLine = "END:VCALENDAR";

bool EndsInLineEnd(std::string_view text)
{
    return !text.empty() && (text.back() == '\n' || text.back() == '\r');
}

// Writes whole lines; a last line without its line end gets one before
// anything follows it.
class LineWriter {
public:
    LineWriter(OutputTextStream& stream, std::string_view lineEnd) : stream_(stream), lineEnd_(lineEnd) {}

    void Write(std::string_view lines)
    {
        if (lines.empty())
            return;
        if (lineEndOwed_)
            stream_.Write(lineEnd_);
        stream_.Write(lines);
        lineEndOwed_ = !EndsInLineEnd(lines);
    }

    // A line of the program's own.
    void WriteLine(std::string_view line)
    {
        if (lineEndOwed_)
            stream_.Write(lineEnd_);
        stream_.Write(line);
        stream_.Write(lineEnd_);
        lineEndOwed_ = false;
    }

private:
    OutputTextStream& stream_;
    std::string_view lineEnd_;
    bool lineEndOwed_ = false;
};

std::string_view Of(std::string_view text, const Span& span)
{
    return text.substr(span.begin, span.end - span.begin);
}

}  // namespace

std::string_view StandaloneExtension(const CalendarStructure& structure, const Entry& entry)
{
    const CalendarObject& calendar = structure.calendars[entry.calendar];
    return calendar.bare || calendar.version2 ? ".ics" : ".vcs";
}

void WriteStandaloneFile(OutputTextStream& stream, const CalendarStructure& structure, const Entry& entry,
                         std::string_view text)
{
    const CalendarObject& calendar = structure.calendars[entry.calendar];
    // Around lines of its own, a calendar of the program's own has CR LF.
    LineWriter out(stream, calendar.bare ? std::string_view("\r\n") : structure.lineEnd);
    out.Write(calendar.bare ? kOwnHeader : Of(text, calendar.begin));
    for (const Span& property : calendar.properties)
        out.Write(Of(text, property));

    std::vector<bool> named(calendar.timeZones.size());
    for (std::uint32_t at = entry.firstComponent; at != kNone; at = structure.components[at].nextInEntry) {
        const Component& component = structure.components[at];
        for (std::uint32_t zone = component.firstZone; zone < component.firstZone + component.zoneCount; ++zone) {
            for (std::size_t defined = 0; defined < calendar.timeZones.size(); ++defined)
                named[defined] = named[defined] || calendar.timeZones[defined].tzid == structure.zoneNames[zone];
        }
    }
    for (std::size_t zone = 0; zone < calendar.timeZones.size(); ++zone) {
        if (named[zone])
            out.Write(Of(text, calendar.timeZones[zone].span));
    }

    for (std::uint32_t at = entry.firstComponent; at != kNone; at = structure.components[at].nextInEntry)
        out.Write(Of(text, structure.components[at].span));
    if (calendar.end)
        out.Write(Of(text, *calendar.end));
    else
        out.WriteLine(kEndLine);
}

}  // namespace orvelin
