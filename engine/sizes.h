#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvelin {

// A whole number of at least 1 that fits in 64 bits; nullopt for anything else.
std::optional<std::uint64_t> ParseCount(std::string_view digits);

// A size in bytes, and whether it was given in units of 1024.
struct ByteSize {
    std::uint64_t bytes = 0;
    bool binary = false;
};

// A size as GNU split reads one: a count, then (after at most one space) a
// unit in either letter case: KB, MB, GB are 1000, 1000^2, 1000^3; K, M, G
// and KiB, MiB, GiB are 1024, 1024^2, 1024^3. nullopt for what is none, or
// does not fit in 64 bits.
std::optional<ByteSize> ParseSize(std::string_view text);

// "1.4 MiB", "512 KiB", "900 bytes" (or "1.4 MB", "512 kB"): the largest unit
// it fills, with one decimal where the number is not whole.
std::string SizeText(std::uint64_t bytes, bool binary);

}  // namespace orvelin
