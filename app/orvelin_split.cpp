// orvelin-split: the splitter for scripts. Runs exactly what Generate does on
// each FILE in turn; the summary goes to stdout, every problem to stderr as
// one line "orvelin-split: FILE: message", and the exit status says how it went.

#include "app/console_host.h"
#include "app/console_options.h"
#include "engine/failure.h"
#include "engine/failure_policy.h"
#include "engine/sizes.h"
#include "engine/split_run.h"
#include "platform/console.h"
#include "platform/folders.h"
#include "platform/interruption.h"
#include "platform/local_file_system.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <exception>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace orvelin;

using console::kFailed;
using console::kFilesWritten;
using console::kNothingToSplit;
using console::kProgram;

// Writes the tool's output; text that could not be written (a closed pipe, a
// full disk) makes the whole run a failure.
class Output {
public:
    void Out(std::FILE* stream, const std::string& line)
    {
        const std::string text = line + "\n";
        written_ &= std::fwrite(text.data(), 1, text.size(), stream) == text.size();
        written_ &= std::fflush(stream) == 0;
    }
    void Problem(const std::string& file, const std::string& message)
    {
        Out(stderr, std::string(kProgram) + ": " + file + ": " + message);
    }
    bool written() const { return written_; }

private:
    bool written_ = true;
};

