#include "engine/sizes.h"

#include "engine/letter_case.h"

#include <algorithm>
#include <cstdio>

namespace orvelin {

std::optional<std::uint64_t> ParseCount(std::string_view digits)
{
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : digits) {
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (value > (UINT64_MAX - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return value == 0 ? std::nullopt : std::optional(value);
}

std::optional<ByteSize> ParseSize(std::string_view text)
{
    const std::size_t digits = std::min(text.find_first_not_of("0123456789"), text.size());
    std::string_view unitText = text.substr(digits);
    if (unitText.starts_with(' '))
        unitText.remove_prefix(1);
    const std::string unit = UpperAscii(unitText);
    const std::optional<std::uint64_t> count = ParseCount(text.substr(0, digits));
    const std::size_t power = unit.empty() ? 0 : std::string_view("KMG").find(unit[0]) + 1;
    const std::string_view kind = unit.empty() ? "" : std::string_view(unit).substr(1);
    if (!count || (!unit.empty() && (power == 0 || (kind != "" && kind != "B" && kind != "IB"))) ||
        (unit.empty() && unitText.size() != text.size() - digits))
        return std::nullopt;
    ByteSize size{*count, !unit.empty() && kind != "B"};
    for (std::size_t n = 0; n < power; ++n) {
        const std::uint64_t base = size.binary ? 1024 : 1000;
        if (size.bytes > UINT64_MAX / base)
            return std::nullopt;
        size.bytes *= base;
    }
    return size;
}

std::string SizeText(std::uint64_t bytes, bool binary)
{
    const std::uint64_t kilo = binary ? 1024 : 1000;
    const char* const names[] = {"bytes", binary ? "KiB" : "kB", binary ? "MiB" : "MB", binary ? "GiB" : "GB"};
    std::uint64_t unit = 1;
    std::size_t name = 0;
    // 999,999 bytes are "1.0 MB", not "1000.0 kB".
    while (name < 3 && static_cast<double>(bytes) / static_cast<double>(unit) >= static_cast<double>(kilo) - 0.05) {
        unit *= kilo;
        ++name;
    }
    char text[32];
    if (bytes % unit == 0)
        std::snprintf(text, sizeof text, "%llu %s", static_cast<unsigned long long>(bytes / unit), names[name]);
    else
        std::snprintf(text, sizeof text, "%.1f %s", static_cast<double>(bytes) / static_cast<double>(unit),
                      names[name]);
    return text;
}

}  // namespace orvelin
