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
// The same with the command line as given (an installer reads "/S" only unquoted).
ProcessResult RunCommandLine(const std::string& commandLine, const std::string& workingDirectory);

}  // namespace orvelin::testing
