#pragma once

#include <cstdint>
#include <string_view>

// Text positions are 1-based; 0 means "not found".

namespace orvelin {

using Position = std::int64_t;

enum class CompareMode { Exact, Text };  // Text ignores letter case

// Position of the first occurrence of sought in text at or after start, or 0.
// A start beyond the end of the text gives 0; a start below 1 fails with
// ErrorNumber::InvalidArgument.
Position InStr(Position start, std::string_view text, std::string_view sought, CompareMode mode);

// length characters of text from the 1-based start (fewer at the end of the text).
std::string_view Mid(std::string_view text, Position start, Position length);

// The first count characters of text; a negative count fails with InvalidArgument.
std::string_view Left(std::string_view text, Position count);

}  // namespace orvelin
