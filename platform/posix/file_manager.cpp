#include "platform/file_manager.h"

#include "engine/failure.h"

#include <cstring>
#include <fcntl.h>
#include <spawn.h>

extern char** environ;

namespace orvelin::platform {
namespace {

// posix_spawn's settings, released however the start ends.
struct SpawnSettings {
    SpawnSettings()
    {
        posix_spawn_file_actions_init(&actions);
        posix_spawnattr_init(&attributes);
    }
    ~SpawnSettings()
    {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
    SpawnSettings(const SpawnSettings&) = delete;
    SpawnSettings& operator=(const SpawnSettings&) = delete;

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
};

}  // namespace

std::vector<std::string> FileManagerCommand(const std::string& folder)
{
#if defined(__APPLE__)
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

    // In a session of its own and with no tie to our terminal or pipes, so
    // that it never holds a caller that waits for our output to end.
    SpawnSettings settings;
    for (const int stream : {0, 1, 2})
        posix_spawn_file_actions_addopen(&settings.actions, stream, "/dev/null", stream == 0 ? O_RDONLY : O_WRONLY, 0);
    posix_spawnattr_setflags(&settings.attributes, POSIX_SPAWN_SETSID);
    pid_t child = 0;
    const int error = ::posix_spawnp(&child, argv[0], &settings.actions, &settings.attributes, argv.data(), environ);
    if (error != 0) {
        throw Failure(ErrorNumber::FileManagerNotStarted,
                      std::string(DescriptionOf(ErrorNumber::FileManagerNotStarted)) + " (" + command[0] + ": " +
                          std::strerror(error) + ")");
    }
}

}  // namespace orvelin::platform
