#include "engine/calendar_structure.h"

#include "engine/letter_case.h"
#include "engine/text_search.h"

#include <cstring>
#include <functional>

namespace orvelin {
namespace {

std::string_view TrimEnd(std::string_view text)
{
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// A content line's parts: NAME;PARAMETERS:VALUE (a colon inside a quoted
// parameter value does not end the parameters).
struct ContentLine {
    std::string_view name;
    std::string_view parameters;  // from the first ";", or empty
    std::string_view value;
};

ContentLine Parse(std::string_view text)
{
    ContentLine line;
    std::size_t at = 0;
    while (at < text.size() && text[at] != ';' && text[at] != ':')
        ++at;
    line.name = text.substr(0, at);
    const std::size_t parameters = at;
    bool quoted = false;
    while (at < text.size() && (quoted || text[at] != ':')) {
        quoted ^= text[at] == '"';
        ++at;
    }
    line.parameters = text.substr(parameters, at - parameters);
    line.value = at < text.size() ? text.substr(at + 1) : std::string_view();
    return line;
}

// The first value of the parameter sought (upper case), unquoted.
std::optional<std::string_view> Parameter(std::string_view parameters, std::string_view sought)
{
    std::size_t at = 0;
    while (at < parameters.size()) {
        ++at;  // the ";"
        const std::size_t nameStart = at;
        while (at < parameters.size() && parameters[at] != '=' && parameters[at] != ';')
            ++at;
        const std::string_view name = parameters.substr(nameStart, at - nameStart);
        if (at < parameters.size() && parameters[at] == '=')
            ++at;
        const std::size_t valueStart = at;
        bool quoted = false;
        while (at < parameters.size() && (quoted || parameters[at] != ';')) {
            quoted ^= parameters[at] == '"';
            ++at;
        }
        std::string_view value = parameters.substr(valueStart, at - valueStart);
        if (!EqualIgnoringCase(name, sought))
            continue;
        if (value.starts_with('"'))
            return value.substr(1, value.find('"', 1) - 1);
        return value.substr(0, value.find(','));
    }
    return std::nullopt;
}

// One content line: where it lies (line ends included), the number of its
// first line, and its text with folded lines joined, without its line end.
struct Line {
    Span span;
    std::size_t number = 0;
    std::string_view text;
};

// Reads content lines. Line ends are CR LF, LF or CR; a line starting with a
// space or a tab continues the one before (folding); so does the line after
// a vCalendar 1.0 quoted-printable value ending in "=".
class LineReader {
public:
    LineReader(std::string_view text, std::deque<std::string>& unfolded)
        : text_(text), unfolded_(unfolded), nextCr_(Find('\r', 0)), nextLf_(Find('\n', 0))
    {
    }

    bool Next(Line& line)
    {
        if (at_ >= text_.size())
            return false;
        const std::size_t start = at_;
        std::size_t endLength = 0;
        std::size_t contentEnd = PhysicalEnd(at_, endLength);
        line.text = text_.substr(start, contentEnd - start);
        line.number = number_;
        std::string* joined = nullptr;
        for (at_ = contentEnd + endLength, ++number_; at_ < text_.size(); ++number_) {
            const bool folded = text_[at_] == ' ' || text_[at_] == '\t';
            // The QUOTED-PRINTABLE parameter may itself stand on a folded line.
            const bool softBreak = contentEnd > start && text_[contentEnd - 1] == '=' &&
                                   InStr(1, Parse(joined ? *joined : line.text).parameters, "QUOTED-PRINTABLE", CompareMode::Text) != 0;
            if (endLength == 0 || (!folded && !softBreak))
                break;
            const std::size_t next = at_;
            contentEnd = PhysicalEnd(next, endLength);
            if (folded) {
                if (!joined)
                    joined = &unfolded_.emplace_back(line.text);
                joined->append(text_.substr(next + 1, contentEnd - next - 1));
            }
            at_ = contentEnd + endLength;
        }
        if (joined)
            line.text = *joined;
        line.span = {start, at_};
        return true;
    }

    // The first line end of the text, or CR LF.
    std::string_view lineEnd() const { return lineEnd_.empty() ? std::string_view("\r\n") : lineEnd_; }

private:
    // Where the line from at ends (before its line end), and the line end's length.
    std::size_t PhysicalEnd(std::size_t at, std::size_t& endLength)
    {
        if (nextCr_ < at)
            nextCr_ = Find('\r', at);
        if (nextLf_ < at)
            nextLf_ = Find('\n', at);
        const std::size_t end = std::min(nextCr_, nextLf_);
        endLength = end == text_.size() ? 0 : end + 1 < text_.size() && text_.substr(end, 2) == "\r\n" ? 2 : 1;
        if (lineEnd_.empty() && endLength > 0)
            lineEnd_ = text_.substr(end, endLength);
        return end;
    }

    std::size_t Find(char c, std::size_t from) const
    {
        if (from >= text_.size())
            return text_.size();
        const void* found = std::memchr(text_.data() + from, c, text_.size() - from);
        return found ? static_cast<std::size_t>(static_cast<const char*>(found) - text_.data()) : text_.size();
    }

    std::string_view text_;
    std::deque<std::string>& unfolded_;
    std::size_t at_ = 0;
    std::size_t number_ = 1;
    // The next CR and LF at or after at_ (or the text's size): each found once.
    std::size_t nextCr_;
    std::size_t nextLf_;
    std::string_view lineEnd_;
};

// A calendar object's entries by UID, four bytes a slot: the UIDs themselves
// stay in the entries' components (open addressing, at most half full).
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
            Grow(uidOf);
        for (std::size_t at = Hash(uid);; ++at) {
            std::uint32_t& slot = slots_[at & (slots_.size() - 1)];
            if (slot == kNone) {
                ++used_;
                return slot = candidate;
            }
            if (uidOf(slot) == uid)
                return slot;
        }
    }

private:
    static std::size_t Hash(std::string_view uid) { return std::hash<std::string_view>{}(uid); }

