#pragma once

#include "platform/file_primitives.h"

namespace orvelin::platform {

// Moves from to the name to unless to exists (AlreadyExists), on a file
// system that cannot refuse a rename that would replace: a hard link
// refuses; where there are none, a rename where nothing was just seen.
OsCode MoveToNewNameByLink(const std::string& from, const std::string& to) noexcept;

}  // namespace orvelin::platform
