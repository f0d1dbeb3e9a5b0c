#include "engine/calendar_structure.h"

#include "engine/letter_case.h"
#include "engine/text_search.h"

#include <cstring>
#include <functional>
#include <limits>
#include <utility>

namespace orvelin {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kQuotedPrintable = "QUOTED-PRINTABLE";
constexpr std::size_t kWhole = std::numeric_limits<std::size_t>::max();
// A name is made of at most 100 bytes of a summary: this much of the value
// as written is plenty, even quoted-printable.
constexpr std::size_t kSummaryRead = 4096;

// Without trailing spaces and tabs, and colons too where colons.
std::string_view TrimEnd(std::string_view text, bool colons = false)
{
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || (colons && text.back() == ':')))
        text.remove_suffix(1);
    return text;
}

// The names of content lines that the reader looks at.
enum class Known : std::uint8_t { Other, Begin, End, Version, Uid, DtStart, Summary, Tzid, RecurrenceId };

// Every line is asked: by its first letter, one comparison at most.
Known KnownName(std::string_view name)
{
    static constexpr std::pair<std::string_view, Known> kNames[] = {
        {"BEGIN", Known::Begin}, {"DTSTART", Known::DtStart}, {"END", Known::End},
        {"RECURRENCE-ID", Known::RecurrenceId}, {"SUMMARY", Known::Summary}, {"TZID", Known::Tzid},
        {"UID", Known::Uid}, {"VERSION", Known::Version}};
    if (name.size() < 3 || name.size() > 13)
        return Known::Other;
    const char first = UpperAscii(name[0]);
    for (const auto& [known, kind] : kNames) {
        if (known[0] == first)
            return EqualIgnoringCase(name, known) ? kind : Known::Other;
    }
    return Known::Other;
}

// A content line's parts, NAME;PARAMETERS:VALUE, found as the text grows
// (folded lines are joined one by one): the name ends at the first ";" or
// ":", the parameters at the first ":" outside double quotes.
class HeadScan {
public:
    // Reads on in text, which holds what it held at the last call and more.
    void Advance(std::string_view text)
    {
        // In locals: the text's bytes may alias the members otherwise.
        std::size_t at = at_;
        const char* const bytes = text.data();
        const std::size_t size = text.size();
        if (nameEnd_ == kWhole) {
            while (at < size && bytes[at] != ';' && bytes[at] != ':')
                ++at;
            nameEnd_ = at < size ? at : kWhole;
        }
        bool quoted = quoted_;
        if (!quoted && at < size) {
            // Most parameters hold no quote: the colon ends them, found at memory speed.
            const char* colon = static_cast<const char*>(std::memchr(bytes + at, ':', size - at));
            const std::size_t end = colon ? static_cast<std::size_t>(colon - bytes) : size;
            if (!std::memchr(bytes + at, '"', end - at)) {
                at = end;
                parametersEnd_ = colon ? end : kWhole;
            }
        }
        for (; at < size && parametersEnd_ == kWhole; ++at) {
            const char c = bytes[at];
            if (c == ':' && !quoted) {
                parametersEnd_ = at;
                break;
            }
            quoted ^= c == '"';
        }
        at_ = at;
        quoted_ = quoted;
    }

    bool complete() const { return parametersEnd_ != kWhole; }
    std::string_view Name(std::string_view text) const { return text.substr(0, nameEnd_); }
    std::string_view Parameters(std::string_view text) const
    {
        if (nameEnd_ == kWhole)
            return {};
        return text.substr(nameEnd_, (complete() ? parametersEnd_ : text.size()) - nameEnd_);
    }
    std::string_view Value(std::string_view text) const
    {
        return complete() ? text.substr(parametersEnd_ + 1) : std::string_view();
    }

