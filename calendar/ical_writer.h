#pragma once

#include <string>
#include <string_view>

namespace orvelin::calendar {

// Writes iCalendar 2.0 content lines into out: CR LF after each, lines
// longer than 75 octets folded, never inside a UTF-8 sequence. A line is
// built as Start(name), its parameters, its value in pieces into Value(),
// then Finish().
class ICalendarWriter {
public:
    explicit ICalendarWriter(std::string& out) : out_(out) {}

    void Start(std::string_view name);  // in upper case
    // A parameter; its value quoted where it holds ":", ";" or ",", and
    // "^", '"' and line breaks written as RFC 6868 has them.
    void Parameter(std::string_view name, std::string_view value);
    // The value so far, to append to.
    std::string& Value();
    void Finish();

    // A whole line, NAME:VALUE, the value as it is.
    void Line(std::string_view name, std::string_view value);

    std::string& out() { return out_; }

private:
    std::string& out_;
    std::string line_;
    bool inValue_ = false;
};

// Appends text (UTF-8) as an iCalendar 2.0 TEXT value: "\\", ";", "," and
// line breaks (CR LF, LF or CR) escaped.
void AppendText(std::string& out, std::string_view text);

// A control character, which no iCalendar 2.0 value may hold (a tab aside):
// the writers leave such bytes out.
constexpr bool IsControl(unsigned char c)
{
    return (c < 0x20 && c != '\t') || c == 0x7F;
}

// Appends text as it is but for its line breaks, which become "\n": a value
// copied from another program keeps its own escapes.
void AppendAsWritten(std::string& out, std::string_view text);

}  // namespace orvelin::calendar