    template <typename UidOf>
    void Grow(const UidOf& uidOf)
    {
        std::vector<std::uint32_t> old(std::max<std::size_t>(64, slots_.size() * 2), kNone);
        old.swap(slots_);
        for (const std::uint32_t entry : old) {
            if (entry == kNone)
                continue;
            std::size_t at = Hash(uidOf(entry));
            while (slots_[at & (slots_.size() - 1)] != kNone)
                ++at;
            slots_[at & (slots_.size() - 1)] = entry;
        }
    }

    std::vector<std::uint32_t> slots_;
    std::size_t used_ = 0;
};

class StructureReader {
public:
    explicit StructureReader(std::string_view text) : lines_(text, structure_.unfolded) {}

    std::variant<CalendarStructure, StructureFault> Read()
    {
        Line line;
        while (lines_.Next(line)) {
            if (std::optional<StructureFault> fault = Take(line))
                return std::move(*fault);
        }
        if (!open_.empty())
            return Fault(open_.front().line, "BEGIN:" + std::string(open_.front().name) + " is never ended");
        structure_.lineEnd = lines_.lineEnd();
        return std::move(structure_);
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

    std::optional<StructureFault> Take(const Line& line)
    {
        const ContentLine content = Parse(line.text);
        const std::string_view value = TrimEnd(content.value);
        if (EqualIgnoringCase(content.name, "BEGIN"))
            return Begin(line, value);
        if (EqualIgnoringCase(content.name, "END"))
            return End(line, value);
        if (open_.empty())
            TakeCalendarLine(line, content, value);
        else
            TakeComponentLine(content, value);
        return std::nullopt;
    }

    std::optional<StructureFault> Begin(const Line& line, std::string_view name)
    {
        const bool calendar = EqualIgnoringCase(name, "VCALENDAR");
        if (calendar && !open_.empty())
            return Fault(line.number, "BEGIN:VCALENDAR inside BEGIN:" + std::string(open_.front().name));
        if (calendar) {
            // A calendar object left open is closed where the next one begins.
            calendar_ = static_cast<std::uint32_t>(structure_.calendars.size());
            structure_.calendars.emplace_back().begin = line.span;
            uids_.Clear();
            return std::nullopt;
        }
        if (open_.empty()) {
            target_ = calendar_ != kNone ? calendar_ : BareCalendar();
            inTimeZone_ = EqualIgnoringCase(name, "VTIMEZONE");
            if (inTimeZone_) {
                zone_ = {{}, {line.span.begin, 0}};
            } else {
                Component& component = structure_.components.emplace_back();
                component.span.begin = line.span.begin;
                component.line = static_cast<std::uint32_t>(line.number);
                component.firstZone = static_cast<std::uint32_t>(structure_.zoneNames.size());
            }
        }
        open_.push_back({name, line.number});
        return std::nullopt;
    }

    std::optional<StructureFault> End(const Line& line, std::string_view name)
    {
        if (open_.empty()) {
            if (calendar_ == kNone || !EqualIgnoringCase(name, "VCALENDAR"))
                return Fault(line.number, "END:" + std::string(name) + " closes nothing");
            structure_.calendars[calendar_].end = line.span;
            calendar_ = kNone;
            return std::nullopt;
        }
        if (!EqualIgnoringCase(name, open_.back().name)) {
            return Fault(line.number, "END:" + std::string(name) + " where END:" + std::string(open_.back().name) +
                                          " of line " + std::to_string(open_.back().line) + " was expected");
        }
        open_.pop_back();
        if (open_.empty())
            Close(line.span.end);
        return std::nullopt;
    }

    // Lines of a calendar object outside any component are its properties;
    // outside any calendar object they go nowhere.
    void TakeCalendarLine(const Line& line, const ContentLine& content, std::string_view value)
    {
        if (calendar_ == kNone || line.text.empty())
            return;
        CalendarObject& calendar = structure_.calendars[calendar_];
        calendar.properties.push_back(line.span);
        if (EqualIgnoringCase(content.name, "VERSION"))
            calendar.version2 = value == "2.0";
    }

    void TakeComponentLine(const ContentLine& content, std::string_view value)
    {
        const bool direct = open_.size() == 1;
        if (inTimeZone_) {
            if (direct && zone_.tzid.empty() && EqualIgnoringCase(content.name, "TZID"))
                zone_.tzid = value;
            return;
        }
        Component& component = structure_.components.back();
        if (direct && !component.uid.data() && EqualIgnoringCase(content.name, "UID"))
            component.uid = value.data() ? value : content.name.substr(content.name.size());  // "UID" alone is a UID too
        if (direct && component.start.empty() && EqualIgnoringCase(content.name, "DTSTART")) {
            component.start = value;
            const std::optional<std::string_view> type = Parameter(content.parameters, "VALUE");
            component.allDay = type && EqualIgnoringCase(*type, "DATE");
        }
        if (direct && component.summary.empty() && EqualIgnoringCase(content.name, "SUMMARY"))
            component.summary = value;
        if (content.parameters.empty())
            return;
        if (const std::optional<std::string_view> tzid = Parameter(content.parameters, "TZID"))
            NameZone(*tzid);
    }

    void NameZone(std::string_view tzid)
    {
        Component& component = structure_.components.back();
        for (std::uint32_t at = component.firstZone; at < structure_.zoneNames.size(); ++at) {
            if (structure_.zoneNames[at] == tzid)
                return;
        }
        structure_.zoneNames.push_back(tzid);
        ++component.zoneCount;
    }

    // A component directly inside a calendar object (or outside any) ends:
    // a time zone of its calendar, or a part of an entry.
    void Close(std::size_t end)
    {
        if (inTimeZone_) {
            zone_.span.end = end;
            structure_.calendars[target_].timeZones.push_back(zone_);
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
    LineReader lines_;
    std::vector<Open> open_;
    std::uint32_t calendar_ = kNone;  // the calendar object open now
    std::uint32_t bare_ = kNone;      // where components outside any calendar object go
    std::uint32_t target_ = kNone;    // where the component open now goes
    bool inTimeZone_ = false;
    TimeZone zone_;
    UidIndex uids_;  // entries of the open calendar object
    UidIndex bareUids_;
};

}  // namespace

std::variant<CalendarStructure, StructureFault> ReadCalendarStructure(std::string_view text)
{
    return StructureReader(text).Read();
}

}  // namespace orvelin
