#pragma once

#include "engine/standalone_file.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvelin::testing {

// What the standalone split of a calendar must give, worked out
// independently of the engine's own reader: the files in order, the line of
// a structural fault, or neither (nothing to split).
struct ModelStandalone {
    std::vector<std::string> files;
    std::optional<std::size_t> faultLine;
    std::size_t mixed = 0;  // files that hold entries of several calendar objects
};

ModelStandalone StandaloneByModel(std::string_view input, FileLimits limits = {});

// Runs the engine's standalone split on input (in memory) and compares its
// files and its words with the model; "" when they agree, else what differs.
std::string CompareStandaloneWithModel(const std::string& input, FileLimits limits = {});

}  // namespace orvelin::testing
