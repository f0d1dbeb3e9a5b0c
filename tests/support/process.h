#pragma once

#include <string>
#include <vector>

namespace orvelin::testing {

struct ProcessResult {
    int exitStatus = -1;
    std::string out;
    std::string err;
};

// Runs a program to its end in folder workingDirectory with stdin from /dev/null,
// capturing stdout and stderr; extraEnvironment entries are "NAME=value".
ProcessResult RunProcess(const std::vector<std::string>& command, const std::string& workingDirectory,
                         const std::vector<std::string>& extraEnvironment = {});

}  // namespace orvelin::testing
