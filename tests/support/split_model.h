#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvelin::testing {

// What splitting a calendar must give, worked out independently of the
// engine's own search code.
struct ModelSplit {
    enum class Outcome { Refused, InvalidStart, NoEndMarker, Files };
    Outcome outcome = Outcome::Refused;
    std::vector<std::string_view> chunks;  // one per event file, at most kLastFileNumber
    bool overflow = false;                 // more chunks than the counter can number
};

ModelSplit SplitByModel(std::string_view input);

// Runs the engine on input (in memory) and compares everything it did with
// the model; "" when they agree, else what differs.
std::string CompareEngineWithModel(const std::string& input);

}  // namespace orvelin::testing
