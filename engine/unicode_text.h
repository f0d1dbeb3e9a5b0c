#pragma once

#include <string>
#include <string_view>

namespace orvelin {

// Whether text is well-formed UTF-8.
bool IsUtf8(std::string_view text);

// text, written in the 8-bit character set charset (a CHARSET parameter's
// value: "ISO-8859-1", "windows-1251", ...), as UTF-8. Text that names no
// charset, UTF-8 or one not known here is taken as it is where it is UTF-8,
// and read as windows-1252 where it is not: the result is always UTF-8.
std::string Utf8From(std::string_view text, std::string_view charset);

// UTF-8 text with every letter of the Basic Multilingual Plane in upper case,
// one code point for one: two names that give the same are one name to
// Windows, which compares file names so. Text that is not UTF-8 is returned
// as it is.
std::string UpperCaseForNames(std::string_view text);

// Calls each(code point, its bytes) for every character of UTF-8 text.
template <typename Each>
void ForEachCodePoint(std::string_view text, Each&& each);

// The code point that starts text (well-formed UTF-8) and its length in bytes.
std::pair<char32_t, std::size_t> FirstCodePoint(std::string_view text);

template <typename Each>
void ForEachCodePoint(std::string_view text, Each&& each)
{
    while (!text.empty()) {
        const auto [code, length] = FirstCodePoint(text);
        each(code, text.substr(0, length));
        text.remove_prefix(length);
    }
}

}  // namespace orvelin
