#include "platform/file_manager.h"

#include "engine/failure.h"
#include "platform/windows/wide.h"

#include <windows.h>

namespace orvelin::platform {
namespace {

// One argument as the C run-time's command-line parser reads it back:
// quoted, with backslashes before a quote doubled.
std::wstring Quoted(const std::wstring& argument)
{
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos)
        return argument;
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

// The program's full path, found along PATH only: never in the current
// folder, which at this point is the output folder.
std::wstring FindProgram(const std::wstring& name)
{
    const DWORD size = ::GetEnvironmentVariableW(L"PATH", nullptr, 0);
    std::wstring path(size, L'\0');
    path.resize(::GetEnvironmentVariableW(L"PATH", path.data(), size));
    for (std::size_t start = 0; start <= path.size();) {
        const std::size_t end = std::min(path.find(L';', start), path.size());
        std::wstring candidate = path.substr(start, end - start);
        start = end + 1;
        if (candidate.empty())
            continue;
        if (!candidate.ends_with(L'\\'))
            candidate += L'\\';
        candidate += name;
        const DWORD attributes = ::GetFileAttributesW(candidate.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            return candidate;
    }
    return {};
}

[[noreturn]] void FailToStart(const std::string& program, const std::string& reason)
{
    throw Failure(ErrorNumber::FileManagerNotStarted,
                  std::string(DescriptionOf(ErrorNumber::FileManagerNotStarted)) + " (" + program + ": " + reason +
                      ")");
}

std::wstring CommandLine(const std::vector<std::string>& command)
{
    std::wstring line;
    for (const std::string& argument : command) {
        if (!line.empty())
            line += L' ';
        line += Quoted(Widen(argument));
    }
    return line;
}

}  // namespace

std::vector<std::string> FileManagerCommand(const std::string& folder)
{
    return {"explorer.exe", "/n,", folder};
}

void StartDetached(const std::vector<std::string>& command)
{
    const std::wstring program = FindProgram(Widen(command[0]));
    if (program.empty())
        FailToStart(command[0], "not found");
    std::wstring line = CommandLine(command);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    // No handles inherited and no console shared: it never holds our streams.
    if (!::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE,
                          CREATE_NEW_PROCESS_GROUP | DETACHED_PROCESS, nullptr, nullptr, &startup, &process))
        FailToStart(command[0], "Windows error " + std::to_string(::GetLastError()));
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
}

}  // namespace orvelin::platform
