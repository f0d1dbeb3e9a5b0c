#include "calendar/date_time.h"

namespace orvelin::calendar {
namespace {

constexpr std::int64_t kDay = 86400;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The number the count digits at text[at] make, or -1 when they are not all digits.
int Digits(std::string_view text, std::size_t at, std::size_t count)
{
    if (at + count > text.size())
        return -1;
    int number = 0;
    for (std::size_t end = at + count; at < end; ++at) {
        if (!IsDigit(text[at]))
            return -1;
        number = number * 10 + (text[at] - '0');
    }
    return number;
}

void AppendDigits(std::string& out, std::int64_t number, int count)
{
    char digits[20];
    for (int at = count - 1; at >= 0; --at, number /= 10)
        digits[at] = static_cast<char>('0' + number % 10);
    out.append(digits, static_cast<std::size_t>(count));
}

// Floor division, for days before 1970.
std::int64_t FloorDivide(std::int64_t a, std::int64_t b)
{
    return a / b - (a % b != 0 && (a < 0) != (b < 0) ? 1 : 0);
}

}  // namespace

std::int64_t DaysOf(int year, int month, int day)
{
    const std::int64_t y = year - (month <= 2 ? 1 : 0);
    const std::int64_t era = FloorDivide(y, 400);
    const std::int64_t yearOfEra = y - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

CivilTime DateOf(std::int64_t days)
{
    days += 719468;
    const std::int64_t era = FloorDivide(days, 146097);
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t shifted = (5 * dayOfYear + 2) / 153;
    CivilTime date;
    date.day = static_cast<int>(dayOfYear - (153 * shifted + 2) / 5 + 1);
    date.month = static_cast<int>(shifted < 10 ? shifted + 3 : shifted - 9);
    date.year = static_cast<int>(yearOfEra + era * 400 + (date.month <= 2 ? 1 : 0));
    return date;
}

int WeekdayOf(std::int64_t days)
{
    const std::int64_t sinceSunday = days + 4;  // 1970-01-01 was a Thursday
    return static_cast<int>(sinceSunday - 7 * FloorDivide(sinceSunday, 7));
}

int DaysInMonth(int year, int month)
{
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    return month == 2 && leap ? 29 : kDays[month - 1];
}

std::int64_t SecondsOf(const CivilTime& time)
{
    return DaysOf(time.year, time.month, time.day) * kDay + time.hour * 3600 + time.minute * 60 + time.second;
}

CivilTime CivilOf(std::int64_t seconds)
{
    const std::int64_t days = FloorDivide(seconds, kDay);
    const std::int64_t rest = seconds - days * kDay;
    CivilTime time = DateOf(days);
    time.hour = static_cast<int>(rest / 3600);
    time.minute = static_cast<int>(rest / 60 % 60);
    time.second = static_cast<int>(rest % 60);
    return time;
}

std::optional<DateTime> ReadDateTime(std::string_view text)
{
    DateTime value;
    CivilTime& civil = value.civil;
    civil.year = Digits(text, 0, 4);
    civil.month = Digits(text, 4, 2);
    civil.day = Digits(text, 6, 2);
    if (civil.year < 0 || civil.month < 1 || civil.month > 12 || civil.day < 1 ||
        civil.day > DaysInMonth(civil.year, civil.month))
        return std::nullopt;
    if (text.size() == 8) {
        value.form = TimeForm::Date;
        return value;
    }
    civil.hour = Digits(text, 9, 2);
    civil.minute = Digits(text, 11, 2);
    civil.second = Digits(text, 13, 2);
    if ((text[8] != 'T' && text[8] != 't') || civil.hour < 0 || civil.hour > 23 || civil.minute < 0 ||
        civil.minute > 59 || civil.second < 0 || civil.second > 59)
        return std::nullopt;
    const std::string_view zone = text.substr(std::min<std::size_t>(15, text.size()));
    if (zone.empty())
        return value;
    value.form = TimeForm::Utc;
    if (zone == "Z" || zone == "z")
        return value;
    const std::optional<int> offset = zone[0] == '+' || zone[0] == '-' ? ReadUtcOffset(zone) : std::nullopt;
    if (!offset)
        return std::nullopt;
    civil = CivilOf(SecondsOf(civil) - *offset);
    return value;
}

void AppendDateTime(std::string& out, const CivilTime& time, TimeForm form)
{
    AppendDigits(out, time.year, 4);
    AppendDigits(out, time.month, 2);
    AppendDigits(out, time.day, 2);
    if (form == TimeForm::Date)
        return;
    out += 'T';
    AppendDigits(out, time.hour, 2);
    AppendDigits(out, time.minute, 2);
    AppendDigits(out, time.second, 2);
    if (form == TimeForm::Utc)
        out += 'Z';
}

std::optional<int> ReadUtcOffset(std::string_view text)
{
    const int sign = text.starts_with('-') ? -1 : 1;
    if (text.starts_with('-') || text.starts_with('+'))
        text.remove_prefix(1);
    const std::size_t hourDigits = text.size() == 1 || (text.size() > 1 && !IsDigit(text[1])) ? 1 : 2;
    const int hours = Digits(text, 0, hourDigits);
    text.remove_prefix(std::min(hourDigits, text.size()));
    if (text.starts_with(':'))
        text.remove_prefix(1);
    const int minutes = text.empty() ? 0 : text.size() == 2 ? Digits(text, 0, 2) : -1;
    if (hours < 0 || hours > 23 || minutes < 0 || minutes > 59)
        return std::nullopt;
    return sign * (hours * 3600 + minutes * 60);
}

void AppendUtcOffset(std::string& out, int seconds)
{
    out += seconds < 0 ? '-' : '+';
    const int minutes = (seconds < 0 ? -seconds : seconds) / 60;
    AppendDigits(out, minutes / 60, 2);
    AppendDigits(out, minutes % 60, 2);
}

std::optional<std::int64_t> ReadDuration(std::string_view text)
{
    const std::int64_t sign = text.starts_with('-') ? -1 : 1;
    if (text.starts_with('-') || text.starts_with('+'))
        text.remove_prefix(1);
    if (!text.starts_with('P') || text.size() < 3)
        return std::nullopt;
    std::int64_t seconds = 0;
    bool time = false;
    std::int64_t number = -1;
    for (const char c : text.substr(1)) {
        if (IsDigit(c)) {
            number = (number < 0 ? 0 : number) * 10 + (c - '0');
            if (number > 100000000)
                return std::nullopt;
            continue;
        }
        if (c == 'T' && !time && number < 0) {
            time = true;
            continue;
        }
        static constexpr std::string_view kDateUnits = "WD";
        static constexpr std::string_view kTimeUnits = "HMS";
        static constexpr std::int64_t kDateSeconds[] = {7 * kDay, kDay};
        static constexpr std::int64_t kTimeSeconds[] = {3600, 60, 1};
        const std::size_t unit = (time ? kTimeUnits : kDateUnits).find(c);
        if (number < 0 || unit == std::string_view::npos)
            return std::nullopt;
        seconds += number * (time ? kTimeSeconds[unit] : kDateSeconds[unit]);
        number = -1;
    }
    if (number >= 0)
        return std::nullopt;
    return sign * seconds;
}

void AppendDuration(std::string& out, std::int64_t seconds)
{
    if (seconds < 0)
        out += '-';
    std::uint64_t left = seconds < 0 ? 0 - static_cast<std::uint64_t>(seconds) : static_cast<std::uint64_t>(seconds);
    out += 'P';
    if (left >= kDay) {
        out += std::to_string(left / kDay) + 'D';
        left %= kDay;
    }
    if (left == 0 && out.back() != 'P')
        return;
    out += 'T';
    const std::uint64_t hours = left / 3600;
    const std::uint64_t minutes = left / 60 % 60;
    const std::uint64_t rest = left % 60;
    if (hours > 0)
        out += std::to_string(hours) + 'H';
    if (minutes > 0 || (hours > 0 && rest > 0))
        out += std::to_string(minutes) + 'M';
    if (rest > 0 || left == 0)
        out += std::to_string(rest) + 'S';
}

}  // namespace orvelin::calendar
