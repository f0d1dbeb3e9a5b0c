#include "platform/console.h"

#include <csignal>
#include <unistd.h>

namespace orvelin::platform {

void PrepareConsole()
{
    std::signal(SIGPIPE, SIG_IGN);
}

std::vector<std::string> ProgramArguments(int argc, char** argv)
{
    return {argv, argv + argc};
}

bool IsTerminal(std::FILE* stream)
{
    return ::isatty(::fileno(stream)) != 0;
}

}  // namespace orvelin::platform
