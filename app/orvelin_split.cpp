// orvelin-split: the splitter for scripts. Runs exactly what Generate does on
// FILE and reports through the exit status.

#include "app/console_host.h"
#include "engine/failure.h"
#include "engine/split_run.h"
#include "platform/console.h"
#include "platform/interruption.h"
#include "platform/local_file_system.h"

#include <climits>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace orvelin;

enum ExitStatus { kFilesWritten = 0, kNothingToSplit = 1, kFailed = 2 };

constexpr const char* kUsage =
    "Usage: orvelin-split [--open] FILE\n"
    "Splits the vCalendar file FILE into one file per event, written as 1.vcs,\n"
    "2.vcs, ... in the folder \"VCS folder\" beside FILE.\n"
    "\n"
    "  --open     open the output folder in the file manager afterwards\n"
    "  --help     show this help and exit\n"
    "  --version  show the version and exit\n"
    "\n"
    "Exit status: 0 event files were written; 1 FILE held nothing to split;\n"
    "2 a failure (unreadable input, a file that could not be written, bad usage).\n";

struct Options {
    bool open = false;
    std::string file;
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

// Parses the arguments; returns an exit status when there is nothing to run.
std::optional<int> ParseArguments(const std::vector<std::string>& arguments, Options& options)
{
    bool optionsEnded = false;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (!optionsEnded && argument == "--help") {
            std::fputs(kUsage, stdout);
            return kFilesWritten;
        }
        if (!optionsEnded && argument == "--version") {
            std::puts("Orvelin 1.00");
            return kFilesWritten;
        }
        if (!optionsEnded && argument == "--open") {
            options.open = true;
        } else if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && argument.starts_with("-") && argument.size() > 1) {
            std::fprintf(stderr, "orvelin-split: unknown option '%s'\n%s", argument.c_str(), kUsage);
            return kFailed;
        } else if (options.file.empty()) {
            options.file = argument;
        } else {
            std::fprintf(stderr, "orvelin-split: only one FILE can be split at a time\n%s", kUsage);
            return kFailed;
        }
    }
    if (options.file.empty()) {
        std::fputs(kUsage, stderr);
        return kFailed;
    }
    return std::nullopt;
}

// The one silent return of a run: the file is not there to be read.
int ReportMissingFile(const std::string& file)
{
    std::error_code error;
    const char* why = std::filesystem::is_directory(PathOf(file), error) ? "is a folder, not a file" : "no such file";
    std::fprintf(stderr, "orvelin-split: %s: %s\n", file.c_str(), why);
    return kNothingToSplit;
}

int Split(const Options& options)
{
    const std::filesystem::path given = PathOf(options.file);
    std::error_code error;
    const std::string absolute = Utf8Of(std::filesystem::absolute(given, error));
    // Deep in a tree the absolute form can be too long for the OS: the path
    // as given still works, relative to the current folder.
    const std::string path = error || absolute.size() >= PATH_MAX ? options.file : absolute;

    RunState state;
    state.fileSystem = std::make_unique<platform::LocalFileSystem>();
    platform::SystemFileManager fileManager;
    console::ConsoleHost host(Utf8Of(given.filename()), options.open ? &fileManager : nullptr,
                              platform::IsTerminal(stderr));
    std::optional<ErrorInfo> failure;
    try {
        failure = CatchAnyFailure([&] { SplitRun(state, host).RunFromFile(path); });
    } catch (const ProgramEnd&) {
        // The closing stage completed.
    }
    if (failure) {
        std::fprintf(stderr, "orvelin-split: error %d: %s\n", failure->number, failure->description.c_str());
        return kFailed;
    }
    // A summary or message that could not be written is a failure too.
    if (host.errorShown() || host.outputFailed())
        return kFailed;
    if (host.ended())
        return state.fileNumber > 1 ? kFilesWritten : kNothingToSplit;
    return host.messageShown() ? kNothingToSplit : ReportMissingFile(options.file);
}

}  // namespace

int main(int argc, char** argv)
{
    orvelin::platform::ReportFileSizeLimitAsWriteFailure();
    orvelin::platform::EndCleanlyOnInterruption("orvelin-split");
    orvelin::platform::PrepareConsole();
    Options options;
    if (const std::optional<int> status = ParseArguments(orvelin::platform::ProgramArguments(argc, argv), options))
        return *status;
    return Split(options);
}
