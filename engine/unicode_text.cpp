#include "engine/unicode_text.h"

#include "engine/letter_case.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace orvelin {
namespace {

struct UpperRun {
    char16_t first;
    char16_t last;
    int stride;
    int delta;
};

struct Charset {
    std::string_view names;  // separated by spaces, in upper case
    std::array<char16_t, 128> upperHalf;
};

#include "engine/unicode_tables.inc"

// The length of the UTF-8 sequence starting with lead, or 0 for a byte that
// starts none.
std::size_t SequenceLength(unsigned char lead)
{
    return lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
}

void AppendUtf8(std::string& text, char32_t code)
{
    if (code < 0x80) {
        text += static_cast<char>(code);
    } else if (code < 0x800) {
        text += static_cast<char>(0xC0 | (code >> 6));
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        text += static_cast<char>(0xE0 | (code >> 12));
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | (code >> 18));
        text += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// The character set of that name (or an alias), if it is one known here.
const Charset* CharsetNamed(std::string_view name)
{
    const std::string wanted = UpperAscii(name);
    for (const Charset& charset : kCharsets) {
        for (std::string_view names = charset.names; !names.empty();) {
            const std::size_t end = std::min(names.find(' '), names.size());
            if (names.substr(0, end) == wanted)
                return &charset;
            names.remove_prefix(std::min(end + 1, names.size()));
        }
    }
    return nullptr;
}

char32_t Upper(char32_t code)
{
    const auto run = std::upper_bound(std::begin(kUpperRuns), std::end(kUpperRuns), code,
                                      [](char32_t c, const UpperRun& r) { return c < r.first; });
    if (run == std::begin(kUpperRuns))
        return code;
    const UpperRun& candidate = *(run - 1);
    if (code > candidate.last || (code - candidate.first) % static_cast<char32_t>(candidate.stride) != 0)
        return code;
    return static_cast<char32_t>(static_cast<std::int32_t>(code) + candidate.delta);
}

}  // namespace

bool IsUtf8(std::string_view text)
{
    for (std::size_t at = 0; at < text.size();) {
        const auto lead = static_cast<unsigned char>(text[at]);
        const std::size_t length = SequenceLength(lead);
        if (length == 0 || at + length > text.size())
            return false;
        char32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t next = 1; next < length; ++next) {
            const auto byte = static_cast<unsigned char>(text[at + next]);
            if ((byte & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (byte & 0x3F);
        }
        // Overlong forms, surrogates and code points beyond Unicode are not UTF-8.
        constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < kLeast[length] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
            return false;
        at += length;
    }
    return true;
}

std::pair<char32_t, std::size_t> FirstCodePoint(std::string_view text)
{
    const auto lead = static_cast<unsigned char>(text[0]);
    const std::size_t length = std::max<std::size_t>(1, std::min(SequenceLength(lead), text.size()));
    char32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t next = 1; next < length; ++next)
        code = (code << 6) | (static_cast<unsigned char>(text[next]) & 0x3F);
    return {code, length};
}

std::string Utf8From(std::string_view text, std::string_view charset)
{
    const Charset* named = CharsetNamed(charset);
    if (!named && IsUtf8(text))
        return std::string(text);
    const Charset& table = named ? *named : kCharsets[0];
    std::string converted;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        AppendUtf8(converted, byte < 0x80 ? byte : table.upperHalf[byte - 0x80]);
    }
    return converted;
}

std::string UpperCaseForNames(std::string_view text)
{
    if (!IsUtf8(text))
        return std::string(text);
    std::string upper;
    upper.reserve(text.size());
    ForEachCodePoint(text, [&upper](char32_t code, std::string_view bytes) {
        if (code < 0x80)
            upper += UpperAscii(static_cast<char>(code));
        else if (const char32_t mapped = Upper(code); mapped != code)
            AppendUtf8(upper, mapped);
        else
            upper += bytes;
    });
    return upper;
}

}  // namespace orvelin