    // Whether the parameters so far name QUOTED-PRINTABLE; each byte is looked at once.
    bool QuotedPrintable(std::string_view text)
    {
        const std::string_view parameters = Parameters(text);
        if (!quotedPrintable_ && parameters.size() >= kQuotedPrintable.size()) {
            const std::size_t from = searched_ > kQuotedPrintable.size() ? searched_ - kQuotedPrintable.size() : 0;
            quotedPrintable_ =
                InStr(1, parameters.substr(from), kQuotedPrintable, CompareMode::Text) != 0;
            searched_ = parameters.size();
        }
        return quotedPrintable_;
    }

private:
    std::size_t at_ = 0;
    std::size_t nameEnd_ = kWhole;
    std::size_t parametersEnd_ = kWhole;
    bool quoted_ = false;
    std::size_t searched_ = 0;
    bool quotedPrintable_ = false;
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

std::optional<std::string_view> ParameterValue(std::string_view parameters, std::string_view sought)
{
    // Without quotes, each ";" starts a parameter: found at memory speed.
    const bool quotes = parameters.find('"') != std::string_view::npos;
    const std::size_t size = parameters.size();
    for (std::size_t at = 0; at < size;) {
        const std::size_t start = ++at;  // past the ";"
        if (!quotes)
            at = std::min(parameters.find(';', at), size);
        for (bool quoted = false; at < size && (quoted || parameters[at] != ';'); ++at)
            quoted ^= parameters[at] == '"';
        const std::size_t equals = std::min(parameters.find('=', start), at);
        const std::size_t nameEnd = equals;
        if (nameEnd - start != sought.size() || !EqualIgnoringCase(parameters.substr(start, nameEnd - start), sought))
            continue;
        const std::string_view value = equals == at ? std::string_view() : parameters.substr(equals + 1, at - equals - 1);
        if (value.starts_with('"'))
            return value.substr(1, value.find('"', 1) - 1);
        return value;
    }
    return std::nullopt;
}

namespace {

// ParameterValue(parameters, "TZID") in one pass: every line with parameters is asked.
std::optional<std::string_view> TzidOf(std::string_view parameters)
{
    const char* const bytes = parameters.data();
    const std::size_t size = parameters.size();
    bool quoted = false;
    for (std::size_t at = 0; at + 4 < size; ++at) {
        quoted ^= bytes[at] == '"';
        if (bytes[at] != ';' || quoted || UpperAscii(bytes[at + 1]) != 'T' ||
            !EqualIgnoringCase(parameters.substr(at + 1, 4), "TZID"))
            continue;
        if (at + 5 == size || bytes[at + 5] == ';')
            return std::string_view();  // "TZID" without a value
        if (bytes[at + 5] != '=')
            continue;
        std::size_t end = at + 6;
        for (bool inQuotes = false; end < size && (inQuotes || bytes[end] != ';'); ++end)
            inQuotes ^= bytes[end] == '"';
        const std::string_view value = parameters.substr(at + 6, end - at - 6);
        return value.starts_with('"') ? value.substr(1, value.find('"', 1) - 1) : value;
    }
    return std::nullopt;
}

// One content line: where it lies (line ends included), the number of its
// first line, and its parts with folded lines and soft line breaks joined.
struct Line {
    Span span;
    std::size_t number = 0;
    std::string_view name;
    Known known = Known::Other;  // what name is
    std::string_view parameters;
    std::string_view value;  // as much of it as was wanted
    bool blank = true;       // nothing but a line end
    bool joined = false;     // the parts lie in the reader's room, until the next line
};

// What the reader needs to know of where it is.
class LineContext {
public:
    // How many bytes of the value of a line are wanted.
    virtual std::size_t ValueWanted(Known name) const = 0;
    // The name of the component that lines belong to now ("VCALENDAR" between
    // components), or "" outside any.
    virtual std::string_view Enclosing() const = 0;

protected:
    ~LineContext() = default;
};

// Reads content lines. Line ends are CR LF, LF or CR; a line starting with a
// space or a tab continues the one before (folding); so does the line after
// a vCalendar 1.0 quoted-printable value ending in "=" (a soft line break),
// unless that line ends the component. Only the name and parameters of a
// long line are copied to join it, and of its value only what is wanted.
class LineReader {
public:
    LineReader(std::string_view text, const LineContext& context)
        : text_(text), context_(context), nextCr_(Find('\r', 0, text.size())), nextLf_(Find('\n', 0, text.size()))
    {
        if (text_.starts_with(kByteOrderMark))
            at_ = kByteOrderMark.size();
    }

