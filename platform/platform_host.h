#pragma once

#include "engine/host_services.h"
#include "platform/file_manager.h"

namespace orvelin::platform {

// The host services every front end takes from the platform: the folder
// services and opening the file manager. Front ends add the window side.
class PlatformHostServices : public HostServices {
public:
    // launcher: null leaves the file manager closed (the folder is still entered).
    explicit PlatformHostServices(FileManagerLauncher* launcher) : launcher_(launcher) {}

    // An ordinary file in folder (see HostServices), or "".
    std::string firstFileIn(const std::string& folder) override;
    void makeFolder(const std::string& folder) override;
    void openFolderView(const std::string& folder) override;

private:
    FileManagerLauncher* launcher_;
};

}  // namespace orvelin::platform
