#include "platform/interruption.h"

#include <csignal>
#include <cstdio>
#include <mutex>
#include <string>
#include <windows.h>

namespace orvelin::platform {
namespace {

// The console's handler runs on a thread of its own: it waits for the steps
// that must happen together, then runs the cleanup and ends.
std::recursive_mutex together;
InterruptionCleanup* cleanup = nullptr;
std::string programName = "orvelin";

BOOL WINAPI OnConsoleEvent(DWORD event)
{
    int signal = SIGINT;
    const char* name = "SIGINT";
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
        signal = SIGTERM;
        name = "SIGTERM";
    }
    together.lock();
    if (cleanup != nullptr)
        cleanup->OnInterruption();
    std::fprintf(stderr, "%s: interrupted by %s\n", programName.c_str(), name);
    std::fflush(stderr);
    ::ExitProcess(static_cast<UINT>(128 + signal));
}

class ConsoleInterruptions final : public Interruptions {
public:
    void Defer() noexcept override { together.lock(); }
    void Resume() noexcept override { together.unlock(); }

    void SetCleanup(InterruptionCleanup* current) noexcept override
    {
        const std::lock_guard lock(together);
        cleanup = current;
    }

    void WithdrawCleanup(InterruptionCleanup* withdrawn) noexcept override
    {
        const std::lock_guard lock(together);
        if (cleanup == withdrawn)
            cleanup = nullptr;
    }
};

}  // namespace

Interruptions& ProcessInterruptions()
{
    static ConsoleInterruptions interruptions;
    return interruptions;
}

void EndCleanlyOnInterruption(const char* name)
{
    programName = name;
    ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

void ReportFileSizeLimitAsWriteFailure()
{
    // Windows has no file-size limit signal: a write past a limit simply fails.
}

}  // namespace orvelin::platform
