#include "engine/calendar_structure.h"

#include "engine/letter_case.h"

#include <functional>
#include <utility>

namespace orvelin {
namespace {

// A name is made of at most 100 bytes of a summary: this much of the value
// as written is plenty, even quoted-printable.
constexpr std::size_t kSummaryRead = 4096;

// Without trailing spaces and tabs.
std::string_view TrimEnd(std::string_view text)
{
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// The names of content lines that the reader looks at.
enum class Known : std::uint8_t { Other, Begin, End, Version, Uid, DtStart, Summary, Tzid, RecurrenceId };

// Every line is asked: by its first letter, one comparison at most.
Known KnownName(std::string_view name)
{
    static constexpr std::pair<std::string_view, Known> kNames[] = {
        {"BEGIN", Known::Begin},     {"DTSTART", Known::DtStart},
        {"END", Known::End},         {"RECURRENCE-ID", Known::RecurrenceId},
        {"SUMMARY", Known::Summary}, {"TZID", Known::Tzid},
        {"UID", Known::Uid},         {"VERSION", Known::Version}};
    if (name.size() < 3 || name.size() > 13)
        return Known::Other;
    const char first = UpperAscii(name[0]);
    for (const auto& [known, kind] : kNames) {
        if (known[0] == first)
            return EqualIgnoringCase(name, known) ? kind : Known::Other;
    }
    return Known::Other;
}

// A calendar object's entries by UID, eight bytes a slot: the UIDs
// themselves stay in the entries' components (open addressing, at most half
// full).
class UidIndex {
public:
    void Clear()
    {
        slots_.clear();
        used_ = 0;
    }

    // The entry whose UID is uid; candidate, newly added, when there is none.
    template <typename UidOf>
    std::uint32_t FindOrAdd(std::string_view uid, std::uint32_t candidate, const UidOf& uidOf)
    {
        if ((used_ + 1) * 2 > slots_.size())
            Grow();
        const auto hash = static_cast<std::uint32_t>(std::hash<std::string_view>{}(uid));
        for (std::size_t at = hash;; ++at) {
            Slot& slot = slots_[at & (slots_.size() - 1)];
            if (slot.index == kNone) {
                ++used_;
                slot = {candidate, hash};
                return candidate;
            }
            if (slot.hash == hash && uidOf(slot.index) == uid)
                return slot.index;
        }
    }

private:
    // An entry and its UID's hash, which growing reuses.
    struct Slot {
        std::uint32_t index = kNone;
        std::uint32_t hash = 0;
    };

    void Grow()
    {
        std::vector<Slot> old(std::max<std::size_t>(64, slots_.size() * 2));
        old.swap(slots_);
        for (const Slot& slot : old) {
            if (slot.index == kNone)
                continue;
            std::size_t at = slot.hash;
            while (slots_[at & (slots_.size() - 1)].index != kNone)
                ++at;
            slots_[at & (slots_.size() - 1)] = slot;
        }
    }

    std::vector<Slot> slots_;
    std::size_t used_ = 0;
};

class StructureReader final : public calendar::LineNeeds {
public:
    explicit StructureReader(std::string_view text) : lines_(text, kStructureUnfolding)
    {
        structure_.byteOrderMark = lines_.byteOrderMark();
    }

    std::variant<CalendarStructure, StructureFault> Read()
    {
        calendar::ContentLine line;
        while (lines_.Next(line, *this)) {
            if (std::optional<StructureFault> fault = Take(line))
                return std::move(*fault);
        }
        if (!open_.empty())
            return Fault(open_.front().line, "BEGIN:" + std::string(open_.front().name) + " is never ended");
        structure_.lineEnd = lines_.lineEnd();
        return std::move(structure_);
    }

    std::size_t ValueWanted(std::string_view name) const override
    {
        const Known known = KnownName(name);
        return known == Known::Other ? 0 : known == Known::Summary ? kSummaryRead : calendar::kWhole;
    }

    std::string_view Enclosing() const override
    {
        if (!open_.empty())
            return open_.back().name;
        return calendar_ != kNone ? "VCALENDAR" : "";
    }

private:
    // A component open at the moment, outermost first.
    struct Open {
        std::string_view name;
        std::size_t line;
    };

    static StructureFault Fault(std::size_t line, const std::string& message)
    {
        return {line, "line " + std::to_string(line) + ": " + message};
    }

    // A view that outlives the line it comes from.
    std::string_view Keep(const calendar::ContentLine& line, std::string_view view)
    {
        return line.joined ? structure_.unfolded.emplace_back(view) : view;
    }

    std::optional<StructureFault> Take(const calendar::ContentLine& line)
    {
        const Known known = KnownName(line.name);
        if (known == Known::Begin)
            return Begin(line, Keep(line, calendar::ComponentName(line.value)));
        if (known == Known::End)
            return End(line, calendar::ComponentName(line.value));
        if (open_.empty())
            TakeCalendarLine(line, known);
        else
            TakeComponentLine(line, known);
        return std::nullopt;
    }

    std::optional<StructureFault> Begin(const calendar::ContentLine& line, std::string_view name)
    {
        const bool calendar = EqualIgnoringCase(name, "VCALENDAR");
        if (calendar && !open_.empty())
            return Fault(line.number, "BEGIN:VCALENDAR inside BEGIN:" + std::string(open_.front().name));
        if (calendar) {
            // A calendar object left open is closed where the next one begins.
            calendar_ = static_cast<std::uint32_t>(structure_.calendars.size());
            structure_.calendars.emplace_back().begin = {line.begin, line.end};
            uids_.Clear();
            return std::nullopt;
        }
        if (open_.empty()) {
            target_ = calendar_ != kNone ? calendar_ : BareCalendar();
            inTimeZone_ = EqualIgnoringCase(name, "VTIMEZONE");
            if (inTimeZone_) {
                zone_ = {{}, {line.begin, 0}};
            } else {
                Component& component = structure_.components.emplace_back();
                component.span.begin = line.begin;
                component.line = static_cast<std::uint32_t>(line.number);
                component.firstZone = static_cast<std::uint32_t>(structure_.zoneNames.size());
            }
        }
        open_.push_back({name, line.number});
        return std::nullopt;
    }

    std::optional<StructureFault> End(const calendar::ContentLine& line, std::string_view name)
    {
        if (open_.empty()) {
            if (calendar_ == kNone || !EqualIgnoringCase(name, "VCALENDAR"))
                return Fault(line.number, "END:" + std::string(name) + " closes nothing");
            structure_.calendars[calendar_].end = Span{line.begin, line.end};
            calendar_ = kNone;
            return std::nullopt;
        }
        if (!EqualIgnoringCase(name, open_.back().name)) {
            return Fault(line.number,
                         "END:" + std::string(name) + " where END:" + std::string(open_.back().name) + " of line " +
                             std::to_string(open_.back().line) + " was expected");
        }
        open_.pop_back();
        if (open_.empty())
            Close(line.end);
        return std::nullopt;
    }

    // Lines of a calendar object outside any component are its properties;
    // outside any calendar object they go nowhere.
    void TakeCalendarLine(const calendar::ContentLine& line, Known known)
    {
        if (calendar_ == kNone || line.blank)
            return;
        CalendarObject& calendar = structure_.calendars[calendar_];
        calendar.properties.push_back({line.begin, line.end});
        if (known == Known::Version)
            calendar.version2 = TrimEnd(line.value) == "2.0";
    }

    void TakeComponentLine(const calendar::ContentLine& line, Known known)
    {
        const bool direct = open_.size() == 1;
        const std::string_view value = TrimEnd(line.value);
        if (inTimeZone_) {
            if (direct && zone_.tzid.empty() && known == Known::Tzid)
                zone_.tzid = Keep(line, value);
            return;
        }
        Component& component = structure_.components.back();
        if (direct && !component.uid.data() && known == Known::Uid)
            component.uid = line.value.data() ? Keep(line, value)
                                              : line.name.substr(line.name.size());  // "UID" alone is a UID too
        if (direct && component.start.empty() && known == Known::DtStart) {
            component.start = Keep(line, value);
            const std::optional<std::string_view> type = calendar::ParameterValue(line.parameters, "VALUE",
                                                                                  kStructureUnfolding);
            component.allDay = type && EqualIgnoringCase(*type, "DATE");
        }
        if (direct && known == Known::RecurrenceId)
            component.exception = true;
        if (direct && !component.summary.data() && known == Known::Summary) {
            const char* end = value.data() ? value.data() + value.size()
                                           : line.parameters.data() + line.parameters.size();
            component.summary = Keep(line, std::string_view(line.parameters.data(), end - line.parameters.data()));
        }
        if (const std::optional<std::string_view> tzid = calendar::ParameterValue(line.parameters, "TZID",
                                                                                  kStructureUnfolding))
            NameZone(Keep(line, *tzid));
    }

    // A time zone named twice by a component goes into its file once all the
    // same: the files are planned so. The common case, DTSTART and DTEND in
    // one zone, is kept once here.
    void NameZone(std::string_view tzid)
    {
        Component& component = structure_.components.back();
        if (component.zoneCount > 0 && structure_.zoneNames.back() == tzid)
            return;
        structure_.zoneNames.push_back(tzid);
        ++component.zoneCount;
    }

    // A component directly inside a calendar object (or outside any) ends:
    // a time zone of its calendar, or a part of an entry.
    void Close(std::size_t end)
    {
        if (inTimeZone_) {
            zone_.span.end = end;
            const auto index = static_cast<std::uint32_t>(structure_.timeZones.size());
            structure_.timeZones.push_back(zone_);
            auto [known, added] = structure_.calendars[target_].zonesByTzid.try_emplace(zone_.tzid, index, index);
            if (!added)
                structure_.timeZones[std::exchange(known->second.second, index)].nextSameTzid = index;
            return;
        }
        const auto index = static_cast<std::uint32_t>(structure_.components.size() - 1);
        Component& component = structure_.components.back();
        component.span.end = end;
        UidIndex& uids = target_ == bare_ ? bareUids_ : uids_;
        const auto entries = static_cast<std::uint32_t>(structure_.entries.size());
        const auto uidOf = [this](std::uint32_t entry) {
            return structure_.components[structure_.entries[entry].firstComponent].uid;
        };
        structure_.entries.push_back({target_, index, index});
        if (!component.uid.data())
            return;
        if (const std::uint32_t known = uids.FindOrAdd(component.uid, entries, uidOf); known != entries) {
            structure_.entries.pop_back();
            Entry& entry = structure_.entries[known];
            structure_.components[entry.lastComponent].nextInEntry = index;
            entry.lastComponent = index;
        }
    }

    std::uint32_t BareCalendar()
    {
        if (bare_ == kNone) {
            bare_ = static_cast<std::uint32_t>(structure_.calendars.size());
            structure_.calendars.emplace_back().bare = true;
        }
        return bare_;
    }

    CalendarStructure structure_;
    calendar::ContentLineReader lines_;
    std::vector<Open> open_;
    std::uint32_t calendar_ = kNone;  // the calendar object open now
    std::uint32_t bare_ = kNone;      // where components outside any calendar object go
    std::uint32_t target_ = kNone;    // where the component open now goes
    bool inTimeZone_ = false;
    TimeZone zone_;
    UidIndex uids_;  // entries of the open calendar object, by UID
    UidIndex bareUids_;
};

}  // namespace

const Component& MasterOf(const CalendarStructure& structure, const Entry& entry)
{
    for (std::uint32_t at = entry.firstComponent; at != kNone; at = structure.components[at].nextInEntry) {
        if (!structure.components[at].exception)
            return structure.components[at];
    }
    return structure.components[entry.firstComponent];
}

std::variant<CalendarStructure, StructureFault> ReadCalendarStructure(std::string_view text)
{
    return StructureReader(text).Read();
}

}  // namespace orvelin
