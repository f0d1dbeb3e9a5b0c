#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

namespace orvelin::calendar {

// UIDs for entries that have none, made of their bytes: the same input
// gives the same UIDs. An entry whose bytes another had already gets
// "-2", "-3", ... after the same UID, so that the two stay two entries.
class StableUids {
public:
    std::string For(std::string_view bytes);

private:
    std::unordered_map<std::uint64_t, std::uint32_t> given_;  // how often each hash was given
};

}  // namespace orvelin::calendar
