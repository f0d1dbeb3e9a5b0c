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
#include <deque>
#include <cstdio>
#include <cstdlib>
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

// The line a box's text gives on a console: an error box without its preamble.
std::string ConsoleLine(std::string_view boxText)
{
    if (boxText.starts_with(kErrorBoxPreamble))
        boxText.remove_prefix(kErrorBoxPreamble.size());
    return std::string(boxText);
}

bool FilesWritten(const RunOutcome& outcome)
{
    return outcome.completed && outcome.filesWritten > 0;
}

int ExitStatusOf(const RunOutcome& outcome)
{
    if (outcome.failure)
        return kFailed;
    if (outcome.refusal != RunOutcome::Refusal::None)
        return kNothingToSplit;
    return FilesWritten(outcome) ? kFilesWritten : kFailed;
}

// What this program run has written into each output folder, known by its
// identity however it is spelled, or, while it does not exist (a dry run
// makes none), by its path made plain: later FILEs continue there.
class Ledgers {
public:
    explicit Ledgers(FileNaming naming) : naming_(naming) {}

    // The ledger of folder, if a FILE before wrote (or would have written) into it.
    FolderLedger* Find(const std::string& folder)
    {
        const std::optional<platform::FileIdentity> identity = platform::IdentityOf(folder);
        const std::string plain = Plain(folder);
        for (Known& known : ledgers_) {
            if ((identity && known.identity == identity) || known.plain == plain)
                return &known.ledger;
        }
        return nullptr;
    }
    // A new ledger, for folder once the run is over.
    FolderLedger& Start() { return fresh_.emplace(naming_); }
    void Keep(const std::string& folder)
    {
        if (fresh_)
            ledgers_.push_back({platform::IdentityOf(folder), Plain(folder), std::move(*fresh_)});
        fresh_.reset();
    }

private:
    struct Known {
        std::optional<platform::FileIdentity> identity;
        std::string plain;
        FolderLedger ledger;
    };

    static std::string Plain(const std::string& folder)
    {
        std::error_code error;
        return Utf8Of(std::filesystem::weakly_canonical(PathOf(folder), error));
    }

    FileNaming naming_;
    std::deque<Known> ledgers_;
    std::optional<FolderLedger> fresh_;
};

int Split(const std::string& file, const std::string& path, const console::Options& options, Ledgers& ledgers,
          Output& output)
{
    // The closing stage enters the output folder: later relative FILEs must
    // still be found where the user meant them.
    const platform::CurrentDirectoryKept currentDirectory;
    RunState state;
    state.fileSystem = std::make_unique<platform::LocalFileSystem>();
    platform::SystemFileManager fileManager;
    const std::string title = Utf8Of(PathOf(file).filename());
    console::ConsoleHost host(title, options.open ? &fileManager : nullptr, platform::IsTerminal(stderr));
    const std::string outputFolder = OutputFolderFor(path, title, options.split.outputFolder);
    FolderLedger* earlier = ledgers.Find(outputFolder);
    SplitRun run(state, host, options.split, earlier ? earlier : &ledgers.Start());
    const bool named = options.files.size() > 1;
    std::optional<ErrorInfo> failure;
    try {
        failure = CatchAnyFailure([&] { run.RunFromFile(path); });
    } catch (const ProgramEnd&) {
        // The closing stage completed.
    }
    host.ClearProgressLine();
    if (!earlier)
        ledgers.Keep(outputFolder);

    const RunOutcome& outcome = run.outcome();
    for (const std::string& line : host.listing())
        output.Out(stdout, line);
    for (const RunOutcome::Oversized& entry : outcome.oversized) {
        // Exact bytes: rounded, an entry just over the limit would look like it.
        const std::string exactLimit = std::to_string(options.split.maxBytes) + " bytes";
        const std::string limit = SizeText(options.split.maxBytes, options.binaryUnits);
        output.Problem(file, "entry at line " + std::to_string(entry.line) + ": " + std::to_string(entry.bytes) +
                                 " bytes, over the limit of " + (limit == exactLimit ? limit : limit + " (" + exactLimit + ")"));
    }
    for (const console::ConsoleHost::Message& message : host.messages()) {
        if (message.icon == MessageIcon::Information && FilesWritten(outcome)) {
            // Entries that share files: the console says how many files.
            const std::string files = outcome.entriesWritten == static_cast<std::uint64_t>(outcome.filesWritten)
                                          ? ""
                                          : " in " + std::to_string(outcome.filesWritten) +
                                                (outcome.filesWritten == 1 ? " file" : " files");
            output.Out(stdout, (named ? file + ": " : "") + message.text + files);
        } else {
            output.Problem(file, ConsoleLine(message.text));
        }
    }
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
    int status = kFilesWritten;
    for (std::size_t i = 0; i < options.files.size(); ++i)
        status = std::max(status, Split(options.files[i], paths[i], options, ledgers, output));
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
