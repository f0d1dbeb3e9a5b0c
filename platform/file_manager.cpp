#include "platform/file_manager.h"

#include "platform/folders.h"

namespace orvelin::platform {

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
