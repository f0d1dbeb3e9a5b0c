#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvelin::calendar {

inline constexpr std::size_t kWhole = std::string_view::npos;

// text without the spaces and tabs at either end.
std::string_view Trimmed(std::string_view text);

// A BEGIN or END line's value: stray colons, spaces and tabs after it are no part of it.
std::string_view ComponentName(std::string_view value);

// How lines that begin with a space or a tab continue the one before, and
// what follows from that where a calendar is unclear.
enum class Unfolding : std::uint8_t {
    // vCalendar 1.0 (RFC 822), as the conversion reads it: the line break
    // goes, the space or tab stays, so spaces and tabs around a parameter's
    // name are no part of it. A value is quoted-printable where
    // ENCODING=QUOTED-PRINTABLE or ";QUOTED-PRINTABLE" says so, and its "="
    // at the end of a line is a soft break before any line.
    KeepWhiteSpace,
    // iCalendar 2.0, as the standalone split reads every calendar: the line
    // break and one space or tab go, and a parameter's name is as written. A
    // value is quoted-printable where its parameters, as far as they are read,
    // say QUOTED-PRINTABLE anywhere; its "=" at the end of a line is a soft
    // break before a line that is not folded. A soft break before the
    // parameters end takes the next line into the content line, but not into
    // its text.
    DropWhiteSpace,
};

// Where the parts of a content line, NAME;PARAMETERS:VALUE, end: the name at
// the first ";" or ":", the parameters at the first ":" outside double
// quotes. Read as the text grows, so that folded lines are joined one by one
// and each byte is looked at once.
class LineHead {
public:
    // Reads on in text, which holds what it held at the last call and more.
    void Advance(std::string_view text);

    bool complete() const { return parametersEnd_ != kWhole; }
    std::string_view Name(std::string_view text) const { return text.substr(0, nameEnd_); }
    // ";NAME=VALUE;..." as written, or "" for none.
    std::string_view Parameters(std::string_view text) const;
    std::string_view Value(std::string_view text) const
    {
        return complete() ? text.substr(parametersEnd_ + 1) : std::string_view();
    }

private:
    std::size_t at_ = 0;
    std::size_t nameEnd_ = kWhole;
    std::size_t parametersEnd_ = kWhole;
    bool quoted_ = false;
};

// One parameter, its value unquoted. vCalendar 1.0 also writes a value alone
// (";QUOTED-PRINTABLE"): then the name is that word and bare is set.
struct Parameter {
    std::string_view name;
    std::string_view value;
    bool bare = false;
};

// The parameters of a content line in order. A ";" inside double quotes
// belongs to the value, which is as written but for those quotes; a name
// is as unfolding has it.
class ParameterReader {
public:
    ParameterReader(std::string_view parameters, Unfolding unfolding);
    bool Next(Parameter& parameter);

private:
    std::string_view parameters_;
    Unfolding unfolding_;
    bool quotes_;  // without any, each ";" starts a parameter
    std::size_t at_ = 0;
};

// The value of the first parameter called name (in any letter case); ""
// for the name alone (";TZID;"); nullopt where there is none.
std::optional<std::string_view> ParameterValue(std::string_view parameters, std::string_view name, Unfolding unfolding);

// Whether the parameters make the value quoted-printable, as unfolding has it.
bool IsQuotedPrintable(std::string_view parameters, Unfolding unfolding);

// Appends the bytes that quoted-printable text stands for: "=C3" and "=c3"
// are one byte each; an "=" before anything else is itself, and a last "="
// (what is left of a soft line break) is nothing.
void AppendQuotedPrintableDecoded(std::string& bytes, std::string_view text);

// A content line: where it lies and its parts, with folded lines and soft
// line breaks joined.
struct ContentLine {
    std::size_t begin = 0;  // its bytes in the text, line ends included
    std::size_t end = 0;
    std::size_t number = 0;  // the number of its first line
    std::string_view name;
    std::string_view parameters;
    std::string_view value;  // still quoted-printable where quotedPrintable; as much as was wanted
    bool quotedPrintable = false;
    bool valued = false;  // a ":" ends its name and parameters
    bool joined = false;  // the parts lie in the reader's room, good until the next line
    bool blank = false;   // nothing but a line end
};

// What the reader needs to know from its user for each line.
class LineNeeds {
public:
    // The component that lines belong to now ("VCALENDAR" between
    // components, "" outside any calendar object).
    virtual std::string_view Enclosing() const = 0;
    // How many bytes of the value of a line called name are wanted; kWhole for all.
    virtual std::size_t ValueWanted(std::string_view name) const = 0;

protected:
    ~LineNeeds() = default;
};

// Reads content lines. Lines end in CR LF, LF or CR. A line that begins
// with a space or a tab continues the one before; so does the line after a
// quoted-printable value that ends in "=" (a soft line break: the "=", the
// line end and a space or tab after them go), unless that line ends the
// enclosing component; unfolding decides where the two meet. A UTF-8
// byte-order mark at the start is skipped. Only folded lines are copied, and
// of their values only what is wanted.
class ContentLineReader {
public:
    // firstNumber: the number of the text's first line.
    ContentLineReader(std::string_view text, Unfolding unfolding, std::size_t firstNumber = 1);

    bool Next(ContentLine& line, const LineNeeds& needs);

    // The text's first line end, or CR LF.
    std::string_view lineEnd() const { return lineEnd_.empty() ? std::string_view("\r\n") : lineEnd_; }
    // The UTF-8 byte-order mark the text begins with, or "".
    std::string_view byteOrderMark() const { return text_.substr(0, bomLength_); }

private:
    std::size_t PhysicalEnd(std::size_t at, std::size_t& endLength);
    std::size_t Find(char c, std::size_t from, std::size_t to) const;
    bool EndsEnclosing(const LineNeeds& needs);

    std::string_view text_;
    Unfolding unfolding_;
    std::size_t bomLength_ = 0;
    std::size_t at_ = 0;
    std::size_t number_ = 1;
    // The next CR and LF at or after at_ (or the text's size): each found once.
    std::size_t nextCr_;
    std::size_t nextLf_;
    std::string_view lineEnd_;
    std::string room_;  // where folded lines are joined
};

}  // namespace orvelin::calendar
