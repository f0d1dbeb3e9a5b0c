#include "platform/interruption.h"

#include <atomic>
#include <csignal>
#include <cstring>
#include <unistd.h>

#ifdef ORVELIN_COVERAGE
extern "C" void __gcov_dump();
#endif

namespace orvelin::platform {
namespace {

// Everything the handler touches is fixed-size and written before the handler
// can read it: it may run between any two instructions.
char programName[64] = "orvelin";
volatile std::sig_atomic_t deferring = 0;  // nesting depth
volatile std::sig_atomic_t pendingSignal = 0;
std::atomic<InterruptionCleanup*> cleanup{nullptr};
static_assert(std::atomic<InterruptionCleanup*>::is_always_lock_free, "read from a signal handler");

void Put(const char* text) noexcept
{
    const ssize_t ignored = ::write(STDERR_FILENO, text, std::strlen(text));
    (void)ignored;
}

[[noreturn]] void EndOnSignal(int signal) noexcept
{
    // The cleanup runs as one deferred step: nothing in it ends the program again.
    pendingSignal = 0;
    deferring = 1;
    if (InterruptionCleanup* current = cleanup.load())
        current->OnInterruption();
    Put(programName);
    Put(": interrupted by ");
    Put(signal == SIGINT ? "SIGINT\n" : signal == SIGTERM ? "SIGTERM\n" : "SIGHUP\n");
#ifdef ORVELIN_COVERAGE
    __gcov_dump();  // _exit skips the writing of the counts at exit
#endif
    ::_exit(128 + signal);
}

void OnSignal(int signal)
{
    if (deferring)
        pendingSignal = signal;
    else
        EndOnSignal(signal);
}

class SignalInterruptions final : public Interruptions {
public:
    void Defer() noexcept override
    {
        deferring = deferring + 1;
        std::atomic_signal_fence(std::memory_order_seq_cst);
    }

    void Resume() noexcept override
    {
        std::atomic_signal_fence(std::memory_order_seq_cst);
        deferring = deferring - 1;
        std::atomic_signal_fence(std::memory_order_seq_cst);
        if (deferring == 0 && pendingSignal)
            EndOnSignal(pendingSignal);
    }

    void SetCleanup(InterruptionCleanup* current) noexcept override { cleanup.store(current); }

    void WithdrawCleanup(InterruptionCleanup* withdrawn) noexcept override
    {
        cleanup.compare_exchange_strong(withdrawn, nullptr);
    }
};

}  // namespace

Interruptions& ProcessInterruptions()
{
    static SignalInterruptions interruptions;
    return interruptions;
}

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

void ReportFileSizeLimitAsWriteFailure()
{
    std::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace orvelin::platform
