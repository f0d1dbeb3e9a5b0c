#pragma once

#include "engine/failure.h"
#include "engine/file_names.h"
#include "engine/host_services.h"
#include "engine/run_outcome.h"
#include "engine/run_state.h"

#include <optional>
#include <string>

namespace orvelin {

struct CalendarStructure;
struct EntryGroup;

// How a run splits.
struct SplitOptions {
    // Each file a whole calendar that any calendar program reads with the
    // same meaning (standalone_file.h), instead of the event file format.
    bool standalone = false;
    // Where the files go instead of "VCS folder" beside the chosen file
    // (ending in a separator); made if missing.
    std::string outputFolder;
    // Standalone only: at most so many entries and (unless 0) bytes a file,
    // and what the files are named after.
    std::uint32_t perFile = 1;
    std::uint64_t maxBytes = 0;
    FileNaming naming = FileNaming::Number;
};

// One run of the splitter over RunState through HostServices: read the chosen
// file, cut it into event chunks, write one event file per chunk, report, end.
class SplitRun {
public:
    SplitRun(RunState& state, HostServices& host, SplitOptions options = {})
        : state_(state), host_(host), options_(std::move(options))
    {
    }

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
    // Runs loop (which counts its turns), then the closing stage, unless the
    // loop failed before its first file.
    template <typename Loop>
    void WriteFilesAndClose(Loop&& loop);
    void RunChunkLoop(int& turn);
    void RunClosingStage();
    // The standalone split of the text read: one calendar per entry.
    void SplitStandalone();
    void CreateStandaloneFile(const CalendarStructure& structure, const EntryGroup& group, FileNamer& namer);
    // The steps every event file takes before and after it is written.
    std::unique_ptr<OutputTextStream> OpenEventFile(std::string_view fileName);
    void CountEventFile(std::string_view fileName);
    void LetEventsRun();
    // Makes the output folder when it holds no ordinary file; the failure of
    // making it, if any (an existing folder fails too).
    std::optional<ErrorInfo> MakeOutputFolderIfEmpty();

    RunState& state_;
    HostServices& host_;
    SplitOptions options_;
    // The output folder this run last wrote an event file into.
    std::string folderWritten_;
    RunOutcome outcome_;
};

}  // namespace orvelin
