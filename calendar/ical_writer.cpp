#include "calendar/ical_writer.h"

#include "engine/letter_case.h"

#include <algorithm>
#include <array>

namespace orvelin::calendar {
namespace {

constexpr std::size_t kLongestLine = 75;

// The bytes that need more than themselves in a value of each kind: those
// named, and the control characters, which are left out.
constexpr std::array<bool, 256> SpecialBytes(std::string_view bytes)
{
    std::array<bool, 256> special{};
    for (int c = 0; c < 256; ++c)
        special[c] = IsControl(static_cast<unsigned char>(c));
    for (const char c : bytes)
        special[static_cast<unsigned char>(c)] = true;
    return special;
}

constexpr auto kTextSpecial = SpecialBytes("\\;,\r\n");
constexpr auto kLineBreaks = SpecialBytes("\r\n");
constexpr auto kParameterSpecial = SpecialBytes("^\"\r\n");

// Appends text, writing each byte that special marks by escape(out, text, at),
// which returns where to go on; the runs between are copied whole.
template <typename Escape>
void AppendEscaped(std::string& out, std::string_view text, const std::array<bool, 256>& special, Escape&& escape)
{
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t run = at;
        while (run < text.size() && !special[static_cast<unsigned char>(text[run])])
            ++run;
        out.append(text, at, run - at);
        if (run < text.size()) {
            const char c = text[run];
            run = c != '\r' && c != '\n' && IsControl(static_cast<unsigned char>(c)) ? run + 1 : escape(out, text, run);
        }
        at = run;
    }
}

// A line break (CR LF, LF or CR) at at as "\n"; where the text goes on.
std::size_t LineBreak(std::string& out, std::string_view text, std::size_t at)
{
    out += "\\n";
    return at + (text.substr(at, 2) == "\r\n" ? 2 : 1);
}

}  // namespace

void ICalendarWriter::Start(std::string_view name)
{
    line_.clear();
    inValue_ = false;
    for (const char c : name)
        line_ += UpperAscii(c);
}

void ICalendarWriter::Parameter(std::string_view name, std::string_view value)
{
    line_ += ';';
    for (const char c : name)
        line_ += UpperAscii(c);
    line_ += '=';
    const bool quoted = value.find_first_of(":;,") != std::string_view::npos;
    if (quoted)
        line_ += '"';
    AppendEscaped(line_, value, kParameterSpecial, [](std::string& out, std::string_view text, std::size_t at) {
        if (text[at] == '^' || text[at] == '"') {
            out += text[at] == '^' ? "^^" : "^'";
            return at + 1;
        }
        out += "^n";
        return at + (text.substr(at, 2) == "\r\n" ? 2 : 1);
    });
    if (quoted)
        line_ += '"';
}

std::string& ICalendarWriter::Value()
{
    if (!inValue_)
        line_ += ':';
    inValue_ = true;
    return line_;
}

void ICalendarWriter::Finish()
{
    Value();
    std::string_view rest = line_;
    for (std::size_t room = kLongestLine; rest.size() > room; room = kLongestLine - 1) {
        std::size_t cut = room;
        while (cut > 1 && (static_cast<unsigned char>(rest[cut]) & 0xC0) == 0x80)
            --cut;
        out_.append(rest.substr(0, cut));
        out_ += "\r\n ";
        rest.remove_prefix(cut);
    }
    out_.append(rest);
    out_ += "\r\n";
}

void ICalendarWriter::Line(std::string_view name, std::string_view value)
{
    Start(name);
    Value().append(value);
    Finish();
}

void AppendText(std::string& out, std::string_view text)
{
    AppendEscaped(out, text, kTextSpecial, [](std::string& to, std::string_view from, std::size_t at) {
        if (from[at] == '\r' || from[at] == '\n')
            return LineBreak(to, from, at);
        to += '\\';
        to += from[at];
        return at + 1;
    });
}

void AppendAsWritten(std::string& out, std::string_view text)
{
    AppendEscaped(out, text, kLineBreaks, LineBreak);
}

}  // namespace orvelin::calendar
