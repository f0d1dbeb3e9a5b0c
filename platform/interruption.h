#pragma once

#include <string>

namespace orvelin::platform {

// Makes an interruption (SIGINT, SIGTERM or SIGHUP; Ctrl+C or a closing
// console on Windows) end the program without leaving an incomplete event
// file: the file being written is removed, stderr gets one line
// "PROGRAM: interrupted by SIGNAL", and the exit status is 128 + the signal's
// number. Call once at start-up.
void EndCleanlyOnInterruption(const char* programName);

// The file at path is incomplete until ClearFileInProgress: an interruption
// removes it. One file at a time; call both inside an InterruptionDeferred.
void MarkFileInProgress(const std::string& path) noexcept;
void ClearFileInProgress() noexcept;

// While one lives, an interruption waits, so that creating a file and marking
// it, or completing it and clearing the mark, happen together or not at all.
class InterruptionDeferred {
public:
    InterruptionDeferred() noexcept;
    // Acts on an interruption that came meanwhile: the program ends here.
    ~InterruptionDeferred();
    InterruptionDeferred(const InterruptionDeferred&) = delete;
    InterruptionDeferred& operator=(const InterruptionDeferred&) = delete;
};

}  // namespace orvelin::platform
