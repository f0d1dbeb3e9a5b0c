#include "calendar/recurrence_rule.h"

#include "engine/letter_case.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace orvelin::calendar {
namespace {

constexpr std::array<std::string_view, 7> kWeekdays{"SU", "MO", "TU", "WE", "TH", "FR", "SA"};
// What a rule leaves for its start to say.
constexpr int kOrdinalFromStart = 99;
constexpr int kWeekdayFromStart = -1;
constexpr std::int64_t kDay = 86400;
constexpr int kLastYear = 9999;

struct FrequencyName {
    std::string_view name;
    Frequency frequency;
};
// Two-letter names first: "MD" is no minutely rule.
constexpr std::array<FrequencyName, 6> kFrequencies{{{"MP", Frequency::MonthlyByPosition},
                                                     {"MD", Frequency::MonthlyByDay},
                                                     {"YM", Frequency::YearlyByMonth},
                                                     {"YD", Frequency::YearlyByDay},
                                                     {"D", Frequency::Daily},
                                                     {"W", Frequency::Weekly}}};

// The words of a rule, between spaces and tabs.
class Words {
public:
    explicit Words(std::string_view text) : text_(text) {}
    bool Next(std::string_view& word)
    {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t'))
            ++at_;
        const std::size_t start = at_;
        while (at_ < text_.size() && text_[at_] != ' ' && text_[at_] != '\t')
            ++at_;
        word = text_.substr(start, at_ - start);
        return !word.empty();
    }

private:
    std::string_view text_;
    std::size_t at_ = 0;
};

// A number of at most four digits, whole text; -1 otherwise.
int Number(std::string_view text)
{
    int number = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    return error == std::errc() && end == text.data() + text.size() && text.size() <= 4 && text[0] != '-' ? number : -1;
}

int WeekdayNamed(std::string_view word)
{
    for (std::size_t day = 0; day < kWeekdays.size(); ++day) {
        if (EqualIgnoringCase(word, kWeekdays[day]))
            return static_cast<int>(day);
    }
    return -1;
}

// "3+" is 3, "3-" is -3, "3" is 3 where a sign may be left out; 0 for anything else.
int SignedNumber(std::string_view word, bool signRequired, int largest)
{
    const char last = word.empty() ? '\0' : word.back();
    const bool signed_ = last == '+' || last == '-';
    if (signRequired && !signed_)
        return 0;
    const int number = Number(signed_ ? word.substr(0, word.size() - 1) : word);
    if (number < 1 || number > largest)
        return 0;
    return last == '-' ? -number : number;
}

// Reads a modifier of the rule's frequency; false where word is none.
class ModifierReader {
public:
    explicit ModifierReader(BasicRule& rule) : rule_(rule) {}

    bool Read(std::string_view word)
    {
        switch (rule_.frequency) {
        case Frequency::Daily: return false;
        case Frequency::Weekly: return AddWeekday(word, 0);
        case Frequency::MonthlyByPosition: return Position(word);
        case Frequency::MonthlyByDay:
            return AddNumber(EqualIgnoringCase(word, "LD") ? -1 : SignedNumber(word, false, 31));
        case Frequency::YearlyByMonth: return AddNumber(Number(word) <= 12 ? std::max(Number(word), 0) : 0);
        case Frequency::YearlyByDay: return AddNumber(Number(word) <= 366 ? std::max(Number(word), 0) : 0);
        }
        return false;
    }

    // Positions given without a weekday take the start's.
    void Finish()
    {
        if (!afterWeekday_) {
            for (std::size_t at = 0; at < ordinalCount_; ++at)
                Add({ordinals_[at], kWeekdayFromStart});
        }
    }

private:
    // MP: positions, then the weekdays they go with ("1+ 2- MO TU 3+ FR").
    bool Position(std::string_view word)
    {
        if (const int ordinal = SignedNumber(word, true, 5); ordinal != 0) {
            if (afterWeekday_ || ordinalCount_ == ordinals_.size())
                ordinalCount_ = 0;
            afterWeekday_ = false;
            ordinals_[ordinalCount_++] = ordinal;
            return true;
        }
        if (WeekdayNamed(word) < 0)
            return false;
        if (ordinalCount_ == 0)
            ordinals_[ordinalCount_++] = kOrdinalFromStart;
        for (std::size_t at = 0; at < ordinalCount_; ++at)
            AddWeekday(word, ordinals_[at]);
        afterWeekday_ = true;
        return true;
    }

