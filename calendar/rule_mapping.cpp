#include "calendar/property_writers.h"
#include "calendar/recurrence_rule.h"
#include "calendar/time_mapping.h"

namespace orvelin::calendar {
namespace {

constexpr int kLastSecondOfDay = 86399;

// The end of the series in the frame of its start (as SecondsOf counts it):
// local in the zone, UTC, floating or a date; an end written as a date ends
// with that day.
std::int64_t EndInFrame(const DateTime& end, const PlacedTime& start, const BuiltZone* zone)
{
    const PlacedTime placed = Place(end, zone);
    const bool wholeDay = placed.form == TimeForm::Date && start.form != TimeForm::Date;
    return SecondsOf(placed.civil) + (wholeDay ? kLastSecondOfDay : 0);
}

// ";UNTIL=" in the form the start asks for: a date for a date, UTC for a
// time in a zone or in UTC, floating for a floating time.
void AppendUntil(std::string& out, std::int64_t end, const PlacedTime& start, const BuiltZone* zone)
{
    out += ";UNTIL=";
    if (start.zoned)
        AppendDateTime(out, CivilOf(zone->UtcOf(end)), TimeForm::Utc);
    else
        AppendDateTime(out, CivilOf(end), start.form);
}

}  // namespace

void WriteRule(Mapping& mapping, const VcalProperty& property, std::string_view name)
{
    BasicRule rule;
    if (!ReadBasicRule(property.value, rule)) {
        KeepAsVcal(mapping, property, "not a rule of vCalendar 1.0's basic grammar");
        return;
    }
    const std::optional<DateTime> start = mapping.start;
    if (!start) {
        KeepAsVcal(mapping, property, "no DTSTART to repeat");
        return;
    }
    // Modifiers and ends count in the time the entry's DTSTART is written in.
    const PlacedTime placedStart = Place(*start, mapping.zone);
    CompleteFromStart(rule, placedStart.civil);
    mapping.writer.Start(name);
    WriteParameters(mapping.writer, property.parameters);
    std::string& value = mapping.writer.Value();
    AppendRule(value, rule);
    if (!rule.count && !rule.end) {
        value += ";COUNT=2";
        mapping.Note(property.line,
                     std::string(name) + " has neither a count nor an end date: it means two times (COUNT=2)");
    } else if (rule.end) {
        const std::int64_t end = EndInFrame(*rule.end, placedStart, mapping.zone);
        // With a count as well, the series ends with whichever comes first.
        if (rule.count.value_or(0) > 0 && NthTime(rule, placedStart.civil, *rule.count, end))
            value += ";COUNT=" + std::to_string(*rule.count);
        else
            AppendUntil(value, end, placedStart, mapping.zone);
    } else if (*rule.count > 0) {
        value += ";COUNT=" + std::to_string(*rule.count);
    }
    mapping.writer.Finish();
}

}  // namespace orvelin::calendar
