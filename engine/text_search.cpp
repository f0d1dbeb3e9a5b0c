#include "engine/text_search.h"

#include "engine/failure.h"
#include "engine/letter_case.h"

#include <cstring>

namespace orvelin {
namespace {

// The next byte equal to one value in [from, end), or end.
const char* NextByte(const char* from, const char* end, unsigned char value)
{
    const void* found = from < end ? std::memchr(from, value, static_cast<std::size_t>(end - from)) : nullptr;
    return found ? static_cast<const char*>(found) : end;
}

// The place in sought to look for first: a byte that has no other letter
// case (the colon of "BEGIN:VEVENT") needs one search instead of two, and is
// rarer in text than any letter; otherwise the first letter.
std::size_t AnchorOf(std::string_view sought)
{
    for (std::size_t at = 0; at < sought.size(); ++at) {
        if (UpperAscii(sought[at]) == LowerAscii(sought[at]))
            return at;
    }
    return 0;
}

// Candidates are the places of the anchor's byte in either letter case, each
// found with memchr (which runs at memory speed); only they are compared in
// full. Nothing is allocated.
std::size_t FindFolded(std::string_view text, std::size_t from, std::string_view sought)
{
    if (sought.empty())
        return from;
    if (text.size() - from < sought.size())
        return std::string_view::npos;
    const char* const begin = text.data();
    const std::size_t anchor = AnchorOf(sought);
    // Where the anchor of a candidate that still fits whole may be.
    const char* const first = begin + from + anchor;
    const char* const end = begin + (text.size() - sought.size() + 1) + anchor;
    const auto upper = static_cast<unsigned char>(UpperAscii(sought[anchor]));
    const auto lower = static_cast<unsigned char>(LowerAscii(sought[anchor]));
    const char* nextUpper = NextByte(first, end, upper);
    const char* nextLower = upper == lower ? end : NextByte(first, end, lower);
    while (nextUpper != end || nextLower != end) {
        const bool upperFirst = nextUpper < nextLower;
        const char* found = upperFirst ? nextUpper : nextLower;
        if (EqualIgnoringCase({found - anchor, sought.size()}, sought))
            return static_cast<std::size_t>(found - anchor - begin);
        if (upperFirst)
            nextUpper = NextByte(found + 1, end, upper);
        else
            nextLower = NextByte(found + 1, end, lower);
    }
    return std::string_view::npos;
}

}  // namespace

Position InStr(Position start, std::string_view text, std::string_view sought, CompareMode mode)
{
    if (start < 1)
        throw Failure(ErrorNumber::InvalidArgument);
    const auto from = static_cast<std::size_t>(start - 1);
    if (from >= text.size())
        return 0;
    const std::size_t found = mode == CompareMode::Exact ? text.find(sought, from) : FindFolded(text, from, sought);
    return found == std::string_view::npos ? 0 : static_cast<Position>(found) + 1;
}

std::string_view Mid(std::string_view text, Position start, Position length)
{
    if (start < 1 || length < 0)
        throw Failure(ErrorNumber::InvalidArgument);
    const auto from = static_cast<std::size_t>(start - 1);
    if (from >= text.size())
        return {};
    return text.substr(from, static_cast<std::size_t>(length));
}

std::string_view Left(std::string_view text, Position count)
{
    if (count < 0)
        throw Failure(ErrorNumber::InvalidArgument);
    return text.substr(0, static_cast<std::size_t>(count));
}

}  // namespace orvelin