    bool AddWeekday(std::string_view word, int ordinal)
    {
        const int weekday = WeekdayNamed(word);
        if (weekday < 0)
            return false;
        Add({ordinal, weekday});
        return true;
    }

    void Add(WeekdayOccurrence occurrence)
    {
        if (std::find(rule_.weekdays.begin(), rule_.weekdays.end(), occurrence) == rule_.weekdays.end())
            rule_.weekdays.push_back(occurrence);
    }

    bool AddNumber(int number)
    {
        if (number == 0)
            return false;
        if (std::find(rule_.numbers.begin(), rule_.numbers.end(), number) == rule_.numbers.end())
            rule_.numbers.push_back(number);
        return true;
    }

    BasicRule& rule_;
    std::array<int, 10> ordinals_{};
    std::size_t ordinalCount_ = 0;
    bool afterWeekday_ = false;
};

int DaysInYear(int year)
{
    return DaysInMonth(year, 2) == 29 ? 366 : 365;
}

// The days (since 1970) the rule gives in its period-th period after the
// start's, in order; false once the period lies beyond the last year.
// periodStart: the period's first day.
bool DaysOfPeriod(const BasicRule& rule, const CivilTime& start, std::int64_t period, std::vector<std::int64_t>& days,
                  std::int64_t& periodStart)
{
    days.clear();
    const std::int64_t startDays = DaysOf(start.year, start.month, start.day);
    const std::int64_t step = period * rule.interval;
    if (rule.frequency == Frequency::Daily || rule.frequency == Frequency::Weekly) {
        periodStart = rule.frequency == Frequency::Daily ? startDays + step
                                                         : startDays - (WeekdayOf(startDays) + 6) % 7 + 7 * step;
        if (DateOf(periodStart).year > kLastYear)
            return false;
        if (rule.frequency == Frequency::Daily)
            days.push_back(periodStart);
        for (const WeekdayOccurrence& day : rule.weekdays)
            days.push_back(periodStart + (day.weekday + 6) % 7);
    } else if (rule.frequency == Frequency::MonthlyByDay || rule.frequency == Frequency::MonthlyByPosition) {
        const std::int64_t month = start.year * 12LL + start.month - 1 + step;
        const int year = static_cast<int>(month / 12);
        const int monthOfYear = static_cast<int>(month % 12) + 1;
        if (year > kLastYear)
            return false;
        const int length = DaysInMonth(year, monthOfYear);
        periodStart = DaysOf(year, monthOfYear, 1);
        for (const int number : rule.numbers) {
            const int day = number > 0 ? number : length + number + 1;
            if (day >= 1 && day <= length)
                days.push_back(periodStart + day - 1);
        }
        const int firstWeekday = WeekdayOf(periodStart);
        for (const WeekdayOccurrence& occurrence : rule.weekdays) {
            const int first = 1 + (occurrence.weekday - firstWeekday + 7) % 7;  // its first day in the month
            const int last = first + (length - first) / 7 * 7;
            const int ordinal = occurrence.ordinal;
            const int day = ordinal > 0 ? first + 7 * (ordinal - 1) : last + 7 * (ordinal + 1);
            for (int every = first; ordinal == 0 && every <= length; every += 7)
                days.push_back(periodStart + every - 1);
            if (ordinal != 0 && day >= 1 && day <= length)
                days.push_back(periodStart + day - 1);
        }
    } else {
        const std::int64_t year = start.year + step;
        if (year > kLastYear)
            return false;
        const int y = static_cast<int>(year);
        periodStart = DaysOf(y, 1, 1);
        if (rule.frequency == Frequency::YearlyByMonth) {
            for (const int month : rule.numbers) {
                if (start.day <= DaysInMonth(y, month))
                    days.push_back(DaysOf(y, month, start.day));
            }
        } else if (rule.numbers.empty()) {
            if (start.day <= DaysInMonth(y, start.month))
                days.push_back(DaysOf(y, start.month, start.day));
        }
        for (const int number : rule.numbers) {
            if (rule.frequency == Frequency::YearlyByDay && number <= DaysInYear(y))
                days.push_back(periodStart + number - 1);
        }
    }
    std::sort(days.begin(), days.end());
    days.erase(std::unique(days.begin(), days.end()), days.end());
    return true;
}

}  // namespace

