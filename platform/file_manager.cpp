#include "platform/file_manager.h"

namespace orvelin::platform {

void SystemFileManager::Start(const std::string& folder)
{
    StartDetached(FileManagerCommand(folder));
}

}  // namespace orvelin::platform
