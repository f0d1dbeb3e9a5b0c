#pragma once

#include "engine/host_services.h"
#include "engine/run_state.h"

#include <string>

namespace orvelin {

// One run of the splitter over RunState through HostServices: read the chosen
// file, cut it into event chunks, write one event file per chunk, report, end.
class SplitRun {
public:
    SplitRun(RunState& state, HostServices& host) : state_(state), host_(host) {}

    // Returns when the run goes back to the window; when the closing stage
    // completes, host.endProgram() throws ProgramEnd out of this call.
    // Unguarded failures propagate as Failure.
    void RunFromFile(const std::string& path);

    void FindStartPos();
    void FindEndPos();
    // Writes eventText as event file number fileNumber, then advances it.
    void CreateVCS();

private:
    void RunChunkLoop(int& turn);
    void RunClosingStage();

    RunState& state_;
    HostServices& host_;
};

}  // namespace orvelin
