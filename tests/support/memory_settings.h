#pragma once

#include "ui/form/settings.h"

#include <map>
#include <string>

namespace orvelin::testing {

// What a window keeps between starts, kept in memory.
class MemorySettings final : public ui::Settings {
public:
    std::optional<std::string> Read(std::string_view key) override
    {
        const auto value = values.find(std::string(key));
        return value == values.end() ? std::nullopt : std::optional(value->second);
    }
    void Write(std::string_view key, std::string_view value) override { values[std::string(key)] = value; }

    std::map<std::string, std::string> values;
};

}  // namespace orvelin::testing
