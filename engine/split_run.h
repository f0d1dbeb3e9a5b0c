#pragma once

#include "engine/failure.h"
#include "engine/host_services.h"
#include "engine/run_outcome.h"
#include "engine/run_state.h"

#include <optional>
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

    // What the last run did; read it also after ProgramEnd left RunFromFile.
    const RunOutcome& outcome() const { return outcome_; }

private:
    // Guarded steps whose failure, if any, the outcome records at stage.
    template <typename Steps>
    bool Guard(RunOutcome::Stage stage, std::string_view prefix, Steps&& steps);
    void LetEventsRun();
    void RunChunkLoop(int& turn);
    void RunClosingStage();
    // Makes the output folder when it holds no ordinary file; the failure of
    // making it, if any (an existing folder fails too).
    std::optional<ErrorInfo> MakeOutputFolderIfEmpty();

    RunState& state_;
    HostServices& host_;
    // The output folder this run last wrote an event file into.
    std::string folderWritten_;
    RunOutcome outcome_;
};

}  // namespace orvelin
