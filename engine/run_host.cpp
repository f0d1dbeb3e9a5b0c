#include "engine/run_host.h"

namespace orvelin {

std::string RunHost::firstFileIn(const std::string& folder)
{
    return state_.fileSystem->FirstFileIn(folder);
}

void RunHost::makeFolder(const std::string& folder)
{
    state_.fileSystem->MakeFolder(folder);
}

void RunHost::openFolderView(const std::string& folder)
{
    const std::string current = state_.fileSystem->EnterFolder(folder);
    if (startFileManager_)
        startFileManager_(current);
}

}  // namespace orvelin
