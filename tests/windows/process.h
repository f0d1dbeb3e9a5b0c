#pragma once

#include <string>
#include <vector>

namespace orvelin::testing {

struct ProcessResult {
    int exitStatus = -1;
    std::string out;
    std::string err;
};

// Runs a program (arguments UTF-8) to its end in workingDirectory, capturing
// stdout and stderr.
ProcessResult RunProcess(const std::vector<std::string>& command, const std::string& workingDirectory);

}  // namespace orvelin::testing
