#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvelin::calendar {

// A date and a time of day on the calendar, in no particular zone.
struct CivilTime {
    int year = 1970;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// What a date-time value means: a whole day, a time on the clock of
// whoever reads it (floating), or a time in UTC.
enum class TimeForm : std::uint8_t { Date, Floating, Utc };

struct DateTime {
    CivilTime civil;
    TimeForm form = TimeForm::Floating;
};

// Reads "YYYYMMDD" and "YYYYMMDDTHHMMSS", the latter with "Z" for UTC or a
// UTC offset ("-0500", "+01", "+05:30": read as the same instant in UTC);
// nullopt for anything else, a day that does not exist included.
std::optional<DateTime> ReadDateTime(std::string_view text);

// Seconds since 1970-01-01 00:00:00 of time, counted as if it were UTC.
std::int64_t SecondsOf(const CivilTime& time);
CivilTime CivilOf(std::int64_t seconds);
// Days since 1970-01-01 of a date, and the date of such a day.
std::int64_t DaysOf(int year, int month, int day);
CivilTime DateOf(std::int64_t days);
// 0 for Sunday to 6 for Saturday.
int WeekdayOf(std::int64_t days);
int DaysInMonth(int year, int month);

// "19960415", "19960415T235959" or "19960415T235959Z", as form says.
void AppendDateTime(std::string& out, const CivilTime& time, TimeForm form);

// Reads a UTC offset as vCalendar 1.0 writes it ("+01", "-05:00", "+0530",
// "01"): seconds east of UTC.
std::optional<int> ReadUtcOffset(std::string_view text);
// "+0100", "-0530".
void AppendUtcOffset(std::string& out, int seconds);

// Reads an ISO 8601 duration of weeks, days, hours, minutes and seconds
// ("PT5M", "-P1DT2H", "P2W"): its seconds.
std::optional<std::int64_t> ReadDuration(std::string_view text);
// The duration of seconds as iCalendar 2.0 writes it: "PT5M", "-P1DT2H", "PT0S".
void AppendDuration(std::string& out, std::int64_t seconds);

}  // namespace orvelin::calendar
