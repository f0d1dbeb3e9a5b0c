#pragma once

#include "engine/failure.h"
#include "engine/file_names.h"
#include "engine/host_services.h"
#include "engine/run_outcome.h"
#include "engine/run_state.h"
#include "engine/standalone_file.h"

#include <functional>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

namespace orvelin {

// How a run splits.
struct SplitOptions {
    // Each file a whole calendar that any calendar program reads with the
    // same meaning (standalone_file.h), instead of the event file format.
    bool standalone = false;
    // Where the files go instead of "VCS folder" beside the chosen file
    // (ending in a separator); made if missing.
    std::string outputFolder{};
    // Standalone only: at most so many entries (FileLimits::kAnyNumber: any
    // number) and, unless 0, bytes a file, and what the files are named after.
    std::uint32_t perFile = 1;
    std::uint64_t maxBytes = 0;
    FileNaming naming = FileNaming::Number;
    Period period = Period::None;  // files by period (named after it) instead
    // Standalone: each entry of a vCalendar 1.0 calendar written as an
    // iCalendar 2.0 one that means the same; an entry of a 2.0 calendar that
    // lacks a UID is given one (calendar/conversion.h).
    bool toICalendar = false;
    // Everything but the writing: each file that would be written is told to
    // HostServices::listFile instead; no folder and no file is made.
    bool dryRun = false;
    // The other files the program run splits: no file it writes may replace
    // one of them, nor the chosen file.
    std::vector<std::string> inputs{};
};

// What the runs of one program run have written into one output folder: a
// later run into it continues its numbering and its names, so that none
// replaces a file another wrote.
struct FolderLedger {
    explicit FolderLedger(FileNaming naming) : namer(naming) {}
    std::int32_t nextNumber = 1;
    FileNamer namer;
    // What the folder held before the first run into it.
    std::optional<FolderContents> before;
    // The names of the earlier result's files there, as the OS compares
    // names: a standalone run may replace them.
    std::unordered_set<std::string> replaceable;
};

// The folder the event files of sourcePath go into (ending in a separator):
// outputFolder when one is given, else "VCS folder" beside the file, whose
// name and extension are fileTitle.
std::string OutputFolderFor(std::string_view sourcePath, std::string_view fileTitle, std::string_view outputFolder);

// One run of the splitter over RunState through HostServices: read the chosen
// file, cut it into event chunks, write one event file per chunk, report, end.
class SplitRun {
public:
    // ledger: what earlier runs wrote into the output folder; none when this
    // run is the program run's first there.
    SplitRun(RunState& state, HostServices& host, SplitOptions options = {}, FolderLedger* ledger = nullptr)
        : state_(state), host_(host), options_(std::move(options)), ownLedger_(options_.naming),
          ledger_(ledger ? *ledger : ownLedger_)
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
    bool Guard(RunOutcome::Stage stage, Steps&& steps);
    // Runs loop (which counts its turns), then the closing stage, unless the
    // loop failed before its first file.
    template <typename Loop>
    void WriteFilesAndClose(Loop&& loop);
    void RunChunkLoop(int& turn);
    void RunClosingStage();
    // The standalone split of the text read: one calendar per entry.
    void SplitStandalone();
    void CreateStandaloneFile(const CalendarStructure& structure, const StandalonePlan& plan, const PlannedFile& file);
    // Reads what the output folder holds, the first time a run of the
    // program run writes into it; true for that run.
    bool ReadOutputFolder();
    // A standalone run's files are its result in the output folder: they
    // replace an earlier result there, or join the one of an earlier FILE.
    void KeepResult(const StandalonePlan& plan, bool replacing);
    // A result that stops short of complete replaces nothing.
    void StopReplacing();
    // The plain split: what the folder still holds of an earlier split.
    void CountLaterFiles();
    // The calendar read for a standalone split: as it is, or as iCalendar 2.0.
    CalendarStructure ReadForStandalone(CalendarStructure input);
    // The names in the output folder under which the run's inputs are found.
    std::vector<std::string> InputNamesInOutputFolder();
    // Fails when a file the run writes would replace one of its inputs;
    // plannedAs(name) gives the name of the run's file that name in the output
    // folder may be, if any.
    template <typename PlannedAs>
    void RefuseToReplaceInputs(PlannedAs&& plannedAs);
    // The number of event files the plain split of content makes.
    std::int32_t CountChunks() const;
    void SetOutputFolder();
    // The steps every event file takes before and after it is written; in a
    // dry run, write is not called and the file is listed instead.
    // overwrite: a file of that name is replaced.
    void PutEventFile(std::string_view fileName, std::uint32_t entries, bool overwrite,
                      const std::function<void(OutputTextStream&)>& write);
    std::unique_ptr<OutputTextStream> OpenEventFile(std::string_view fileName, bool overwrite);
    void CountEventFile(std::string_view fileName, std::uint32_t entries);
    void LetEventsRun();
    // Makes the output folder when it holds no ordinary file; the failure of
    // making it, if any (an existing folder fails too).
    std::optional<ErrorInfo> MakeOutputFolderIfEmpty();

    RunState& state_;
    HostServices& host_;
    SplitOptions options_;
    FolderLedger ownLedger_;
    FolderLedger& ledger_;
    // The output folder this run last wrote an event file into.
    std::string folderWritten_;
    // What a standalone split writes from: the input's text, or the input as
    // iCalendar 2.0 (converted_), and where each of its entries begins in the
    // input, for what is told of them.
    std::string converted_;
    std::string_view text_;
    std::vector<std::size_t> entryLines_;
    // Its files are a result recorded there, replacing an earlier one.
    bool recording_ = false;
    bool replacing_ = false;
    RunOutcome outcome_;
};

}  // namespace orvelin
