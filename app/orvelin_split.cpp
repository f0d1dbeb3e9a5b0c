// orvelin-split: the splitter for scripts. Runs exactly what Generate does on
// each FILE in turn; the summary goes to stdout, every problem to stderr as
// one line "orvelin-split: FILE: message", and the exit status says how it went.

#include "app/console_host.h"
#include "engine/failure.h"
#include "engine/failure_policy.h"
#include "engine/split_run.h"
#include "engine/version.h"
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

enum ExitStatus { kFilesWritten = 0, kNothingToSplit = 1, kFailed = 2 };

constexpr const char* kProgram = "orvelin-split";

constexpr const char* kUsage =
    "Usage: orvelin-split [OPTION]... FILE...\n"
    "Split each vCalendar FILE into one file per event, written as 1.vcs, 2.vcs, ...\n"
    "in the folder \"VCS folder\" beside FILE.\n"
    "\n"
    "      --open     open each output folder in the file manager afterwards\n"
    "  -h, --help     display this help and exit\n"
    "  -V, --version  output version information and exit\n"
    "      --         end of options: every argument after it is a FILE\n"
    "\n"
    "Exit status:\n"
    " 0  event files were written\n"
    " 1  FILE held nothing to split (no event, or no end of an event)\n"
    " 2  anything else: FILE missing or unreadable, a file that could not be\n"
    "    written, output that could not be written, bad usage\n"
    "With several FILEs, the highest status of theirs.\n";

constexpr const char* kVersion =
    "orvelin-split (Orvelin) " ORVELIN_VERSION "\n"
    "Copyright (c) 2026 the Orvelin authors.\n"
    "MIT License: you may use, change and redistribute it; see the LICENSE file.\n";

struct Options {
    bool open = false;
    std::vector<std::string> files;
};

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

void UsageError(const std::string& message)
{
    std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", kProgram, message.c_str(), kProgram);
}

// Parses the arguments; returns an exit status when there is nothing to split.
std::optional<int> ParseArguments(const std::vector<std::string>& arguments, Options& options)
{
    bool optionsEnded = false;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool isOption = !optionsEnded && argument.size() > 1 && argument[0] == '-';
        if (!isOption) {
            options.files.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "-h" || argument == "--help") {
            std::fputs(kUsage, stdout);
            return std::fflush(stdout) == 0 ? kFilesWritten : kFailed;
        } else if (argument == "-V" || argument == "--version") {
            std::fputs(kVersion, stdout);
            return std::fflush(stdout) == 0 ? kFilesWritten : kFailed;
        } else if (argument == "--open") {
            options.open = true;
        } else {
            UsageError((argument.starts_with("--") ? "unrecognized option '" : "invalid option '") + argument + "'");
            return kFailed;
        }
    }
    if (options.files.empty()) {
        UsageError("missing FILE");
        return kFailed;
    }
    return std::nullopt;
}

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

int Split(const std::string& file, const std::string& path, bool open, bool named, Output& output)
{
    // The closing stage enters the output folder: later relative FILEs must
    // still be found where the user meant them.
    const platform::CurrentDirectoryKept currentDirectory;
    RunState state;
    state.fileSystem = std::make_unique<platform::LocalFileSystem>();
    platform::SystemFileManager fileManager;
    console::ConsoleHost host(Utf8Of(PathOf(file).filename()), open ? &fileManager : nullptr,
                              platform::IsTerminal(stderr));
    SplitRun run(state, host);
    std::optional<ErrorInfo> failure;
    try {
        failure = CatchAnyFailure([&] { run.RunFromFile(path); });
    } catch (const ProgramEnd&) {
        // The closing stage completed.
    }
    host.ClearProgressLine();

    const RunOutcome& outcome = run.outcome();
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
    Options options;
    if (const std::optional<int> status = ParseArguments(platform::ProgramArguments(argc, argv), options))
        return *status;
    std::vector<std::string> paths;
    for (const std::string& file : options.files)
        paths.push_back(UsablePath(file));
    Output output;
    int status = kFilesWritten;
    for (std::size_t i = 0; i < options.files.size(); ++i)
        status = std::max(status, Split(options.files[i], paths[i], options.open, options.files.size() > 1, output));
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
