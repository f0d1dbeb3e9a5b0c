#pragma once

namespace orvelin::platform {

// What must be done before an interruption ends the program. On POSIX it runs
// in a signal handler: it may make system calls and read memory, nothing else.
class InterruptionCleanup {
public:
    virtual void OnInterruption() noexcept = 0;

protected:
    ~InterruptionCleanup() = default;
};

// Interruptions of the program (SIGINT, SIGTERM and SIGHUP; Ctrl+C or a
// closing console on Windows): each ends it after the current cleanup ran.
class Interruptions {
public:
    virtual ~Interruptions() = default;
    // While deferred, an interruption waits. Deferrals nest.
    virtual void Defer() noexcept = 0;
    // Ends one deferral; an interruption that came meanwhile ends the program here.
    virtual void Resume() noexcept = 0;
    // The cleanup to run from now on (the newest wins), and its withdrawal.
    virtual void SetCleanup(InterruptionCleanup* cleanup) noexcept = 0;
    virtual void WithdrawCleanup(InterruptionCleanup* cleanup) noexcept = 0;
};

// This process's interruptions.
Interruptions& ProcessInterruptions();

// Makes an interruption end the program cleanly: the current cleanup runs,
// stderr gets one line "PROGRAM: interrupted by SIGNAL", and the exit status
// is 128 + the signal's number. Call once at start-up.
void EndCleanlyOnInterruption(const char* programName);

// Makes a write beyond the process's file-size limit fail, so that it is
// reported and the incomplete file removed, instead of the limit's signal
// killing the program half-way through a file. Call once at start-up.
void ReportFileSizeLimitAsWriteFailure();

// While one lives, an interruption waits, so that steps that belong together
// (creating a file and noting it, putting it in place and forgetting it)
// happen together or not at all.
class InterruptionDeferred {
public:
    explicit InterruptionDeferred(Interruptions& interruptions) noexcept : interruptions_(interruptions)
    {
        interruptions_.Defer();
    }
    ~InterruptionDeferred() { interruptions_.Resume(); }
    InterruptionDeferred(const InterruptionDeferred&) = delete;
    InterruptionDeferred& operator=(const InterruptionDeferred&) = delete;

private:
    Interruptions& interruptions_;
};

}  // namespace orvelin::platform