bool ReadBasicRule(std::string_view text, BasicRule& rule)
{
    rule.weekdays.clear();
    rule.numbers.clear();
    rule.count.reset();
    rule.end.reset();
    Words words(text);
    std::string_view word;
    if (!words.Next(word))
        return false;
    const auto named = std::find_if(kFrequencies.begin(), kFrequencies.end(), [word](const FrequencyName& f) {
        return word.size() > f.name.size() && EqualIgnoringCase(word.substr(0, f.name.size()), f.name);
    });
    if (named == kFrequencies.end())
        return false;
    rule.frequency = named->frequency;
    rule.interval = Number(word.substr(named->name.size()));
    if (rule.interval < 1)
        return false;
    ModifierReader modifiers(rule);
    while (words.Next(word)) {
        if (word.starts_with('#')) {
            const int count = word.size() > 1 ? Number(word.substr(1)) : -1;
            if (count < 0 || rule.count)
                return false;
            rule.count = static_cast<std::uint32_t>(count);
        } else if (const std::optional<DateTime> end = ReadDateTime(word)) {
            if (rule.end)
                return false;
            rule.end = end;
        } else if (rule.count || rule.end || !modifiers.Read(word)) {
            return false;  // a time list, "$", another rule, or no rule at all
        }
    }
    modifiers.Finish();
    return true;
}

void CompleteFromStart(BasicRule& rule, const CivilTime& start)
{
    const int weekday = WeekdayOf(DaysOf(start.year, start.month, start.day));
    const int nth = (start.day - 1) / 7 + 1;
    if (rule.frequency == Frequency::Weekly && rule.weekdays.empty())
        rule.weekdays.push_back({0, weekday});
    if (rule.frequency == Frequency::MonthlyByPosition && rule.weekdays.empty())
        rule.weekdays.push_back({nth, weekday});
    for (WeekdayOccurrence& occurrence : rule.weekdays) {
        occurrence.ordinal = occurrence.ordinal == kOrdinalFromStart ? nth : occurrence.ordinal;
        occurrence.weekday = occurrence.weekday == kWeekdayFromStart ? weekday : occurrence.weekday;
    }
    if (rule.frequency == Frequency::MonthlyByDay && rule.numbers.empty())
        rule.numbers.push_back(start.day);
    if (rule.frequency == Frequency::YearlyByMonth && rule.numbers.empty())
        rule.numbers.push_back(start.month);
}

void AppendRule(std::string& out, const BasicRule& rule)
{
    static constexpr std::array<std::string_view, 6> kFrequencyNames{"DAILY",   "WEEKLY", "MONTHLY",
                                                                     "MONTHLY", "YEARLY", "YEARLY"};
    static constexpr std::array<std::string_view, 6> kNumberParts{
        "", "", "", ";BYMONTHDAY=", ";BYMONTH=", ";BYYEARDAY="};
    const auto frequency = static_cast<std::size_t>(rule.frequency);
    out += "FREQ=";
    out += kFrequencyNames[frequency];
    if (rule.interval != 1)
        out += ";INTERVAL=" + std::to_string(rule.interval);
    for (std::size_t at = 0; at < rule.weekdays.size(); ++at) {
        const WeekdayOccurrence& day = rule.weekdays[at];
        out += at == 0 ? ";BYDAY=" : ",";
        if (day.ordinal != 0)
            out += std::to_string(day.ordinal);
        out += kWeekdays[static_cast<std::size_t>(day.weekday)];
    }
    for (std::size_t at = 0; at < rule.numbers.size(); ++at) {
        out += at == 0 ? kNumberParts[frequency] : ",";
        out += std::to_string(rule.numbers[at]);
    }
}

std::optional<std::int64_t> NthTime(const BasicRule& rule, const CivilTime& start, std::uint32_t n, std::int64_t until)
{
    const std::int64_t first = SecondsOf(start);
    const std::int64_t timeOfDay = first - DaysOf(start.year, start.month, start.day) * kDay;
    if (first > until)
        return std::nullopt;
    if (n <= 1)
        return first;
    std::uint32_t seen = 1;  // the start
    std::vector<std::int64_t> days;
    std::int64_t periodStart = 0;
    for (std::int64_t period = 0; DaysOfPeriod(rule, start, period, days, periodStart); ++period) {
        if (periodStart * kDay > until)
            return std::nullopt;
        for (const std::int64_t day : days) {
            const std::int64_t time = day * kDay + timeOfDay;
            if (time <= first)
                continue;
            if (time > until)
                return std::nullopt;
            if (++seen == n)
                return time;
        }
    }
    return std::nullopt;  // beyond the last year
}

}  // namespace orvelin::calendar
