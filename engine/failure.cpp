#include "engine/failure.h"

#include <cstdlib>
#include <memory>

namespace orvelin {
namespace {

// Address space only: its pages are never touched. Large enough for the
// allocator to grow its heap again once it is freed. A process too short of
// memory to take it goes without: running out is still reported, only with
// less room to do it in. Taken with malloc: a nothrow new that fails still
// throws inside, which ends a process too short of memory to throw.
constexpr std::size_t kMemoryReserve = 4 * 1024 * 1024;
std::unique_ptr<void, void (*)(void*)> memoryReserve(std::malloc(kMemoryReserve), &std::free);

}  // namespace

void ReleaseMemoryReserve() noexcept
{
    memoryReserve.reset();
}

Failure::Failure(ErrorNumber number) : Failure(number, std::string(DescriptionOf(number))) {}

Failure::Failure(ErrorNumber number, std::string description)
    : std::runtime_error(description), info_{static_cast<int>(number), std::move(description)}
{
}

Failure::Failure(ErrorInfo info) : std::runtime_error(info.description), info_(std::move(info)) {}

}  // namespace orvelin
