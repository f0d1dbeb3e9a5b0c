#include "platform/platform_host.h"

#include "platform/folders.h"

namespace orvelin::platform {

std::string PlatformHostServices::firstFileIn(const std::string& folder)
{
    return FirstFileIn(folder);
}

void PlatformHostServices::makeFolder(const std::string& folder)
{
    MakeFolder(folder);
}

void PlatformHostServices::openFolderView(const std::string& folder)
{
    OpenFolderView(folder, launcher_);
}

}  // namespace orvelin::platform
