#pragma once

#include "tests/support/temp_folder.h"

#include <chrono>
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
// stderrTo, stdoutTo: descriptors to hand the program instead of capturing its streams.
ProcessResult RunProcess(const std::vector<std::string>& command, const std::string& workingDirectory,
                         const std::vector<std::string>& extraEnvironment = {}, int stderrTo = -1, int stdoutTo = -1);

// A program started the same way and not yet waited for; one still running
// when this is destroyed is killed.
class StartedProcess {
public:
    StartedProcess(const std::vector<std::string>& command, const std::string& workingDirectory,
                   const std::vector<std::string>& extraEnvironment = {}, int stderrTo = -1, int stdoutTo = -1);
    ~StartedProcess();
    StartedProcess(const StartedProcess&) = delete;
    StartedProcess& operator=(const StartedProcess&) = delete;

    int pid() const { return pid_; }
    // Whether it ended within timeout (it is not waited for).
    bool EndedWithin(std::chrono::milliseconds timeout) const;
    // Whether, within timeout, it came to catch the signal (its handlers set:
    // the moment from which an interruption is its own to report).
    bool CatchesWithin(int signal, std::chrono::milliseconds timeout) const;
    // Waits for its end; the exit status is 128 + the signal's number when a signal ended it.
    ProcessResult Wait();

private:
    TempFolder capture_;
    int pid_ = -1;
};

}  // namespace orvelin::testing
