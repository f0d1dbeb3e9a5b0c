#include "calendar/time_mapping.h"

#include "calendar/content_line.h"
#include "calendar/property_writers.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace orvelin::calendar {
namespace {

// Appends ";TZID=..." or ";VALUE=DATE" as the time needs, then the value.
void WritePlaced(Mapping& mapping, const PlacedTime& time)
{
    if (time.zoned)
        mapping.writer.Parameter("TZID", mapping.zone->tzid());
    if (time.form == TimeForm::Date)
        mapping.writer.Parameter("VALUE", "DATE");
}

}  // namespace

PlacedTime Place(const DateTime& value, const BuiltZone* zone)
{
    if (value.form == TimeForm::Date || !zone)
        return {value.civil, value.form, false};
    if (value.form == TimeForm::Floating)
        return {value.civil, TimeForm::Floating, true};
    return {CivilOf(zone->LocalOf(SecondsOf(value.civil))), TimeForm::Floating, true};
}

CivilTime InUtc(const DateTime& value, const BuiltZone* zone)
{
    if (value.form == TimeForm::Utc || !zone)
        return value.civil;
    return CivilOf(zone->UtcOf(SecondsOf(value.civil)));
}

std::optional<DateTime> ReadTimeValue(std::string_view value)
{
    return ReadDateTime(Trimmed(value));
}

void WriteTime(Mapping& mapping, const VcalProperty& property, std::string_view name)
{
    const std::optional<DateTime> value = ReadTimeValue(property.value);
    if (!value) {
        KeepAsVcal(mapping, property, "not a date and time");
        return;
    }
    const PlacedTime placed = Place(*value, mapping.zone);
    mapping.writer.Start(name);
    WriteParameters(mapping.writer, property.parameters);
    WritePlaced(mapping, placed);
    AppendDateTime(mapping.writer.Value(), placed.civil, placed.form);
    mapping.writer.Finish();
}

void WriteUtcTime(Mapping& mapping, const VcalProperty& property, std::string_view name)
{
    const std::optional<DateTime> value = ReadTimeValue(property.value);
    if (!value) {
        KeepAsVcal(mapping, property, "not a date and time");
        return;
    }
    mapping.writer.Start(name);
    AppendDateTime(mapping.writer.Value(), InUtc(*value, mapping.zone), TimeForm::Utc);
    mapping.writer.Finish();
}

void WriteTimeList(Mapping& mapping, const VcalProperty& property, std::string_view name)
{
    std::vector<PlacedTime> times;
    std::string_view rest = property.value;
    while (!rest.empty()) {
        const std::size_t end = std::min(rest.find_first_of(";,"), rest.size());
        const std::optional<DateTime> value = ReadTimeValue(rest.substr(0, end));
        if (!value) {
            KeepAsVcal(mapping, property, "not a list of dates and times");
            return;
        }
        times.push_back(Place(*value, mapping.zone));
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    // iCalendar 2.0 gives one kind of time to a line: a line for each kind, in the order they come.
    for (std::size_t first = 0; first < times.size(); ++first) {
        const PlacedTime& kind = times[first];
        if (std::any_of(times.begin(), times.begin() + static_cast<std::ptrdiff_t>(first),
                        [&kind](const PlacedTime& t) { return t.form == kind.form && t.zoned == kind.zoned; }))
            continue;
        mapping.writer.Start(name);
        WriteParameters(mapping.writer, property.parameters);
        WritePlaced(mapping, kind);
        std::string& value = mapping.writer.Value();
        bool any = false;
        for (std::size_t at = first; at < times.size(); ++at) {
            if (times[at].form != kind.form || times[at].zoned != kind.zoned)
                continue;
            if (std::exchange(any, true))
                value += ',';
            AppendDateTime(value, times[at].civil, times[at].form);
        }
        mapping.writer.Finish();
    }
}

}  // namespace orvelin::calendar
