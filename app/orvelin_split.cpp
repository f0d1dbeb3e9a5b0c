// orvelin-split: the splitter for scripts. Runs exactly what Generate does on
// each FILE in turn; the summary goes to stdout, every problem to stderr as
// one line "orvelin-split: FILE: message", and the exit status says how it went.

#include "app/console_host.h"
#include "app/console_options.h"
#include "engine/failure.h"
#include "engine/failure_policy.h"
#include "engine/split_run.h"
#include "platform/console.h"
#include "platform/folders.h"
#include "platform/interruption.h"
#include "platform/local_file_system.h"

#include <algorithm>
#include <climits>
#include <cstdio>
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

// "1.4 MiB", "512 KiB", "900 bytes": the unit it fills, with a decimal
// where the number is not whole.
std::string SizeText(std::uint64_t bytes)
{
    constexpr std::uint64_t kKiB = 1024;
    const auto [unit, name] = bytes >= kKiB * kKiB ? std::pair{kKiB * kKiB, "MiB"}
                              : bytes >= kKiB      ? std::pair{kKiB, "KiB"}
                                                   : std::pair{std::uint64_t{1}, "bytes"};
    char text[32];
    if (bytes % unit == 0)
        std::snprintf(text, sizeof text, "%llu %s", static_cast<unsigned long long>(bytes / unit), name);
    else
        std::snprintf(text, sizeof text, "%.1f %s", static_cast<double>(bytes) / static_cast<double>(unit), name);
    return text;
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

int Split(const std::string& file, const std::string& path, const console::Options& options, Output& output)
{
    // The closing stage enters the output folder: later relative FILEs must
    // still be found where the user meant them.
    const platform::CurrentDirectoryKept currentDirectory;
    RunState state;
    state.fileSystem = std::make_unique<platform::LocalFileSystem>();
    platform::SystemFileManager fileManager;
    console::ConsoleHost host(Utf8Of(PathOf(file).filename()), options.open ? &fileManager : nullptr,
                              platform::IsTerminal(stderr));
    SplitRun run(state, host, options.split);
    const bool named = options.files.size() > 1;
    std::optional<ErrorInfo> failure;
    try {
        failure = CatchAnyFailure([&] { run.RunFromFile(path); });
    } catch (const ProgramEnd&) {
        // The closing stage completed.
    }
    host.ClearProgressLine();

    const RunOutcome& outcome = run.outcome();
    for (const RunOutcome::Oversized& entry : outcome.oversized) {
        output.Problem(file, "entry at line " + std::to_string(entry.line) + ": " + SizeText(entry.bytes) + ", over the " +
                                 SizeText(options.split.maxBytes) + " limit");
    }
    for (const console::ConsoleHost::Message& message : host.messages()) {
        if (message.icon == MessageIcon::Information && FilesWritten(outcome))
            output.Out(stdout, named ? file + ": " + message.text : message.text);
        else
            output.Problem(file, ConsoleLine(message.text));
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
    Output output;
    int status = kFilesWritten;
    for (std::size_t i = 0; i < options.files.size(); ++i)
        status = std::max(status, Split(options.files[i], paths[i], options, output));
    return output.written() ? status : kFailed;
}

}  // namespace

int main(int argc, char** argv)
{
    // Memory may run out before any run can report it: say so, and fail.
    try {
        return Main(argc, argv);
    } catch (const std::bad_alloc&) {
        ReleaseMemoryReserve();
        std::fputs("orvelin-split: Out of memory\n", stderr);
        return kFailed;
    }
}
