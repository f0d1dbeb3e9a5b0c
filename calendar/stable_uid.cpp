#include "calendar/stable_uid.h"

namespace orvelin::calendar {
namespace {

// 64-bit FNV-1a: small, and the same on every machine.
std::uint64_t HashOf(std::string_view bytes)
{
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

}  // namespace

std::string StableUids::For(std::string_view bytes)
{
    const std::uint64_t hash = HashOf(bytes);
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string uid = "orvelin-";
    for (int shift = 60; shift >= 0; shift -= 4)
        uid += kDigits[(hash >> shift) & 0xF];
    if (const std::uint32_t before = given_[hash]++; before > 0) {
        uid += '-';
        uid += std::to_string(before + 1);
    }
    return uid;
}

}  // namespace orvelin::calendar
