#pragma once

#include "engine/error_number.h"

#include <new>
#include <optional>
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
    // A caught failure raised again.
    explicit Failure(ErrorInfo info);

    const ErrorInfo& info() const noexcept { return info_; }

private:
    ErrorInfo info_;
};

// Frees the memory kept aside so that running out of memory can still be
// reported (a box, a message); called when an allocation fails.
void ReleaseMemoryReserve() noexcept;

// Runs operation; a Failure comes back as its ErrorInfo.
template <typename Operation>
std::optional<ErrorInfo> CatchFailure(Operation&& operation)
{
    try {
        operation();
        return std::nullopt;
    } catch (const Failure& failure) {
        return failure.info();
    }
}

// The same, and memory running out anywhere in operation is a failure too
// ("Out of memory"): for the places that report failures and stop.
template <typename Operation>
std::optional<ErrorInfo> CatchAnyFailure(Operation&& operation)
{
    try {
        return CatchFailure(std::forward<Operation>(operation));
    } catch (const std::bad_alloc&) {
        ReleaseMemoryReserve();
        return Failure(ErrorNumber::OutOfMemory).info();
    }
}

// Thrown by HostServices::endProgram to unwind a run: it is not a failure, so
// no failure policy stops it, and no further step of the run executes.
struct ProgramEnd {};

}  // namespace orvelin
