#include "engine/host_services.h"

#include "engine/box_texts.h"
#include "engine/failure.h"

namespace orvelin {

bool HostServices::showSummary(std::string_view text, const RunSummary& /*summary*/)
{
    showMessage(text, kInfoTitle, MessageIcon::Information);
    return true;
}

void HostServices::showEntries(std::uint64_t /*written*/, std::uint64_t /*total*/) {}

void HostServices::listFile(std::string_view /*name*/, std::uint64_t /*entries*/, std::uint64_t /*bytes*/) {}

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
