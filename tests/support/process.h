#pragma once

#include <string>
#include <vector>

namespace orvelin::testing {

struct ProcessResult {
    int exitStatus = -1;
    std::string out;
    std::string err;
    long peakRssMiB = 0;
};

// Runs a program to its end in folder workingDirectory with stdin from /dev/null,
// capturing stdout and stderr; extraEnvironment entries are "NAME=value" and
// take precedence over the inherited environment.
// stderrTo: a descriptor to hand the program as its stderr instead of capturing it.
ProcessResult RunProcess(const std::vector<std::string>& command, const std::string& workingDirectory,
                         const std::vector<std::string>& extraEnvironment = {}, int stderrTo = -1);

}  // namespace orvelin::testing
