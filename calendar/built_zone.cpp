#include "calendar/built_zone.h"

#include "calendar/content_line.h"
#include "calendar/date_time.h"
#include "calendar/text_value.h"
#include "engine/letter_case.h"

#include <algorithm>
#include <array>

namespace orvelin::calendar {
namespace {

// The UTC instant a DAYLIGHT start or end means: local at offset, or UTC.
std::optional<std::int64_t> UtcOfChange(std::string_view text, int offset)
{
    const std::optional<DateTime> time = ReadDateTime(Trimmed(text));
    if (!time)
        return std::nullopt;
    return SecondsOf(time->civil) - (time->form == TimeForm::Utc ? 0 : offset);
}

void WriteObservance(ICalendarWriter& writer, std::string_view kind, std::int64_t startLocal, int from, int to,
                     std::string_view name)
{
    writer.Line("BEGIN", kind);
    writer.Start("DTSTART");
    AppendDateTime(writer.Value(), CivilOf(startLocal), TimeForm::Floating);
    writer.Finish();
    writer.Start("TZOFFSETFROM");
    AppendUtcOffset(writer.Value(), from);
    writer.Finish();
    writer.Start("TZOFFSETTO");
    AppendUtcOffset(writer.Value(), to);
    writer.Finish();
    if (!name.empty()) {
        writer.Start("TZNAME");
        AppendVcalendarText(writer.Value(), name, TextShape::Single);
        writer.Finish();
    }
    writer.Line("END", kind);
}

}  // namespace

BuiltZone::BuiltZone(int standard) : standard_(standard)
{
    tzid_ = "UTC";
    AppendUtcOffset(tzid_, standard);
}

std::optional<BuiltZone> BuiltZone::FromTz(std::string_view tz)
{
    const std::optional<int> offset = ReadUtcOffset(Trimmed(tz));
    if (!offset)
        return std::nullopt;
    return BuiltZone(*offset);
}

bool BuiltZone::AddDaylight(std::string_view value)
{
    std::array<std::string_view, 6> fields{};
    FieldReader reader(value);
    std::size_t count = 0;
    for (std::string_view field; count < fields.size() && reader.Next(field);)
        fields[count++] = Trimmed(field);
    if (count == 1 && EqualIgnoringCase(fields[0], "FALSE"))
        return true;
    const std::optional<int> offset = count >= 4 && EqualIgnoringCase(fields[0], "TRUE") ? ReadUtcOffset(fields[1])
                                                                                         : std::nullopt;
    const std::optional<std::int64_t> start = offset ? UtcOfChange(fields[2], standard_) : std::nullopt;
    const std::optional<std::int64_t> end = offset ? UtcOfChange(fields[3], *offset) : std::nullopt;
    if (!start || !end || *end <= *start)
        return false;
    if (daylight_.empty()) {
        tzid_ += '/';
        AppendUtcOffset(tzid_, *offset);
    }
    Daylight daylight{*start, *end, *offset, std::string(fields[4]), std::string(fields[5])};
    const auto later = std::upper_bound(daylight_.begin(), daylight_.end(), *start,
                                        [](std::int64_t at, const Daylight& d) { return at < d.startUtc; });
    daylight_.insert(later, std::move(daylight));
    return true;
}

std::int64_t BuiltZone::LocalOf(std::int64_t utc) const
{
    for (const Daylight& daylight : daylight_) {
        if (utc >= daylight.startUtc && utc < daylight.endUtc)
            return utc + daylight.offset;
    }
    return utc + standard_;
}

std::int64_t BuiltZone::UtcOf(std::int64_t local) const
{
    // Daylight time from the local start of the interval (in standard time)
    // to its local end (in daylight time).
    for (const Daylight& daylight : daylight_) {
        if (local >= daylight.startUtc + standard_ && local < daylight.endUtc + daylight.offset)
            return local - daylight.offset;
    }
    return local - standard_;
}

void BuiltZone::Write(ICalendarWriter& writer) const
{
    writer.Line("BEGIN", "VTIMEZONE");
    writer.Start("TZID");
    AppendText(writer.Value(), tzid_);
    writer.Finish();
    const std::string_view firstName = daylight_.empty() ? std::string_view() : daylight_.front().standardName;
    WriteObservance(writer, "STANDARD", SecondsOf({1601, 1, 1, 0, 0, 0}), standard_, standard_, firstName);
    for (const Daylight& daylight : daylight_) {
        WriteObservance(writer, "DAYLIGHT", daylight.startUtc + standard_, standard_, daylight.offset,
                        daylight.daylightName);
        WriteObservance(writer, "STANDARD", daylight.endUtc + daylight.offset, daylight.offset, standard_,
                        daylight.standardName);
    }
    writer.Line("END", "VTIMEZONE");
}

}  // namespace orvelin::calendar
