#include "calendar/content_line.h"
#include "calendar/property_writers.h"
#include "engine/letter_case.h"

#include <algorithm>
#include <array>

namespace orvelin::calendar {
namespace {

// A word of 1.0 as 2.0 writes it: upper case, "-" for spaces ("NEEDS ACTION" is NEEDS-ACTION).
std::string Hyphenated(std::string_view word)
{
    std::string hyphenated = UpperAscii(Trimmed(word));
    std::replace_if(
        hyphenated.begin(), hyphenated.end(), [](char c) { return c == ' ' || c == '_'; }, '-');
    return hyphenated;
}

bool Among(std::string_view word, std::initializer_list<std::string_view> words)
{
    return std::find(words.begin(), words.end(), word) != words.end();
}

// The statuses iCalendar 2.0 gives a component.
bool IsStatusOf(std::string_view component, std::string_view status)
{
    if (EqualIgnoringCase(component, "VEVENT"))
        return Among(status, {"TENTATIVE", "CONFIRMED", "CANCELLED", "NEEDS-ACTION"});
    if (EqualIgnoringCase(component, "VTODO"))
        return Among(status, {"NEEDS-ACTION", "COMPLETED", "IN-PROCESS", "CANCELLED"});
    return Among(status, {"DRAFT", "FINAL", "CANCELLED"});
}

// "12.5", "-0.25": a decimal number.
bool IsDecimal(std::string_view text)
{
    text = Trimmed(text);
    if (text.starts_with('-') || text.starts_with('+'))
        text.remove_prefix(1);
    const std::size_t point = text.find('.');
    const auto digits = [](std::string_view part) {
        return std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction = point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    return digits(whole) && digits(fraction) && whole.size() + fraction.size() > 0;
}

// An attendee's parameters: vCalendar 1.0's STATUS, RSVP and ROLE as
// iCalendar 2.0 has them where it does; the rest as any property's.
void WriteAttendeeParameters(ICalendarWriter& writer, std::string_view parameters, bool& named)
{
    ParameterReader reader(parameters, Unfolding::KeepWhiteSpace);
    for (Parameter parameter; reader.Next(parameter);) {
        const std::string value = Hyphenated(parameter.value);
        if (!parameter.bare && EqualIgnoringCase(parameter.name, "STATUS")) {
            const bool known = Among(
                value, {"NEEDS-ACTION", "ACCEPTED", "DECLINED", "TENTATIVE", "DELEGATED", "COMPLETED", "IN-PROCESS"});
            writer.Parameter(known ? "PARTSTAT" : "X-VCAL-STATUS", known ? value : parameter.value);
        } else if (!parameter.bare && EqualIgnoringCase(parameter.name, "RSVP")) {
            const bool yes = value == "YES" || value == "TRUE";
            const bool no = value == "NO" || value == "FALSE";
            writer.Parameter(yes || no ? "RSVP" : "X-VCAL-RSVP", yes ? "TRUE" : no ? "FALSE" : parameter.value);
        } else if (!parameter.bare && EqualIgnoringCase(parameter.name, "ROLE")) {
            const bool known = Among(value, {"CHAIR", "REQ-PARTICIPANT", "OPT-PARTICIPANT", "NON-PARTICIPANT"});
            writer.Parameter(known ? "ROLE" : "X-VCAL-ROLE", known ? value : parameter.value);
        } else {
            named |= !parameter.bare && EqualIgnoringCase(parameter.name, "CN");
            WriteParameter(writer, parameter);
        }
    }
}

}  // namespace

void WriteStatus(Mapping& mapping, const VcalProperty& property, std::string_view name)
{
    const std::string status = Hyphenated(property.value);
    if (!IsStatusOf(mapping.component, status)) {
        KeepAsVcal(mapping, property, "iCalendar 2.0 has no such status for " + UpperAscii(mapping.component));
        return;
    }
    mapping.writer.Line(name, status);
}

void WriteTransparency(Mapping& mapping, const VcalProperty& property, std::string_view name)
{
    const std::string value = Hyphenated(property.value);
    if (value == "0" || value == "OPAQUE")
        mapping.writer.Line(name, "OPAQUE");
    else if (value == "1" || value == "TRANSPARENT")
        mapping.writer.Line(name, "TRANSPARENT");
    else
        KeepAsVcal(mapping, property, "iCalendar 2.0 has only 0 (OPAQUE) and 1 (TRANSPARENT)");
}

void WriteGeo(Mapping& mapping, const VcalProperty& property, std::string_view name)
{
    const std::string_view value = Trimmed(property.value);
    const std::size_t comma = value.find(',');
    const std::size_t semicolon = value.find(';');
    // vCalendar 1.0 writes "longitude,latitude"; a producer thinking in 2.0, "latitude;longitude".
    const std::size_t split = comma != std::string_view::npos ? comma : semicolon;
    const std::string_view first = value.substr(0, split);
    const std::string_view second = split == std::string_view::npos ? std::string_view() : value.substr(split + 1);
    if (split == std::string_view::npos || !IsDecimal(first) || !IsDecimal(second)) {
        KeepAsVcal(mapping, property, "not a longitude and a latitude");
        return;
    }
    const bool swap = comma != std::string_view::npos;
    mapping.writer.Start(name);
    std::string& out = mapping.writer.Value();
    out.append(Trimmed(swap ? second : first));
    out += ';';
    out.append(Trimmed(swap ? first : second));
    mapping.writer.Finish();
}

void WriteAttachment(Mapping& mapping, const VcalProperty& property, std::string_view name)
{
    const std::optional<std::string_view> type = ParameterValue(property.parameters, "VALUE",
                                                                Unfolding::KeepWhiteSpace);
    if (type && (EqualIgnoringCase(*type, "CONTENT-ID") || EqualIgnoringCase(*type, "CID"))) {
        KeepAsVcal(mapping, property, "it refers to a part of a message, which iCalendar 2.0 cannot");
        return;
    }
    const std::optional<std::string_view> encoding = ParameterValue(property.parameters, "ENCODING",
                                                                    Unfolding::KeepWhiteSpace);
    const bool base64 = (encoding && EqualIgnoringCase(*encoding, "BASE64")) ||
        ParameterValue(property.parameters, "BASE64", Unfolding::KeepWhiteSpace).has_value();
    mapping.writer.Start(name);
    WriteParameters(mapping.writer, property.parameters);
    if (base64) {
        mapping.writer.Parameter("ENCODING", "BASE64");
        mapping.writer.Parameter("VALUE", "BINARY");
    }
    std::string& out = mapping.writer.Value();
    if (!base64)
        AppendAsWritten(out, property.value);
    // Base64 text folded the vCalendar 1.0 way keeps its white space: it goes.
    for (std::string_view rest = base64 ? property.value : std::string_view(); !rest.empty();) {
        const std::size_t space = std::min(rest.find_first_of(" \t\r\n"), rest.size());
        out.append(rest.substr(0, space));
        rest.remove_prefix(std::min(space + 1, rest.size()));
    }
    mapping.writer.Finish();
}

void WriteAttendee(Mapping& mapping, const VcalProperty& property, std::string_view name)
{
    std::string_view value = Trimmed(property.value);
    std::string_view person;
    std::string_view address;
    const std::size_t open = value.rfind('<');
    if (open != std::string_view::npos && value.ends_with('>')) {
        person = Trimmed(value.substr(0, open));
        if (person.size() >= 2 && person.front() == '"' && person.back() == '"')
            person = person.substr(1, person.size() - 2);
        address = Trimmed(value.substr(open + 1, value.size() - open - 2));
    } else {
        address = value;
    }
    if (address.size() > 7 && EqualIgnoringCase(address.substr(0, 7), "MAILTO:"))
        address.remove_prefix(7);
    if (address.find('@') == std::string_view::npos || address.find_first_of(" \t") != std::string_view::npos) {
        KeepAsVcal(mapping, property, "no e-mail address");
        return;
    }
    mapping.writer.Start(name);
    bool named = false;
    WriteAttendeeParameters(mapping.writer, property.parameters, named);
    if (!named && !person.empty())
        mapping.writer.Parameter("CN", person);
    mapping.writer.Value() += "mailto:";
    mapping.writer.Value().append(address);
    mapping.writer.Finish();
}

}  // namespace orvelin::calendar
