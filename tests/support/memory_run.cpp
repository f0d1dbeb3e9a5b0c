#include "tests/support/memory_run.h"

#include "engine/failure.h"
#include "engine/split_run.h"

namespace orvelin::testing {

MemoryRun::MemoryRun()
{
    disk->folders.insert("/cal/");
    host.firstFileInImpl = [this](const std::string& folder) { return disk->FirstFileIn(folder); };
    host.makeFolderImpl = [this](const std::string& folder) { disk->MakeFolder(folder); };
    state.fileSystem = std::make_unique<MemoryFileSystem>(disk);
}

bool MemoryRun::Run(const std::string& content)
{
    disk->files[kInputPath] = content;
    SplitRun run(state, host, options);
    bool ended = false;
    try {
        run.RunFromFile(kInputPath);
    } catch (const ProgramEnd&) {
        ended = true;
    }
    outcome = run.outcome();
    return ended;
}

std::string MemoryRun::File(int number) const
{
    const auto file = disk->files.find(kOutputFolder + std::to_string(number) + ".vcs");
    return file == disk->files.end() ? "<missing>" : file->second;
}

std::size_t MemoryRun::OutputFileCount() const
{
    return OutputFiles().size();
}

std::map<std::string, std::string> MemoryRun::OutputFiles() const
{
    std::map<std::string, std::string> files;
    for (const auto& [path, bytes] : disk->files) {
        if (path.starts_with(kOutputFolder))
            files[path.substr(std::string_view(kOutputFolder).size())] = bytes;
    }
    return files;
}

}  // namespace orvelin::testing
