#include "platform/file_manager.h"

#include "engine/failure.h"
#include "platform/folders.h"

#include <cstring>
#include <spawn.h>

extern char** environ;

namespace orvelin::platform {

std::vector<std::string> FileManagerCommand(const std::string& folder)
{
#if defined(_WIN32)
    return {"explorer.exe", "/n,", folder};
#elif defined(__APPLE__)
    return {"open", folder};
#else
    return {"xdg-open", folder};
#endif
}

void StartDetached(const std::vector<std::string>& command)
{
    std::vector<char*> argv;
    argv.reserve(command.size() + 1);
    for (const std::string& argument : command)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t child = 0;
    const int error = ::posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ);
    if (error != 0) {
        throw Failure(ErrorNumber::FileManagerNotStarted,
                      std::string(DescriptionOf(ErrorNumber::FileManagerNotStarted)) + " (" + command[0] + ": " +
                          std::strerror(error) + ")");
    }
}

void SystemFileManager::Start(const std::string& folder)
{
    StartDetached(FileManagerCommand(folder));
}

void OpenFolderView(const std::string& folder, FileManagerLauncher* launcher)
{
    const std::string current = ChangeDirectory(folder);
    if (launcher)
        launcher->Start(current);
}

}  // namespace orvelin::platform
