#include "tests/windows/process.h"

#include "tests/support/temp_folder.h"

#include <windows.h>

#include <stdexcept>

namespace orvelin::testing {
namespace {

std::wstring Wide(const std::string& utf8)
{
    return Utf8Path(utf8).wstring();
}

HANDLE Capture(const std::string& path)
{
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return ::CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS, 0, nullptr);
}

}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& command, const std::string& workingDirectory)
{
    std::string line;
    for (const std::string& argument : command)
        line += (line.empty() ? "\"" : " \"") + argument + "\"";
    return RunCommandLine(line, workingDirectory);
}

ProcessResult RunCommandLine(const std::string& commandLine, const std::string& workingDirectory)
{
    std::wstring line = Wide(commandLine);
    TempFolder capture;
    const HANDLE out = Capture(capture / "out");
    const HANDLE err = Capture(capture / "err");
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    const std::wstring folder = Wide(workingDirectory);
    const BOOL started = ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(),
                                          &startup, &process);
    ::CloseHandle(out);
    ::CloseHandle(err);
    if (!started)
        throw std::runtime_error("cannot start " + commandLine);
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 0;
    ::GetExitCodeProcess(process.hProcess, &status);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return {static_cast<int>(status), ReadBytes(capture / "out"), ReadBytes(capture / "err")};
}

}  // namespace orvelin::testing