    bool Next(Line& line)
    {
        if (at_ >= text_.size())
            return false;
        const std::size_t start = at_;
        std::size_t endLength = 0;
        std::size_t contentEnd = PhysicalEnd(at_, endLength);
        const std::string_view first = text_.substr(start, contentEnd - start);
        line.number = number_++;
        at_ = contentEnd + endLength;
        HeadScan head;
        head.Advance(first);
        std::string_view joined = first;
        Known known = head.complete() ? KnownName(head.Name(first)) : Known::Other;
        std::size_t limit = head.complete() ? Limit(known, head, first) : kWhole;
        bool copying = false;
        bool dropped = false;  // bytes beyond limit were left out
        bool blank = first.empty();
        while (endLength != 0 && at_ < text_.size()) {
            const bool folded = text_[at_] == ' ' || text_[at_] == '\t';
            if (!folded && !SoftBreak(head, joined, start, contentEnd))
                break;
            const std::size_t next = at_ + (folded ? 1 : 0);
            contentEnd = PhysicalEnd(at_, endLength);
            at_ = contentEnd + endLength;
            ++number_;
            const std::string_view more = text_.substr(next, contentEnd - next);
            blank &= !folded || more.empty();
            // The text after a soft break joins only a value, without its "=".
            if (!folded && !head.complete())
                continue;
            if (!copying) {
                room_.assign(joined.substr(0, std::min(joined.size(), limit)));
                dropped = room_.size() < joined.size();
                copying = true;
            }
            if (!folded && !dropped)
                room_.pop_back();
            const std::size_t room = limit - std::min(limit, room_.size());
            dropped |= more.size() > room;
            room_.append(more.substr(0, std::min(more.size(), room)));
            if (!head.complete()) {
                head.Advance(room_);
                known = KnownName(head.Name(room_));
                if (head.complete() && room_.size() > (limit = Limit(known, head, room_))) {
                    room_.resize(limit);
                    dropped = true;
                }
            }
            joined = room_;
        }
        line.blank = blank;
        line.joined = copying;
        line.name = head.Name(joined);
        line.known = head.complete() ? known : KnownName(line.name);
        line.parameters = head.Parameters(joined);
        line.value = head.Value(joined);
        line.span = {start, at_};
        return true;
    }

    // The first line end of the text, or CR LF.
    std::string_view lineEnd() const { return lineEnd_.empty() ? std::string_view("\r\n") : lineEnd_; }

private:
    // How long the joined text may grow: the name, the parameters and as
    // much of the value as is wanted.
    std::size_t Limit(Known name, const HeadScan& head, std::string_view text) const
    {
        const std::size_t wanted = context_.ValueWanted(name);
        const std::size_t valueStart = text.size() - head.Value(text).size();
        return wanted == kWhole ? kWhole : valueStart + wanted;
    }

    // Whether the physical line that ended at contentEnd ends in a soft line
    // break: a quoted-printable value ending in "=", not followed by the END
    // line of the component it belongs to.
    bool SoftBreak(HeadScan& head, std::string_view joined, std::size_t start, std::size_t contentEnd)
    {
        if (contentEnd <= start || text_[contentEnd - 1] != '=' || !head.QuotedPrintable(joined))
            return false;
        const std::string_view enclosing = context_.Enclosing();
        if (enclosing.empty())
            return true;
        std::size_t endLength = 0;
        const std::string_view next = text_.substr(at_, PhysicalEnd(at_, endLength) - at_);
        HeadScan nextHead;
        nextHead.Advance(next);
        return !(EqualIgnoringCase(nextHead.Name(next), "END") &&
                 EqualIgnoringCase(TrimEnd(nextHead.Value(next), true), enclosing));
    }

