#include "tests/support/standalone_model.h"

#include "engine/failure.h"
#include "tests/support/memory_run.h"

#include <algorithm>
#include <map>
#include <tuple>

namespace orvelin::testing {
namespace {

std::string Upper(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper)
        c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
    return upper;
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// A content line, its folded lines joined; bytes [begin, end) of the input.
struct Line {
    std::string text;
    std::size_t begin, end, number;
};

// NAME, then parameters up to the first colon outside quotes.
std::pair<std::string_view, std::string_view> Head(std::string_view text)
{
    const std::size_t nameEnd = std::min(text.find_first_of(";:"), text.size());
    std::size_t at = nameEnd;
    for (bool quoted = false; at < text.size() && (quoted || text[at] != ':'); ++at)
        quoted ^= text[at] == '"';
    return {text.substr(0, nameEnd), text.substr(nameEnd, at - nameEnd)};
}

bool QuotedPrintable(std::string_view text)
{
    return Upper(Head(text).second).find("QUOTED-PRINTABLE") != std::string::npos;
}

std::string_view TrimStrays(std::string_view text)
{
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == ':'))
        text.remove_suffix(1);
    return text;
}

// Content lines one by one: the line after a quoted-printable value ending in
// "=" continues it (without the "="), unless it ends the component the value
// is in (enclosing, in upper case).
class LineReader {
public:
    explicit LineReader(std::string_view input) : input_(input) {}

    bool Next(Line& line, const std::string& enclosing)
    {
        if (at_ >= input_.size())
            return false;
        std::string_view content = Physical();
        line = {std::string(content), at_, next_, number_};
        for (Advance(); at_ < input_.size(); Advance()) {
            const std::string_view more = Physical();
            const bool folded = more.starts_with(' ') || more.starts_with('\t');
            const bool soft = !folded && content.ends_with('=') && QuotedPrintable(line.text) && !Ends(more, enclosing);
            if (!folded && !soft)
                break;
            const auto [name, parameters] = Head(line.text);
            if (folded) {
                line.text += more.substr(1);
            } else if (name.size() + parameters.size() < line.text.size()) {
                line.text.pop_back();
                line.text += more;
            }
            line.end = next_;
            content = more;
        }
        return true;
    }

private:
    // The physical line at at_, without its line end; next_ is where the next begins.
    std::string_view Physical()
    {
        std::size_t stop = at_;
        while (stop < input_.size() && input_[stop] != '\r' && input_[stop] != '\n')
            ++stop;
        next_ = stop;
        if (next_ < input_.size())
            next_ += input_.substr(next_, 2) == "\r\n" ? 2 : 1;
        return input_.substr(at_, stop - at_);
    }
    void Advance()
    {
        at_ = next_;
        ++number_;
    }
    static bool Ends(std::string_view text, const std::string& enclosing)
    {
        const auto [name, parameters] = Head(text);
        const std::string_view value = text.substr(std::min(name.size() + parameters.size() + 1, text.size()));
        return !enclosing.empty() && Upper(name) == "END" && parameters.size() + name.size() < text.size() &&
            Upper(TrimStrays(value)) == enclosing;
    }

    std::string_view input_;
    std::size_t at_ = 0;
    std::size_t next_ = 0;
    std::size_t number_ = 1;
};

// NAME, the TZID parameter (if any) and the value of a content line.
struct Parts {
    std::string name;
    std::optional<std::string> tzid;
    std::string_view value;
};

Parts Split(std::string_view text)
{
    const auto [name, parameters] = Head(text);
    Parts parts{Upper(name), std::nullopt, text.substr(std::min(name.size() + parameters.size() + 1, text.size()))};
    std::size_t start = 1;
    bool quoted = false;
    for (std::size_t at = 1; at <= parameters.size(); ++at) {
        if (at < parameters.size() && (quoted || parameters[at] != ';')) {
            quoted ^= parameters[at] == '"';
            continue;
        }
        const std::string_view parameter = parameters.substr(start, at - start);
        start = at + 1;
        const std::size_t equals = parameter.find('=');
        if (parts.tzid || Upper(parameter.substr(0, equals)) != "TZID")
            continue;
        const std::string_view value = equals == std::string_view::npos ? std::string_view()
                                                                        : parameter.substr(equals + 1);
        parts.tzid = value.starts_with('"') ? value.substr(1, value.find('"', 1) - 1) : value;
    }
    return parts;
}

