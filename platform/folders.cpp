#include "platform/folders.h"

#include "engine/failure.h"
#include "platform/local_file_system.h"

#include <optional>

namespace orvelin::platform {

// A folder whose parent is missing is made after its parent, as "mkdir -p"
// makes them; when something that is no folder is in the way, the folder's
// own failure is told.
void MakeFolder(const std::string& folder)
{
    const std::optional<ErrorInfo> failure = CatchFailure([&] { MakeOneFolder(folder); });
    if (!failure)
        return;
    const std::string bare = WithoutFinalSeparators(folder);
    const std::size_t nameStart = NameStart(bare);
    if (failure->number != static_cast<int>(ErrorNumber::PathNotFound) || nameStart == 0 || nameStart == bare.size())
        throw Failure(*failure);
    const std::optional<ErrorInfo> parentFailure = CatchFailure([&] { MakeFolder(bare.substr(0, nameStart)); });
    if (parentFailure && parentFailure->number == static_cast<int>(ErrorNumber::FileAlreadyExists))
        throw Failure(*failure);
    if (parentFailure)
        throw Failure(*parentFailure);
    MakeOneFolder(folder);
}

bool CanHoldFiles(const std::string& path)
{
    if (IsFolder(path))
        return true;
    const std::string bare = path.substr(0, path.size() - (!path.empty() && NameStart(path) == path.size() ? 1 : 0));
    const std::string parent = bare.substr(0, NameStart(bare));
    return !IdentityOf(bare) && (parent.empty() || IsFolder(parent));
}

}  // namespace orvelin::platform
