#include "engine/host_services.h"

#include "engine/failure.h"

namespace orvelin {

void HostServices::pumpEvents()
{
    if (processPendingEvents())
        endProgram();
}

void HostServices::endProgram()
{
    shutDown();
    throw ProgramEnd{};
}

}  // namespace orvelin
