#include "platform/platform_host.h"

#include "platform/folders.h"

namespace orvelin::platform {

namespace {

constexpr std::chrono::milliseconds kSightingLifetime{100};

}  // namespace

// A run asks before every event file. Listing the folder each time would cost
// more than writing the file and grow with the number of files in it; even one
// lookup per file costs a noticeable share of the run.
std::string PlatformHostServices::firstFileIn(const std::string& folder)
{
    const auto now = std::chrono::steady_clock::now();
    if (!knownFile_.empty() && folder == knownFolder_) {
        if (now - knownAt_ < kSightingLifetime)
            return knownFile_;
        if (IsOrdinaryFile(folder + knownFile_)) {
            knownAt_ = now;
            return knownFile_;
        }
    }
    knownFolder_ = folder;
    knownFile_ = FirstFileIn(folder);
    knownAt_ = now;
    return knownFile_;
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
