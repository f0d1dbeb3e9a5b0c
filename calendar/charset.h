#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace orvelin::calendar {

// The character sets that phones and desktop programs write calendar text in.
enum class Charset : std::uint8_t {
    Utf8,
    Iso8859_1,
    Iso8859_2,
    Iso8859_3,
    Iso8859_4,
    Iso8859_5,
    Iso8859_6,
    Iso8859_7,
    Iso8859_8,
    Iso8859_9,
    Iso8859_10,
    Iso8859_11,
    Iso8859_13,
    Iso8859_14,
    Iso8859_15,
    Windows1250,
    Windows1251,
    Windows1252,
    Windows1253,
    Windows1254,
    Windows1255,
    Windows1256,
    Windows1257,
    Windows1258,
    Koi8R,
    ShiftJis,  // with Microsoft's extensions (Windows-31J), as phones and Windows write it
    EucJp,
    Gbk,  // GB2312 and its superset GBK
    Gb18030,
    Big5,
    EucKr,  // EUC-KR and its superset, Unified Hangul Code
    Utf16,  // big-endian unless a byte-order mark says otherwise
};

// The character set a CHARSET parameter names (its common aliases and any
// letter case: "ISO-8859-1", "latin1", "cp1251", "Shift_JIS", "x-sjis");
// nullopt for one not listed above.
std::optional<Charset> CharsetNamed(std::string_view name);

// Whether the charset writes the ASCII characters as ASCII does, so that
// ASCII text needs no transcoding.
constexpr bool ExtendsAscii(Charset charset)
{
    return charset != Charset::Utf16;
}

}  // namespace orvelin::calendar
