#pragma once

#include <string>
#include <vector>

namespace orvelin::platform {

// Starts the system's file manager on a folder.
class FileManagerLauncher {
public:
    virtual ~FileManagerLauncher() = default;
    // Starts it without waiting; throws Failure when it cannot be started.
    virtual void Start(const std::string& folder) = 0;
};

// The program and its arguments that open folder in this system's file
// manager. The folder is always one argument of its own.
std::vector<std::string> FileManagerCommand(const std::string& folder);

// Starts a program directly (never through a shell) without waiting for it;
// throws Failure when it cannot be started.
void StartDetached(const std::vector<std::string>& command);

class SystemFileManager final : public FileManagerLauncher {
public:
    void Start(const std::string& folder) override;
};

}  // namespace orvelin::platform
