#include "platform/interruption.h"

#include "platform/windows/wide.h"

#include <csignal>
#include <cstdio>
#include <mutex>
#include <windows.h>

namespace orvelin::platform {
namespace {

// The console's handler runs on a thread of its own: it waits for the steps
// that must happen together, then removes the file in progress and ends.
std::recursive_mutex together;
std::wstring fileInProgress;
bool haveFileInProgress = false;
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
    if (haveFileInProgress)
        ::DeleteFileW(fileInProgress.c_str());
    std::fprintf(stderr, "%s: interrupted by %s\n", programName.c_str(), name);
    std::fflush(stderr);
    ::ExitProcess(static_cast<UINT>(128 + signal));
}

}  // namespace

void EndCleanlyOnInterruption(const char* name)
{
    programName = name;
    ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

void MarkFileInProgress(const std::string& path) noexcept
{
    const std::lock_guard lock(together);
    try {
        fileInProgress = OsPath(path);
        haveFileInProgress = true;
    } catch (...) {  // a path that cannot be named cannot have been created
        haveFileInProgress = false;
    }
}

void ClearFileInProgress() noexcept
{
    const std::lock_guard lock(together);
    haveFileInProgress = false;
}

InterruptionDeferred::InterruptionDeferred() noexcept
{
    together.lock();
}

InterruptionDeferred::~InterruptionDeferred()
{
    together.unlock();
}

}  // namespace orvelin::platform
