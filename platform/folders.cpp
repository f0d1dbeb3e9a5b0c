#include "platform/folders.h"

#include "engine/failure.h"

#include <optional>

namespace orvelin::platform {

// A folder whose parent is missing is made after its parent, as "mkdir -p"
// makes them; a parent there by then will do (another run made it meanwhile,
// or its name is "." or ".."). When something that is no folder is in the
// way, the folder's own failure is told.
void MakeFolder(const std::string& folder)
{
    const std::optional<ErrorInfo> failure = CatchFailure([&] { MakeOneFolder(folder); });
    if (!failure)
        return;
    const std::string bare = WithoutFinalSeparators(folder);
    const std::size_t nameStart = NameStart(bare);
    if (failure->number != static_cast<int>(ErrorNumber::PathNotFound) || nameStart == 0 || nameStart == bare.size())
        throw Failure(*failure);
    const std::string parent = bare.substr(0, nameStart);
    const std::optional<ErrorInfo> parentFailure = CatchFailure([&] { MakeFolder(parent); });
    const bool there = parentFailure && parentFailure->number == static_cast<int>(ErrorNumber::FileAlreadyExists);
    if (there && !IsFolder(parent))
        throw Failure(*failure);
    if (parentFailure && !there)
        throw Failure(*parentFailure);
    MakeOneFolder(folder);
}

}  // namespace orvelin::platform