// Paths are UTF-8 inside the program, on every OS.
std::filesystem::path PathOf(const std::string& utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8Of(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

// The path to run on: absolute where the OS can take it; deep in a tree
// whose absolute form is too long for the OS, the path as given, relative to
// the current folder.
std::string UsablePath(const std::string& given)
{
    std::error_code error;
    const std::string absolute = Utf8Of(std::filesystem::absolute(PathOf(given), error));
    return error || absolute.size() >= PATH_MAX ? given : absolute;
}

bool FilesWritten(const RunOutcome& outcome)
{
    return outcome.completed && outcome.filesWritten > 0;
}

int ExitStatusOf(const RunOutcome& outcome)
{
    if (!outcome.failures.empty())
        return kFailed;
    if (outcome.refusal != RunOutcome::Refusal::None)
        return kNothingToSplit;
    return FilesWritten(outcome) ? kFilesWritten : kFailed;
}

// What this program run has written into each output folder, known by the
// folder's key, taken for every FILE before the first run makes a folder:
// later FILEs continue there.
class Ledgers {
public:
    explicit Ledgers(FileNaming naming) : naming_(naming) {}

    FolderLedger& Of(const std::string& key)
    {
        for (Known& known : ledgers_) {
            if (known.key == key)
                return known.ledger;
        }
        return ledgers_.emplace_back(Known{key, FolderLedger(naming_)}).ledger;
    }

private:
    struct Known {
        std::string key;
        FolderLedger ledger;
    };

    FileNaming naming_;
    std::deque<Known> ledgers_;
};

// "VCS folder" of ".../VCS folder/".
std::string FolderName(const std::string& folder)
{
    const std::string bare = WithoutFinalSeparators(folder);
    return bare.substr(NameStart(bare));
}

std::string Files(std::uint64_t count)
{
    return std::to_string(count) + (count == 1 ? " file" : " files");
}

// What a plain split leaves of an earlier one in its folder, told once the
// last FILE into the folder is split.
struct LaterFiles {
    std::string key;
    std::string file;
    std::string folder;
    std::uint32_t count = 0;
    std::int32_t highest = 0;
};

// One FILE, split into its output folder, whose ledger the FILEs before it
// that share the folder have written.
int Split(const std::string& file, const std::string& path, const console::Options& options, FolderLedger& ledger,
          Output& output, LaterFiles& later)
{
    // The closing stage enters the output folder: later relative FILEs must
    // still be found where the user meant them.
    const platform::CurrentDirectoryKept currentDirectory;
    RunState state;
    state.fileSystem = std::make_unique<platform::LocalFileSystem>();
    platform::SystemFileManager fileManager;
    const std::string title = Utf8Of(PathOf(file).filename());
    console::ConsoleHost host(title, state, options.open ? &fileManager : nullptr, platform::IsTerminal(stderr));
    SplitRun run(state, host, options.split, &ledger);
    const bool named = options.files.size() > 1;
    std::optional<ErrorInfo> failure;
    try {
        failure = CatchAnyFailure([&] { run.RunFromFile(path); });
    } catch (const ProgramEnd&) {
        // The closing stage completed.
    }
    host.ClearProgressLine();

    const RunOutcome& outcome = run.outcome();
    for (const std::string& line : host.listing())
        output.Out(stdout, line);
    for (const std::string& name : outcome.wouldRemove)
        output.Out(stdout, name + "\tremoved");
    for (const RunOutcome::Oversized& entry : outcome.oversized) {
        // Exact bytes: rounded, an entry just over the limit would look like it.
        const std::string exactLimit = std::to_string(options.split.maxBytes) + " bytes";
        const std::string limit = SizeText(options.split.maxBytes, options.binaryUnits);
        output.Problem(file,
                       "entry at line " + std::to_string(entry.line) + ": " + std::to_string(entry.bytes) +
                           " bytes, over the limit of " +
                           (limit == exactLimit ? limit : limit + " (" + exactLimit + ")"));
    }
    const std::string prefix = named ? file + ": " : "";
    for (const RunOutcome::CaughtFailure& caught : outcome.failures)
        output.Problem(file, FailureLine(caught));
    if (outcome.refusal != RunOutcome::Refusal::None)
        output.Problem(file, std::string(RefusalText(outcome.refusal)));
    if (FilesWritten(outcome)) {
        // Entries that share files: the console says how many files.
        const auto files = static_cast<std::uint64_t>(outcome.filesWritten);
        output.Out(stdout,
                   prefix + EntriesGeneratedText(outcome.entriesWritten) +
                       (outcome.entriesWritten == files ? "" : " in " + Files(files)));
    }
    if (outcome.earlierFilesReplaced > 0)
        output.Out(stdout, prefix + "replaced the " + Files(outcome.earlierFilesReplaced) + " of the earlier split");
    for (const KeptName& name : outcome.namesKept)
        output.Out(stdout, prefix + "kept " + KeptNameText(name));
    for (const calendar::ConversionNote& note : outcome.notes)
        output.Problem(file, NoteLine(note));
    if (outcome.iCalendar2 && FilesWritten(outcome))
        output.Problem(file,
                       "an iCalendar 2.0 calendar: its event files lack its time zones and header lines; "
                       "--standalone writes whole calendars");
    later.file = file;
    later.count = outcome.laterFiles;
    later.highest = outcome.highestLaterFile;
    if (failure) {
        output.Problem(file, "Run-time error '" + std::to_string(failure->number) + "': " + failure->description);
        return kFailed;
    }
    if (!outcome.inputFound) {
        std::error_code error;
        output.Problem(file,
                       std::filesystem::is_directory(PathOf(path), error) ? "is a folder, not a file" : "no such file");
        return kFailed;
    }
    return ExitStatusOf(outcome);
}

int Main(int argc, char** argv)
{
    platform::ReportFileSizeLimitAsWriteFailure();
    platform::EndCleanlyOnInterruption(kProgram);
    platform::PrepareConsole();
    console::Options options;
    if (const std::optional<int> status = console::ParseArguments(platform::ProgramArguments(argc, argv), options))
        return *status;
    if (!options.split.outputFolder.empty())
        options.split.outputFolder = UsablePath(options.split.outputFolder);
    std::vector<std::string> paths;
    for (const std::string& file : options.files)
        paths.push_back(UsablePath(file));
    // No file written may replace one of them.
    options.split.inputs = paths;
    Output output;
    Ledgers ledgers(options.split.naming);
    // Every output folder's key is taken before any is made.
    std::vector<LaterFiles> later;
    platform::LocalFileSystem files;
    for (std::size_t i = 0; i < options.files.size(); ++i) {
        const std::string folder = OutputFolderFor(paths[i], Utf8Of(PathOf(options.files[i]).filename()),
                                                   options.split.outputFolder);
        later.push_back({files.FolderKey(folder), "", FolderName(folder)});
    }
    int status = kFilesWritten;
    for (std::size_t i = 0; i < options.files.size(); ++i)
        status = std::max(status,
                          Split(options.files[i], paths[i], options, ledgers.Of(later[i].key), output, later[i]));
    for (std::size_t i = 0; i < later.size(); ++i) {
        const bool lastIntoFolder = std::none_of(later.begin() + static_cast<std::ptrdiff_t>(i) + 1, later.end(),
                                                 [&](const LaterFiles& next) { return next.key == later[i].key; });
        if (lastIntoFolder && later[i].count > 0)
            output.Problem(later[i].file,
                           later[i].folder + " still holds " + Files(later[i].count) + " of an earlier split, up to " +
                               std::to_string(later[i].highest) + ".vcs");
    }
    return output.written() ? status : kFailed;
}

constexpr std::string_view kOutOfMemory = "orvelin-split: Out of memory\n";

// A process so short of memory that not even the failure can be thrown ends
// here; every other way to end up here is a thrown exception left uncaught.
[[noreturn]] void EndWhenNothingCanBeThrown()
{
    if (std::current_exception())
        std::abort();
    std::fwrite(kOutOfMemory.data(), 1, kOutOfMemory.size(), stderr);
    std::_Exit(kFailed);
}

}  // namespace

int main(int argc, char** argv)
{
    std::set_terminate(EndWhenNothingCanBeThrown);
    // Memory may run out before any run can report it: say so, and fail.
    try {
        return Main(argc, argv);
    } catch (const std::bad_alloc&) {
        ReleaseMemoryReserve();
        std::fwrite(kOutOfMemory.data(), 1, kOutOfMemory.size(), stderr);
        return kFailed;
    }
}
