#include "calendar/charset.h"

#include "engine/letter_case.h"

#include <array>

namespace orvelin::calendar {
namespace {

struct Alias {
    std::string_view name;  // in upper case, without "-", "_", " " and "."
    Charset charset;
};

// Names without their separators: "ISO-8859-1", "ISO_8859-1" and "iso8859_1" are one.
constexpr std::array kAliases{
    Alias{"UTF8", Charset::Utf8},
    Alias{"ISO88591", Charset::Iso8859_1},
    Alias{"LATIN1", Charset::Iso8859_1},
    Alias{"L1", Charset::Iso8859_1},
    Alias{"ISO88592", Charset::Iso8859_2},
    Alias{"LATIN2", Charset::Iso8859_2},
    Alias{"ISO88593", Charset::Iso8859_3},
    Alias{"ISO88594", Charset::Iso8859_4},
    Alias{"ISO88595", Charset::Iso8859_5},
    Alias{"ISO88596", Charset::Iso8859_6},
    Alias{"ISO88597", Charset::Iso8859_7},
    Alias{"ISO88598", Charset::Iso8859_8},
    Alias{"ISO88599", Charset::Iso8859_9},
    Alias{"LATIN5", Charset::Iso8859_9},
    Alias{"ISO885910", Charset::Iso8859_10},
    Alias{"ISO885911", Charset::Iso8859_11},
    Alias{"ISO885913", Charset::Iso8859_13},
    Alias{"ISO885914", Charset::Iso8859_14},
    Alias{"ISO885915", Charset::Iso8859_15},
    Alias{"LATIN9", Charset::Iso8859_15},
    Alias{"WINDOWS1250", Charset::Windows1250},
    Alias{"CP1250", Charset::Windows1250},
    Alias{"WINDOWS1251", Charset::Windows1251},
    Alias{"CP1251", Charset::Windows1251},
    Alias{"WINDOWS1252", Charset::Windows1252},
    Alias{"CP1252", Charset::Windows1252},
    Alias{"WINDOWS1253", Charset::Windows1253},
    Alias{"CP1253", Charset::Windows1253},
    Alias{"WINDOWS1254", Charset::Windows1254},
    Alias{"CP1254", Charset::Windows1254},
    Alias{"WINDOWS1255", Charset::Windows1255},
    Alias{"CP1255", Charset::Windows1255},
    Alias{"WINDOWS1256", Charset::Windows1256},
    Alias{"CP1256", Charset::Windows1256},
    Alias{"WINDOWS1257", Charset::Windows1257},
    Alias{"CP1257", Charset::Windows1257},
    Alias{"WINDOWS1258", Charset::Windows1258},
    Alias{"CP1258", Charset::Windows1258},
    Alias{"KOI8R", Charset::Koi8R},
    Alias{"SHIFTJIS", Charset::ShiftJis},
    Alias{"SJIS", Charset::ShiftJis},
    Alias{"XSJIS", Charset::ShiftJis},
    Alias{"MSKANJI", Charset::ShiftJis},
    Alias{"CP932", Charset::ShiftJis},
    Alias{"WINDOWS31J", Charset::ShiftJis},
    Alias{"EUCJP", Charset::EucJp},
    Alias{"XEUCJP", Charset::EucJp},
    Alias{"GB2312", Charset::Gbk},
    Alias{"EUCCN", Charset::Gbk},
    Alias{"GBK", Charset::Gbk},
    Alias{"CP936", Charset::Gbk},
    Alias{"GB18030", Charset::Gb18030},
    Alias{"BIG5", Charset::Big5},
    Alias{"CP950", Charset::Big5},
    Alias{"EUCKR", Charset::EucKr},
    Alias{"KSC56011987", Charset::EucKr},
    Alias{"CP949", Charset::EucKr},
    Alias{"UTF16", Charset::Utf16},
};

}  // namespace

std::optional<Charset> CharsetNamed(std::string_view name)
{
    char key[24];
    std::size_t length = 0;
    for (const char c : name) {
        if (c == '-' || c == '_' || c == ' ' || c == '.')
            continue;
        if (length == sizeof key)
            return std::nullopt;
        key[length++] = UpperAscii(c);
    }
    const std::string_view wanted(key, length);
    for (const Alias& alias : kAliases) {
        if (alias.name == wanted)
            return alias.charset;
    }
    return std::nullopt;
}

}  // namespace orvelin::calendar
