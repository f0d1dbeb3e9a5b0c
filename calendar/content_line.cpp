#include "calendar/content_line.h"

#include "engine/letter_case.h"

#include <algorithm>
#include <cstring>

namespace orvelin::calendar {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kQuotedPrintable = "QUOTED-PRINTABLE";

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    const char upper = UpperAscii(c);
    return upper >= 'A' && upper <= 'F' ? upper - 'A' + 10 : -1;
}

// Whether text holds QUOTED-PRINTABLE in any letter case: only where a
// hyphen is, found at memory speed, is it compared.
bool MentionsQuotedPrintable(std::string_view text)
{
    constexpr std::size_t kHyphen = kQuotedPrintable.find('-');
    for (std::size_t at = text.find('-', kHyphen); at != std::string_view::npos; at = text.find('-', at + 1)) {
        if (at - kHyphen + kQuotedPrintable.size() > text.size())
            return false;
        if (EqualIgnoringCase(text.substr(at - kHyphen, kQuotedPrintable.size()), kQuotedPrintable))
            return true;
    }
    return false;
}

// Whether a line's value is quoted-printable, asked before a soft break and
// at the line's end. The parameters are searched again only where they have
// grown, which after a no they never do: the no ends the line, or the
// parameters had ended.
class QuotedPrintableTest {
public:
    explicit QuotedPrintableTest(Unfolding unfolding) : unfolding_(unfolding) {}

    bool Of(const LineHead& head, std::string_view text)
    {
        const std::string_view parameters = head.Parameters(text);
        // Parameters named as written are read so far; others where they end.
        if (found_ || parameters.size() == searched_ || (unfolding_ == Unfolding::KeepWhiteSpace && !head.complete()))
            return found_;
        found_ = IsQuotedPrintable(parameters, unfolding_);
        searched_ = parameters.size();
        return found_;
    }

private:
    Unfolding unfolding_;
    std::size_t searched_ = 0;
    bool found_ = false;
};

}  // namespace

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string_view ComponentName(std::string_view value)
{
    while (!value.empty() && (IsBlank(value.back()) || value.back() == ':'))
        value.remove_suffix(1);
    return value;
}

void LineHead::Advance(std::string_view text)
{
    const char* const bytes = text.data();
    const std::size_t size = text.size();
    std::size_t at = at_;
    if (nameEnd_ == kWhole) {
        while (at < size && bytes[at] != ';' && bytes[at] != ':')
            ++at;
        nameEnd_ = at < size ? at : kWhole;
    }
    bool quoted = quoted_;
    if (!quoted && at < size) {
        // Most parameters hold no quote: the colon ends them, found at memory speed.
        const auto* colon = static_cast<const char*>(std::memchr(bytes + at, ':', size - at));
        const std::size_t end = colon ? static_cast<std::size_t>(colon - bytes) : size;
        if (!std::memchr(bytes + at, '"', end - at)) {
            at = end;
            parametersEnd_ = colon ? end : kWhole;
        }
    }
    for (; at < size && parametersEnd_ == kWhole; ++at) {
        if (bytes[at] == ':' && !quoted) {
            parametersEnd_ = at;
            break;
        }
        quoted ^= bytes[at] == '"';
    }
    at_ = at;
    quoted_ = quoted;
}

std::string_view LineHead::Parameters(std::string_view text) const
{
    if (nameEnd_ == kWhole)
        return {};
    return text.substr(nameEnd_, (complete() ? parametersEnd_ : text.size()) - nameEnd_);
}

ParameterReader::ParameterReader(std::string_view parameters, Unfolding unfolding)
    : parameters_(parameters), unfolding_(unfolding), quotes_(parameters.find('"') != std::string_view::npos)
{
}

bool ParameterReader::Next(Parameter& parameter)
{
    const std::size_t size = parameters_.size();
    if (at_ >= size)
        return false;
    const std::size_t start = ++at_;  // past the ";"
    if (!quotes_)
        at_ = std::min(parameters_.find(';', at_), size);
    for (bool quoted = false; at_ < size && (quoted || parameters_[at_] != ';'); ++at_)
        quoted ^= parameters_[at_] == '"';
    const std::string_view whole = parameters_.substr(start, at_ - start);
    const std::size_t equals = std::min(whole.find('='), whole.size());
    parameter.bare = equals == whole.size();
    parameter.name = whole.substr(0, equals);
    if (unfolding_ == Unfolding::KeepWhiteSpace)
        parameter.name = Trimmed(parameter.name);
    std::string_view value = parameter.bare ? std::string_view() : whole.substr(equals + 1);
    if (value.starts_with('"'))
        value = value.substr(1, value.find('"', 1) - 1);
    parameter.value = value;
    return true;
}

std::optional<std::string_view> ParameterValue(std::string_view parameters, std::string_view name, Unfolding unfolding)
{
    ParameterReader reader(parameters, unfolding);
    for (Parameter parameter; reader.Next(parameter);) {
        if (EqualIgnoringCase(parameter.name, name))
            return parameter.value;
    }
    return std::nullopt;
}

bool IsQuotedPrintable(std::string_view parameters, Unfolding unfolding)
{
    if (unfolding == Unfolding::DropWhiteSpace)
        return MentionsQuotedPrintable(parameters);
    ParameterReader reader(parameters, unfolding);
    for (Parameter parameter; reader.Next(parameter);) {
        if (parameter.bare
                ? EqualIgnoringCase(parameter.name, kQuotedPrintable)
                : EqualIgnoringCase(parameter.name, "ENCODING") && EqualIgnoringCase(parameter.value, kQuotedPrintable))
            return true;
    }
    return false;
}

