#include "platform/local_file_system.h"

#include "platform/os_files.h"

namespace orvelin::platform {

std::unique_ptr<OutputTextStream> LocalFileSystem::CreateTextFile(const std::string& path, bool overwrite)
{
    const std::string_view folder = std::string_view(path).substr(0, path.find_last_of("\\/") + 1);
    if (folder != hints_.knownFolder) {
        hints_.knownFolder = folder;
        hints_.durableFolder = !IsInMemory(hints_.knownFolder.empty() ? "." : hints_.knownFolder);
    }
    return OpenEventFile(path, overwrite, hints_.durableFolder, hints_.expectTakenName);
}

std::string TemporaryNameFor(const std::string& target, unsigned long processId, int attempt)
{
    const std::size_t nameStart = target.find_last_of("\\/") + 1;
    std::string name = target.substr(0, nameStart);
    name += '.';
    name.append(target, nameStart);
    name += '.';
    name += std::to_string(processId);
    name += '-';
    name += std::to_string(attempt);
    name += ".tmp";
    return name;
}

}  // namespace orvelin::platform
