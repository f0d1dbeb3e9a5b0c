#include "engine/failure.h"

namespace orvelin {

Failure::Failure(ErrorNumber number)
    : Failure(number, std::string(DescriptionOf(number)))
{
}

Failure::Failure(ErrorNumber number, std::string description)
    : std::runtime_error(description), info_{static_cast<int>(number), std::move(description)}
{
}

}  // namespace orvelin
