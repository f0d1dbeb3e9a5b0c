#pragma once

#include "engine/failure.h"

#include <string_view>

namespace orvelin::platform {

// The numbered failure for an OS error code (errno), with a readable description.
Failure FailureFromErrno(int error);

// The same for the errno of the call that just failed.
[[noreturn]] void ThrowLastError();

}  // namespace orvelin::platform
