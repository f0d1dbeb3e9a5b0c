#include "platform/console.h"

#include "platform/windows/wide.h"

#include <io.h>
#include <windows.h>

#include <shellapi.h>

namespace orvelin::platform {

void PrepareConsole()
{
    ::SetConsoleOutputCP(CP_UTF8);
    // The progress line is redrawn with escape sequences.
    const HANDLE err = ::GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (::GetConsoleMode(err, &mode))
        ::SetConsoleMode(err, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}

std::vector<std::string> ProgramArguments(int /*argc*/, char** /*argv*/)
{
    // The narrow arguments are in the code page and lose what it cannot hold.
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i)
        arguments.push_back(Narrow(wide[i]));
    ::LocalFree(wide);
    return arguments;
}

bool IsTerminal(std::FILE* stream)
{
    return ::_isatty(::_fileno(stream)) != 0;
}

}  // namespace orvelin::platform
