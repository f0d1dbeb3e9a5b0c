#include "calendar/mapping.h"

#include "calendar/content_line.h"
#include "calendar/property_writers.h"
#include "engine/letter_case.h"

#include <array>

namespace orvelin::calendar {
namespace {

using Writer = void (*)(Mapping&, const VcalProperty&, std::string_view);

bool OneOf(std::string_view word, std::initializer_list<std::string_view> words)
{
    for (const std::string_view candidate : words) {
        if (EqualIgnoringCase(word, candidate))
            return true;
    }
    return false;
}

// Writes the property under name, its parameters as any property's, its
// value through append; a property without a value says nothing, and
// iCalendar readers refuse it.
template <void (*Append)(std::string&, std::string_view)>
void WriteValue(Mapping& mapping, const VcalProperty& property, std::string_view name)
{
    if (property.value.empty())
        return;
    mapping.writer.Start(name);
    WriteParameters(mapping.writer, property.parameters);
    Append(mapping.writer.Value(), property.value);
    mapping.writer.Finish();
}

void AppendSingleText(std::string& out, std::string_view text)
{
    AppendVcalendarText(out, text, TextShape::Single);
}

void AppendListText(std::string& out, std::string_view text)
{
    AppendVcalendarText(out, text, TextShape::List);
}

constexpr Writer WriteText = WriteValue<AppendSingleText>;
constexpr Writer WriteTextList = WriteValue<AppendListText>;
constexpr Writer WriteAsWritten = WriteValue<AppendAsWritten>;

struct Target {
    std::string_view from;  // the vCalendar 1.0 name
    std::string_view to;    // the iCalendar 2.0 one
    Writer writer;
};

// The properties of an entry. Names of iCalendar 2.0 that vCalendar 1.0
// lacks are there too: producers that think in 2.0 write them.
constexpr std::array kTargets{
    Target{"SUMMARY", "SUMMARY", WriteText},
    Target{"DESCRIPTION", "DESCRIPTION", WriteText},
    Target{"LOCATION", "LOCATION", WriteText},
    Target{"COMMENT", "COMMENT", WriteText},
    Target{"CONTACT", "CONTACT", WriteText},
    Target{"RELATED-TO", "RELATED-TO", WriteText},
    Target{"UID", "UID", WriteText},
    Target{"CATEGORIES", "CATEGORIES", WriteTextList},
    Target{"RESOURCES", "RESOURCES", WriteTextList},
    Target{"DTSTART", "DTSTART", WriteTime},
    Target{"DTEND", "DTEND", WriteTime},
    Target{"DUE", "DUE", WriteTime},
    Target{"RECURRENCE-ID", "RECURRENCE-ID", WriteTime},
    Target{"EXDATE", "EXDATE", WriteTimeList},
    Target{"RDATE", "RDATE", WriteTimeList},
    Target{"DCREATED", "CREATED", WriteUtcTime},
    Target{"CREATED", "CREATED", WriteUtcTime},
    Target{"LAST-MODIFIED", "LAST-MODIFIED", WriteUtcTime},
    Target{"COMPLETED", "COMPLETED", WriteUtcTime},
    Target{"DTSTAMP", "DTSTAMP", WriteUtcTime},
    Target{"RRULE", "RRULE", WriteRule},
    Target{"EXRULE", "EXRULE", WriteRule},
    Target{"STATUS", "STATUS", WriteStatus},
    Target{"TRANSP", "TRANSP", WriteTransparency},
    Target{"GEO", "GEO", WriteGeo},
    Target{"ATTACH", "ATTACH", WriteAttachment},
    Target{"ATTENDEE", "ATTENDEE", WriteAttendee},
    Target{"ORGANIZER", "ORGANIZER", WriteAttendee},
    Target{"CLASS", "CLASS", WriteAsWritten},
    Target{"PRIORITY", "PRIORITY", WriteAsWritten},
    Target{"SEQUENCE", "SEQUENCE", WriteAsWritten},
    Target{"URL", "URL", WriteAsWritten},
    Target{"DURATION", "DURATION", WriteAsWritten},
    Target{"PERCENT-COMPLETE", "PERCENT-COMPLETE", WriteAsWritten},
    Target{"REQUEST-STATUS", "REQUEST-STATUS", WriteAsWritten},
    Target{"ACTION", "ACTION", WriteAsWritten},
    Target{"TRIGGER", "TRIGGER", WriteAsWritten},
    Target{"REPEAT", "REPEAT", WriteAsWritten},
};

// Parameters iCalendar 2.0 knows, copied as they are.
bool IsICalendarParameter(std::string_view name)
{
    return OneOf(name,
                 {"ALTREP", "CN", "CUTYPE", "DELEGATED-FROM", "DELEGATED-TO", "DIR", "FMTTYPE", "FBTYPE", "LANGUAGE",
                  "MEMBER", "PARTSTAT", "RANGE", "RELATED", "RELTYPE", "ROLE", "RSVP", "SENT-BY"});
}

// Parameters spent on reading the value, or given by the writer of the value.
bool IsSpent(const Parameter& parameter)
{
    if (parameter.bare)
        return OneOf(parameter.name, {"QUOTED-PRINTABLE", "BASE64", "8BIT", "7BIT"});
    return OneOf(parameter.name, {"ENCODING", "CHARSET", "VALUE", "TZID"});
}

}  // namespace

void WriteParameter(ICalendarWriter& writer, const Parameter& parameter)
{
    if (parameter.name.empty() || IsSpent(parameter))
        return;
    if (parameter.bare)
        writer.Parameter("X-VCAL-TYPE", parameter.name);
    else if (IsICalendarParameter(parameter.name) || parameter.name.starts_with("X-") ||
             parameter.name.starts_with("x-"))
        writer.Parameter(parameter.name, parameter.value);
    else
        writer.Parameter("X-VCAL-" + UpperAscii(parameter.name), parameter.value);
}

void WriteParameters(ICalendarWriter& writer, std::string_view parameters)
{
    ParameterReader reader(parameters, Unfolding::KeepWhiteSpace);
    for (Parameter parameter; reader.Next(parameter);)
        WriteParameter(writer, parameter);
}

void KeepAsVcal(Mapping& mapping, const VcalProperty& property, std::string_view why)
{
    if (property.value.empty()) {
        mapping.Note(property.line, UpperAscii(property.name) + " is empty: left out");
        return;
    }
    const std::string name = "X-VCAL-" + UpperAscii(property.name);
    WriteAsWritten(mapping, property, name);
    mapping.Note(property.line, UpperAscii(property.name) + " is kept as " + name + ": " + std::string(why));
}

void NoteReading(Mapping& mapping, const VcalProperty& property)
{
    if (property.reading == TextReading::AsCharset)
        return;
    const std::string charset(ParameterValue(property.parameters, "CHARSET", Unfolding::KeepWhiteSpace).value_or(""));
    mapping.Note(
        property.line,
        UpperAscii(property.name) +
            (property.reading == TextReading::UnknownCharset ? ": unknown CHARSET=" : ": not text in CHARSET=") +
            charset + ", read as UTF-8 or windows-1252");
}

void WriteProperty(Mapping& mapping, const VcalProperty& property)
{
    if (property.name.empty()) {
        mapping.Note(property.line, "not a content line: left out");
        return;
    }
    NoteReading(mapping, property);
    const bool x = property.name.starts_with("X-") || property.name.starts_with("x-");
    if (mapping.component == "VCALENDAR") {
        if (x || OneOf(property.name, {"CALSCALE", "METHOD"}))
            WriteAsWritten(mapping, property, property.name);
        else
            KeepAsVcal(mapping, property, "not a property of an iCalendar 2.0 calendar");
        return;
    }
    for (const Target& target : kTargets) {
        if (EqualIgnoringCase(property.name, target.from)) {
            target.writer(mapping, property, target.to);
            return;
        }
    }
    if (x)
        WriteAsWritten(mapping, property, property.name);
    else
        KeepAsVcal(mapping, property, "not a property of iCalendar 2.0");
}

}  // namespace orvelin::calendar
