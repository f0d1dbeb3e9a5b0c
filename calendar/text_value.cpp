#include "calendar/text_value.h"

#include "calendar/content_line.h"
#include "calendar/ical_writer.h"
#include "engine/unicode_text.h"

#include <cstring>

namespace orvelin::calendar {
namespace {

// Appends bytes as UTF-8 where they are that, else as windows-1252.
void AppendUtf8OrWindows1252(std::string& utf8, std::string_view bytes)
{
    if (IsUtf8(bytes))
        utf8.append(bytes);
    else
        utf8.append(Utf8From(bytes, ""));
}

}  // namespace

bool IsAscii(std::string_view text)
{
    unsigned char any = 0;
    for (const char c : text)
        any |= static_cast<unsigned char>(c);
    return any < 0x80;
}

TextReading ValueReader::AppendUtf8(std::string& utf8, std::string_view value, bool quotedPrintable,
                                    std::string_view parameters)
{
    std::string_view bytes = value;
    if (quotedPrintable) {
        decoded_.clear();
        AppendQuotedPrintableDecoded(decoded_, value);
        bytes = decoded_;
    }
    const std::optional<std::string_view> name = ParameterValue(parameters, "CHARSET", Unfolding::KeepWhiteSpace);
    const std::optional<Charset> named = name ? CharsetNamed(*name) : std::nullopt;
    const bool known = named.has_value();
    const Charset charset = named.value_or(Charset::Utf8);
    if ((IsAscii(bytes) && (!known || ExtendsAscii(charset))) || (known && charset == Charset::Utf8 && IsUtf8(bytes))) {
        utf8.append(bytes);
        return TextReading::AsCharset;
    }
    if (known && charset != Charset::Utf8 && transcoder_.AppendUtf8(utf8, bytes, charset))
        return TextReading::AsCharset;
    AppendUtf8OrWindows1252(utf8, bytes);
    return !name ? TextReading::AsCharset : known ? TextReading::NotInCharset : TextReading::UnknownCharset;
}

void AppendVcalendarText(std::string& out, std::string_view text, TextShape shape)
{
    const char* const bytes = text.data();
    const std::size_t size = text.size();
    std::size_t at = 0;
    while (at < size) {
        std::size_t run = at;
        while (run < size && bytes[run] != '\\' && bytes[run] != ';' && bytes[run] != ',' &&
               !IsControl(static_cast<unsigned char>(bytes[run])))
            ++run;
        out.append(bytes + at, run - at);
        if (run == size)
            break;
        const char c = bytes[run];
        const char next = run + 1 < size ? bytes[run + 1] : '\0';
        at = run + 1;
        if (c == '\\' && (next == ';' || next == ',' || next == '\\')) {
            out += '\\';
            out += next;
            ++at;
        } else if (c == '\\' && (next == 'n' || next == 'N')) {
            out += "\\n";
            ++at;
        } else if (c == '\\') {
            out += "\\\\";
        } else if (c == ';') {
            out += shape == TextShape::List ? "," : "\\;";
        } else if (c == ',') {
            out += "\\,";
        } else if (c != '\r' && c != '\n') {
            continue;  // a control character
        } else {
            out += "\\n";
            at += c == '\r' && next == '\n' ? 1 : 0;
        }
    }
}

bool FieldReader::Next(std::string_view& field)
{
    if (done_)
        return false;
    std::size_t at = at_;
    while (at < value_.size() && value_[at] != ';')
        at += value_[at] == '\\' ? 2 : 1;
    at = std::min(at, value_.size());
    field = value_.substr(at_, at - at_);
    done_ = at == value_.size();
    at_ = at + 1;
    return true;
}

}  // namespace orvelin::calendar
