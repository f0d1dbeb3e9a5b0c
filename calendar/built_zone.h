#pragma once

#include "calendar/ical_writer.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvelin::calendar {

// The time zone that a vCalendar 1.0 calendar's TZ and DAYLIGHT properties
// describe: standard time at the TZ offset, and each DAYLIGHT line one
// interval of daylight time. Times are seconds as SecondsOf counts them.
class BuiltZone {
public:
    // The zone of a TZ value; nullopt where it is no UTC offset ("CEST").
    static std::optional<BuiltZone> FromTz(std::string_view tz);

    // Takes in a DAYLIGHT value (decoded): "TRUE;-06;19960407T025959;
    // 19961027T010000;EST;EDT" adds the interval from the start to the end
    // (both local times, or UTC where they end in "Z") at the offset;
    // "FALSE" adds nothing. False where it cannot be read.
    bool AddDaylight(std::string_view value);

    // "UTC+0100" without daylight time, "UTC-0600/-0500" with it.
    const std::string& tzid() const { return tzid_; }
    std::int64_t UtcOf(std::int64_t local) const;
    std::int64_t LocalOf(std::int64_t utc) const;

    // The zone as a VTIMEZONE: a standard observance from long ago, then
    // for each daylight interval a DAYLIGHT observance and the STANDARD
    // observance that follows it.
    void Write(ICalendarWriter& writer) const;

private:
    explicit BuiltZone(int standard);

    struct Daylight {
        std::int64_t startUtc;
        std::int64_t endUtc;
        int offset;
        std::string standardName;
        std::string daylightName;
    };

    int standard_;
    std::vector<Daylight> daylight_;  // in the order of their starts
    std::string tzid_;
};

}  // namespace orvelin::calendar
