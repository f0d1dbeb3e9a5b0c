#pragma once

#include "calendar/date_time.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvelin::calendar {

enum class Frequency : std::uint8_t { Daily, Weekly, MonthlyByPosition, MonthlyByDay, YearlyByMonth, YearlyByDay };

// A weekday (0 Sunday to 6 Saturday), every one in the period (ordinal 0)
// or the nth (1 to 5) or nth last (-1 to -5) of the month.
struct WeekdayOccurrence {
    int ordinal = 0;
    int weekday = 0;
    bool operator==(const WeekdayOccurrence&) const = default;
};

// A recurrence rule of vCalendar 1.0's basic grammar ("W2 TU TH #27",
// "MD1 1 15- LD 19961231T000000").
struct BasicRule {
    Frequency frequency = Frequency::Daily;
    int interval = 1;
    std::vector<WeekdayOccurrence> weekdays;  // W and MP
    std::vector<int> numbers;                 // MD: days of the month (-1 the last); YM: months; YD: days of the year
    std::optional<std::uint32_t> count;       // #n; 0 for no end
    std::optional<DateTime> end;
};

// Reads text into rule; false where it is not the basic grammar: the
// extended one (time lists, "$", minutely rules, several rules in one) or
// text that is no rule.
bool ReadBasicRule(std::string_view text, BasicRule& rule);

// Takes what the rule leaves out from its start, as vCalendar 1.0 says: the
// weekday (W), the nth weekday (MP), the day of the month (MD), the month (YM).
void CompleteFromStart(BasicRule& rule, const CivilTime& start);

// Appends the rule, without its end, as iCalendar 2.0 writes it:
// "FREQ=WEEKLY;INTERVAL=2;BYDAY=TU,TH".
void AppendRule(std::string& out, const BasicRule& rule);

// The time (as SecondsOf counts it) of the nth time the rule, started at
// start, gives (the start itself is the first) as iCalendar 2.0 counts them:
// days that do not exist do not count; nullopt where it falls after until.
std::optional<std::int64_t> NthTime(const BasicRule& rule, const CivilTime& start, std::uint32_t n, std::int64_t until);

}  // namespace orvelin::calendar
