#include "platform/interruption.h"

#include <atomic>
#include <climits>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace orvelin::platform {
namespace {

// Everything the handler touches is fixed-size and written before the handler
// can read it: it may run between any two instructions.
char programName[64] = "orvelin";
char fileInProgress[PATH_MAX + 1];
volatile std::sig_atomic_t haveFileInProgress = 0;
volatile std::sig_atomic_t deferring = 0;  // nesting depth
volatile std::sig_atomic_t pendingSignal = 0;

void Put(const char* text) noexcept
{
    const ssize_t ignored = ::write(STDERR_FILENO, text, std::strlen(text));
    (void)ignored;
}

[[noreturn]] void EndOnSignal(int signal) noexcept
{
    if (haveFileInProgress)
        ::unlink(fileInProgress);
    Put(programName);
    Put(": interrupted by ");
    Put(signal == SIGINT ? "SIGINT\n" : signal == SIGTERM ? "SIGTERM\n" : "SIGHUP\n");
    ::_exit(128 + signal);
}

void OnSignal(int signal)
{
    if (deferring)
        pendingSignal = signal;
    else
        EndOnSignal(signal);
}

}  // namespace

void EndCleanlyOnInterruption(const char* name)
{
    std::strncpy(programName, name, sizeof programName - 1);
    struct sigaction action {};
    action.sa_handler = OnSignal;
    action.sa_flags = SA_RESTART;
    sigfillset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

void MarkFileInProgress(const std::string& path) noexcept
{
    haveFileInProgress = 0;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    if (path.size() >= sizeof fileInProgress)
        return;  // no such path can have been created
    std::memcpy(fileInProgress, path.c_str(), path.size() + 1);
    std::atomic_signal_fence(std::memory_order_seq_cst);
    haveFileInProgress = 1;
}

void ClearFileInProgress() noexcept
{
    haveFileInProgress = 0;
    std::atomic_signal_fence(std::memory_order_seq_cst);
}

InterruptionDeferred::InterruptionDeferred() noexcept
{
    deferring = deferring + 1;
    std::atomic_signal_fence(std::memory_order_seq_cst);
}

InterruptionDeferred::~InterruptionDeferred()
{
    std::atomic_signal_fence(std::memory_order_seq_cst);
    deferring = deferring - 1;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    if (deferring == 0 && pendingSignal)
        EndOnSignal(pendingSignal);
}

}  // namespace orvelin::platform
