#pragma once

#include "engine/error_number.h"

#include <stdexcept>
#include <string>

namespace orvelin {

// The number and description of a caught failure.
struct ErrorInfo {
    int number = 0;
    std::string description;

    bool operator==(const ErrorInfo&) const = default;
};

// A failed operation. Each procedure's failure policy (failure_policy.h)
// decides what follows.
class Failure : public std::runtime_error {
public:
    explicit Failure(ErrorNumber number);
    // A more precise description than the standard one for the number.
    Failure(ErrorNumber number, std::string description);

    const ErrorInfo& info() const noexcept { return info_; }

private:
    ErrorInfo info_;
};

// Thrown by HostServices::endProgram to unwind a run: it is not a failure, so
// no failure policy stops it, and no further step of the run executes.
struct ProgramEnd {};

}  // namespace orvelin