struct Item {
    std::size_t begin, end;
    bool zone;
    std::string tzid;                // a zone's
    std::optional<std::string> uid;  // a component's
    std::vector<std::string> zones;  // named by a component
};

struct Calendar {
    bool bare = false;
    std::string header, footer;
    std::vector<std::string> properties;
    std::vector<Item> items;
    std::map<std::string, std::size_t> entryByUid;
};

}  // namespace

namespace {

ModelStandalone WithoutByteOrderMark(std::string_view input, FileLimits limits, std::size_t bytesBefore);

}  // namespace

ModelStandalone StandaloneByModel(std::string_view input, FileLimits limits)
{
    // A byte-order mark opens every file as it opened the input; a second
    // one is text.
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (!input.starts_with(kByteOrderMark))
        return WithoutByteOrderMark(input, limits, 0);
    ModelStandalone model = WithoutByteOrderMark(input.substr(kByteOrderMark.size()), limits, kByteOrderMark.size());
    for (std::string& file : model.files)
        file.insert(0, kByteOrderMark);
    return model;
}

namespace {

ModelStandalone WithoutByteOrderMark(std::string_view input, FileLimits limits, std::size_t bytesBefore)
{
    ModelStandalone model;
    LineReader lines(input);
    std::string lineEnd = "\r\n";
    for (std::size_t at = 0; at < input.size(); ++at) {
        if (input[at] == '\r' || input[at] == '\n') {
            lineEnd = input.substr(at, 2) == "\r\n" ? "\r\n" : input.substr(at, 1);
            break;
        }
    }
    std::vector<Calendar> calendars;
    std::vector<std::pair<std::size_t, std::vector<std::size_t>>> entries;  // calendar, its items
    int open = -1;                                                          // the calendar object open now
    int bare = -1;
    std::vector<std::pair<std::string, std::size_t>> stack;  // open components: name, line
    std::size_t target = 0;
    const auto text = [&](const Line& line) { return std::string(input.substr(line.begin, line.end - line.begin)); };
    Line line;
    while (lines.Next(line, !stack.empty() ? stack.back().first : open >= 0 ? "VCALENDAR" : "")) {
        const Parts parts = Split(line.text);
        const std::string value = Upper(TrimStrays(parts.value));
        if (parts.name == "BEGIN" && value == "VCALENDAR") {
            if (!stack.empty()) {
                model.faultLine = line.number;
                return model;
            }
            calendars.push_back({false, text(line), "", {}, {}, {}});
            open = static_cast<int>(calendars.size()) - 1;
        } else if (parts.name == "BEGIN") {
            if (stack.empty()) {
                if (open < 0 && bare < 0) {
                    calendars.push_back({true,
                                         "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Orvelin//Orvelin 1.00//EN\r\n",
                                         "",
                                         {},
                                         {},
                                         {}});
                    bare = static_cast<int>(calendars.size()) - 1;
                }
                target = static_cast<std::size_t>(open >= 0 ? open : bare);
                calendars[target].items.push_back({line.begin, 0, value == "VTIMEZONE", "", std::nullopt, {}});
            }
            stack.emplace_back(value, line.number);
        } else if (parts.name == "END" && stack.empty()) {
            if (open < 0 || value != "VCALENDAR") {
                model.faultLine = line.number;
                return model;
            }
            calendars[static_cast<std::size_t>(open)].footer = text(line);
            open = -1;
        } else if (parts.name == "END") {
            if (stack.back().first != value) {
                model.faultLine = line.number;
                return model;
            }
            stack.pop_back();
            if (stack.empty()) {
                Item& item = calendars[target].items.back();
                item.end = line.end;
                if (item.zone)
                    continue;
                const std::size_t index = calendars[target].items.size() - 1;
                if (item.uid && calendars[target].entryByUid.contains(*item.uid)) {
                    entries[calendars[target].entryByUid[*item.uid]].second.push_back(index);
                    continue;
                }
                if (item.uid)
                    calendars[target].entryByUid[*item.uid] = entries.size();
                entries.push_back({target, {index}});
            }
        } else if (stack.empty()) {
            if (open >= 0 && !line.text.empty())
                calendars[static_cast<std::size_t>(open)].properties.push_back(text(line));
        } else {
            Item& item = calendars[target].items.back();
            if (stack.size() == 1 && parts.name == "TZID" && item.zone && item.tzid.empty())
                item.tzid = Trim(parts.value);
            if (stack.size() == 1 && parts.name == "UID" && !item.zone && !item.uid)
                item.uid = Trim(parts.value);
            if (parts.tzid && !item.zone)
                item.zones.push_back(*parts.tzid);
        }
    }
    if (!stack.empty()) {
        model.faultLine = stack.front().second;
        return model;
    }
    const auto textOf = [&](const Item& item) { return std::string(input.substr(item.begin, item.end - item.begin)); };
    // The file of a group of entries; none where their calendar objects' headers differ or a TZID is defined two ways.
    const auto fileOf = [&](const std::vector<std::size_t>& group) -> std::optional<std::string> {
        const Calendar& calendar = calendars[entries[group[0]].first];
        const std::string end = calendar.bare ? "\r\n" : lineEnd;
        std::vector<std::string> lines{calendar.header};
        lines.insert(lines.end(), calendar.properties.begin(), calendar.properties.end());
        std::map<std::string, std::string> held;
        std::map<std::size_t, std::string> zones;  // in input order
        for (const std::size_t entry : group) {
            const Calendar& own = calendars[entries[entry].first];
            if (std::tie(own.bare, own.header, own.properties) !=
                std::tie(calendar.bare, calendar.header, calendar.properties))
                return std::nullopt;
            for (const std::size_t at : entries[entry].second) {
                for (const std::string& tzid : own.items[at].zones) {
                    std::string definition;  // the calendar object's VTIMEZONEs of the TZID, "" for none
                    for (const Item& zone : own.items)
                        definition += zone.zone && zone.tzid == tzid ? textOf(zone) : "";
                    const auto [known, added] = held.emplace(tzid, definition);
                    if (known->second != definition)
                        return std::nullopt;
                    for (const Item& zone : own.items)
                        if (added && zone.zone && zone.tzid == tzid)
                            zones[zone.begin] = textOf(zone);
                }
            }
        }
        for (const auto& [at, zone] : zones)
            lines.push_back(zone);
        for (const std::size_t entry : group)
            for (const std::size_t at : entries[entry].second)
                lines.push_back(textOf(calendars[entries[entry].first].items[at]));
        lines.push_back(calendar.footer.empty() ? "END:VCALENDAR" + end : calendar.footer);
        std::string file;
        for (const std::string& piece : lines) {
            if (piece.empty())
                continue;
            if (!file.empty() && file.back() != '\n' && file.back() != '\r')
                file += end;
            file += piece;
        }
        return file;
    };
    // Each file takes the entries that follow while they fit.
    std::vector<std::vector<std::size_t>> groups;
    for (std::size_t entry = 0; entry < entries.size(); ++entry) {
        if (!groups.empty() && groups.back().size() < limits.entries) {
            groups.back().push_back(entry);
            const std::optional<std::string> file = fileOf(groups.back());
            if (file && (limits.bytes == 0 || bytesBefore + file->size() <= limits.bytes))
                continue;
            groups.back().pop_back();
        }
        groups.push_back({entry});
    }
    for (const std::vector<std::size_t>& group : groups) {
        model.files.push_back(*fileOf(group));
        model.mixed += entries[group.front()].first != entries[group.back()].first ? 1 : 0;
    }
    return model;
}

}  // namespace

std::string CompareStandaloneWithModel(const std::string& input, FileLimits limits)
{
    const ModelStandalone model = StandaloneByModel(input, limits);
    MemoryRun run;
    run.options.standalone = true;
    run.options.perFile = limits.entries;
    run.options.maxBytes = limits.bytes;
    run.Run(input);
    const std::map<std::string, std::string> written = run.OutputFiles();
    std::vector<std::string> files;
    for (std::size_t number = 1; files.size() < written.size() && number <= written.size(); ++number) {
        for (const std::string extension : {".ics", ".vcs"}) {
            if (const auto file = written.find(std::to_string(number) + extension); file != written.end())
                files.push_back(file->second);
        }
    }
    if (model.faultLine) {
        const std::string expected = "line " + std::to_string(*model.faultLine) + ":";
        const std::vector<HostCall> messages = run.host.messages();
        if (messages.size() != 1 || messages[0].text.find(expected) == std::string::npos)
            return "the model finds a fault at " + expected;
    }
    if (files != model.files)
        return "the files differ: " + std::to_string(files.size()) + " written, " + std::to_string(model.files.size()) +
            " by the model";
    return "";
}

}  // namespace orvelin::testing
