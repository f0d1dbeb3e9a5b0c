#include "tests/posix/process.h"

#include "tests/support/temp_folder.h"

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace orvelin::testing {

ProcessResult RunProcess(const std::vector<std::string>& command, const std::string& workingDirectory,
                         const std::vector<std::string>& extraEnvironment, int stderrTo, int stdoutTo)
{
    return StartedProcess(command, workingDirectory, extraEnvironment, stderrTo, stdoutTo).Wait();
}

StartedProcess::StartedProcess(const std::vector<std::string>& command, const std::string& workingDirectory,
                               const std::vector<std::string>& extraEnvironment, int stderrTo, int stdoutTo)
{
    const TempFolder& capture = capture_;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (stdoutTo >= 0)
        posix_spawn_file_actions_adddup2(&actions, stdoutTo, 1);
    else
        posix_spawn_file_actions_addopen(&actions, 1, (capture / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (stderrTo >= 0)
        posix_spawn_file_actions_adddup2(&actions, stderrTo, 2);
    else
        posix_spawn_file_actions_addopen(&actions, 2, (capture / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addchdir_np(&actions, workingDirectory.c_str());

    std::vector<char*> argv;
    for (const std::string& argument : command)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    // The extra entries come first, so that they win over inherited ones.
    std::vector<char*> envp;
    for (const std::string& entry : extraEnvironment)
        envp.push_back(const_cast<char*>(entry.c_str()));
    for (char** entry = environ; *entry; ++entry)
        envp.push_back(*entry);
    envp.push_back(nullptr);

    pid_t child = 0;
    const int error = ::posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        throw std::runtime_error("cannot start " + command[0]);
    pid_ = child;
}

StartedProcess::~StartedProcess()
{
    // A test that stopped early leaves nothing running behind it.
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        Wait();
    }
}

bool StartedProcess::EndedWithin(std::chrono::milliseconds timeout) const
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    do {
        siginfo_t info{};
        if (::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid != 0)
            return true;
        ::usleep(10'000);
    } while (std::chrono::steady_clock::now() < end);
    return false;
}

bool StartedProcess::CatchesWithin(int signal, std::chrono::milliseconds timeout) const
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    const std::string status = "/proc/" + std::to_string(pid_) + "/status";
    do {
        const std::string text = ReadBytes(status);
        const std::size_t at = text.find("SigCgt:\t");
        if (at != std::string::npos && (std::stoull(text.substr(at + 8, 16), nullptr, 16) >> (signal - 1) & 1) != 0)
            return true;
        ::usleep(1'000);
    } while (std::chrono::steady_clock::now() < end);
    return false;
}

ProcessResult StartedProcess::Wait()
{
    int status = 0;
    rusage usage{};
    ::wait4(pid_, &status, 0, &usage);
    pid_ = -1;
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), ReadBytes(capture_ / "out"),
            ReadBytes(capture_ / "err"), usage.ru_maxrss / 1024};
}

}  // namespace orvelin::testing