void AppendQuotedPrintableDecoded(std::string& bytes, std::string_view text)
{
    const std::size_t start = bytes.size();
    bytes.resize(start + text.size());
    char* out = bytes.data() + start;
    const char* const in = text.data();
    const std::size_t size = text.size();
    for (std::size_t at = 0; at < size;) {
        const auto* equals = static_cast<const char*>(std::memchr(in + at, '=', size - at));
        const std::size_t stop = equals ? static_cast<std::size_t>(equals - in) : size;
        std::memcpy(out, in + at, stop - at);
        out += stop - at;
        at = stop;
        if (at == size)
            break;
        const int high = size - at >= 3 ? HexDigit(in[at + 1]) : -1;
        const int low = high >= 0 ? HexDigit(in[at + 2]) : -1;
        if (low >= 0) {
            *out++ = static_cast<char>(high * 16 + low);
            at += 3;
            continue;
        }
        if (at + 1 < size)
            *out++ = '=';
        ++at;
    }
    bytes.resize(static_cast<std::size_t>(out - bytes.data()));
}

ContentLineReader::ContentLineReader(std::string_view text, Unfolding unfolding, std::size_t firstNumber)
    : text_(text), unfolding_(unfolding), bomLength_(text.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0),
      at_(bomLength_), number_(firstNumber), nextCr_(Find('\r', 0, text.size())), nextLf_(Find('\n', 0, text.size()))
{
}

bool ContentLineReader::Next(ContentLine& line, const LineNeeds& needs)
{
    if (at_ >= text_.size())
        return false;
    const std::size_t start = at_;
    std::size_t endLength = 0;
    std::size_t physicalStart = start;
    std::size_t contentEnd = PhysicalEnd(at_, endLength);
    line.number = number_++;
    at_ = contentEnd + endLength;
    std::string_view joined = text_.substr(start, contentEnd - start);
    LineHead head;
    head.Advance(joined);
    QuotedPrintableTest quotedPrintable(unfolding_);
    // How long the joined text may grow: the name, the parameters and as much of the value as is wanted.
    const auto limitOf = [&needs, &head](std::string_view text) {
        const std::size_t wanted = needs.ValueWanted(head.Name(text));
        return wanted == kWhole ? kWhole : text.size() - head.Value(text).size() + wanted;
    };
    std::size_t limit = head.complete() ? limitOf(joined) : kWhole;
    bool copying = false;
    bool dropped = false;  // bytes beyond limit were left out
    while (endLength != 0 && at_ < text_.size()) {
        const bool white = IsBlank(text_[at_]);
        const bool folded = white && unfolding_ == Unfolding::DropWhiteSpace;  // even after an "="
        const bool soft = !folded && contentEnd > physicalStart && text_[contentEnd - 1] == '=' &&
            quotedPrintable.Of(head, joined) && !EndsEnclosing(needs);
        if (!soft && !white)
            break;
        // After a soft break one space or tab is no content; after a fold it is, in vCalendar 1.0.
        const std::size_t next = at_ + (white && (soft || folded) ? 1 : 0);
        physicalStart = at_;
        contentEnd = PhysicalEnd(at_, endLength);
        at_ = contentEnd + endLength;
        ++number_;
        if (soft && !head.complete())
            continue;  // the text after a soft break joins only a value
        if (!copying) {
            room_.assign(joined.substr(0, std::min(joined.size(), limit)));
            dropped = room_.size() < joined.size();
            copying = true;
        }
        if (soft && !dropped)
            room_.pop_back();  // the "=" of the soft break
        const std::string_view more = text_.substr(next, contentEnd - next);
        const std::size_t room = limit - std::min(limit, room_.size());
        dropped |= more.size() > room;
        room_.append(more.substr(0, std::min(more.size(), room)));
        if (!head.complete()) {
            head.Advance(room_);
            if (head.complete()) {
                limit = limitOf(room_);
                dropped |= room_.size() > limit;
                room_.resize(std::min(room_.size(), limit));
            }
        }
        joined = room_;
    }
    line.begin = start;
    line.end = at_;
    line.joined = copying;
    line.blank = joined.empty();
    line.name = head.Name(joined);
    line.parameters = head.Parameters(joined);
    line.value = head.Value(joined);
    line.valued = head.complete();
    line.quotedPrintable = line.valued && quotedPrintable.Of(head, joined);
    return true;
}

// Whether the next line is the END line of the enclosing component.
bool ContentLineReader::EndsEnclosing(const LineNeeds& needs)
{
    const std::string_view enclosing = needs.Enclosing();
    if (enclosing.empty())
        return false;
    std::size_t endLength = 0;
    const std::string_view next = text_.substr(at_, PhysicalEnd(at_, endLength) - at_);
    LineHead head;
    head.Advance(next);
    return EqualIgnoringCase(head.Name(next), "END") && EqualIgnoringCase(ComponentName(head.Value(next)), enclosing);
}

// Where the line from at ends (before its line end), and the line end's length.
std::size_t ContentLineReader::PhysicalEnd(std::size_t at, std::size_t& endLength)
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
    endLength = end == text_.size() ? 0 : text_.substr(end, 2) == "\r\n" ? 2 : 1;
    if (lineEnd_.empty() && endLength > 0)
        lineEnd_ = text_.substr(end, endLength);
    return end;
}

// The first c in [from, to), or to.
std::size_t ContentLineReader::Find(char c, std::size_t from, std::size_t to) const
{
    if (from >= to)
        return to;
    const void* found = std::memchr(text_.data() + from, c, to - from);
    return found ? static_cast<std::size_t>(static_cast<const char*>(found) - text_.data()) : to;
}

}  // namespace orvelin::calendar
