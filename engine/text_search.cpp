#include "engine/text_search.h"

#include "engine/failure.h"

#include <algorithm>
#include <functional>

namespace orvelin {
namespace {

constexpr unsigned char FoldCase(unsigned char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

struct FoldedHash {
    std::size_t operator()(char c) const { return FoldCase(static_cast<unsigned char>(c)); }
};

struct FoldedEqual {
    bool operator()(char a, char b) const
    {
        return FoldCase(static_cast<unsigned char>(a)) == FoldCase(static_cast<unsigned char>(b));
    }
};

std::size_t FindFolded(std::string_view text, std::size_t from, std::string_view sought)
{
    const std::boyer_moore_horspool_searcher searcher(sought.begin(), sought.end(), FoldedHash{}, FoldedEqual{});
    const auto found = std::search(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(), searcher);
    return found == text.end() ? std::string_view::npos : static_cast<std::size_t>(found - text.begin());
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