    // Where the line from at ends (before its line end), and the line end's length.
    std::size_t PhysicalEnd(std::size_t at, std::size_t& endLength)
    {
        if (nextCr_ < at)
            nextCr_ = Find('\r', at, text_.size());
        if (nextLf_ < at) {
            // In CR LF text the LF follows the CR: looked for there first.
            const std::size_t near = std::min(nextCr_ + 2, text_.size());
            nextLf_ = Find('\n', at, near);
            if (nextLf_ == near)
                nextLf_ = Find('\n', near, text_.size());
        }
        const std::size_t end = std::min(nextCr_, nextLf_);
        endLength = end == text_.size() ? 0 : end + 1 < text_.size() && text_.substr(end, 2) == "\r\n" ? 2 : 1;
        if (lineEnd_.empty() && endLength > 0)
            lineEnd_ = text_.substr(end, endLength);
        return end;
    }

    // The first c in [from, to), or to.
    std::size_t Find(char c, std::size_t from, std::size_t to) const
    {
        if (from >= to)
            return to;
        const void* found = std::memchr(text_.data() + from, c, to - from);
        return found ? static_cast<std::size_t>(static_cast<const char*>(found) - text_.data()) : to;
    }

    std::string_view text_;
    const LineContext& context_;
    std::size_t at_ = 0;
    std::size_t number_ = 1;
    // The next CR and LF at or after at_ (or the text's size): each found once.
    std::size_t nextCr_;
    std::size_t nextLf_;
    std::string_view lineEnd_;
    std::string room_;  // where a folded line is joined
};

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

class StructureReader final : public LineContext {
public:
    explicit StructureReader(std::string_view text) : lines_(text, *this)
    {
        if (text.starts_with(kByteOrderMark))
            structure_.byteOrderMark = text.substr(0, kByteOrderMark.size());
    }

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

    std::size_t ValueWanted(Known name) const override
    {
        return name == Known::Other ? 0 : name == Known::Summary ? kSummaryRead : kWhole;
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
    std::string_view Keep(const Line& line, std::string_view view)
    {
        return line.joined ? structure_.unfolded.emplace_back(view) : view;
    }

    std::optional<StructureFault> Take(const Line& line)
    {
        if (line.known == Known::Begin)
            return Begin(line, Keep(line, TrimEnd(line.value, true)));
        if (line.known == Known::End)
            return End(line, TrimEnd(line.value, true));
        if (open_.empty())
            TakeCalendarLine(line);
        else
            TakeComponentLine(line);
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
    void TakeCalendarLine(const Line& line)
    {
        if (calendar_ == kNone || line.blank)
            return;
        CalendarObject& calendar = structure_.calendars[calendar_];
        calendar.properties.push_back(line.span);
        if (line.known == Known::Version)
            calendar.version2 = TrimEnd(line.value) == "2.0";
    }

    void TakeComponentLine(const Line& line)
    {
        const bool direct = open_.size() == 1;
        const std::string_view value = TrimEnd(line.value);
        if (inTimeZone_) {
            if (direct && zone_.tzid.empty() && line.known == Known::Tzid)
                zone_.tzid = Keep(line, value);
            return;
        }
        Component& component = structure_.components.back();
        if (direct && !component.uid.data() && line.known == Known::Uid)
            component.uid = line.value.data() ? Keep(line, value) : line.name.substr(line.name.size());  // "UID" alone is a UID too
        if (direct && component.start.empty() && line.known == Known::DtStart) {
            component.start = Keep(line, value);
            const std::optional<std::string_view> type = ParameterValue(line.parameters, "VALUE");
            component.allDay = type && EqualIgnoringCase(*type, "DATE");
        }
        if (direct && line.known == Known::RecurrenceId)
            component.exception = true;
        if (direct && !component.summary.data() && line.known == Known::Summary) {
            const char* end = value.data() ? value.data() + value.size() : line.parameters.data() + line.parameters.size();
            component.summary = Keep(line, std::string_view(line.parameters.data(), end - line.parameters.data()));
        }
        if (const std::optional<std::string_view> tzid = TzidOf(line.parameters))
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
    LineReader lines_;
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

std::variant<CalendarStructure, StructureFault> ReadCalendarStructure(std::string_view text)
{
    return StructureReader(text).Read();
}

}  // namespace orvelin
