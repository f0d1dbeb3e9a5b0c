#include "app/console_options.h"

#include "engine/version.h"

#include <cstdio>
#include <getopt.h>

namespace orvelin::console {
namespace {

constexpr const char* kUsage =
    "Usage: orvelin-split [OPTION]... FILE...\n"
    "Split each vCalendar FILE into one file per event, written as 1.vcs, 2.vcs, ...\n"
    "in the folder \"VCS folder\" beside FILE.\n"
    "\n"
    "      --standalone  write each event, with the rest of its recurring series,\n"
    "                    as a whole calendar of its own that any calendar program\n"
    "                    reads with the same meaning: its calendar's header lines\n"
    "                    and the time zones it names come along; written as\n"
    "                    1.ics, 2.ics, ... (1.vcs, ... for vCalendar 1.0)\n"
    "  -o, --output=DIR  write the files into DIR instead (made if missing)\n"
    "      --open        open each output folder in the file manager afterwards\n"
    "  -h, --help        display this help and exit\n"
    "  -V, --version     output version information and exit\n"
    "      --            end of options: every argument after it is a FILE\n"
    "\n"
    "Exit status:\n"
    " 0  event files were written\n"
    " 1  FILE held nothing to split (no event, or no end of an event)\n"
    " 2  anything else: FILE missing or unreadable, a calendar whose structure\n"
    "    is not clear, a file that could not be written, output that could not\n"
    "    be written, bad usage\n"
    "With several FILEs, the highest status of theirs.\n";

constexpr const char* kVersion =
    "orvelin-split (Orvelin) " ORVELIN_VERSION "\n"
    "Copyright (c) 2026 the Orvelin authors.\n"
    "MIT License: you may use, change and redistribute it; see the LICENSE file.\n";

enum LongOnly { kOpen = 1000, kStandalone };

constexpr option kLongOptions[] = {
    {"open", no_argument, nullptr, kOpen},
    {"standalone", no_argument, nullptr, kStandalone},
    {"output", required_argument, nullptr, 'o'},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},
    {nullptr, 0, nullptr, 0},
};

int UsageError(const std::string& message)
{
    std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", kProgram, message.c_str(), kProgram);
    return kFailed;
}

int Print(const char* text)
{
    std::fputs(text, stdout);
    return std::fflush(stdout) == 0 ? kFilesWritten : kFailed;
}

// What getopt_long found wrong with argument, where it stopped.
std::string Wrong(const std::string& argument, int shortOption)
{
    if (!argument.starts_with("--"))
        return "invalid option '-" + std::string(1, static_cast<char>(shortOption)) + "'";
    const std::string name = argument.substr(2, argument.find('=') - 2);
    int matches = 0;
    for (const option* known = kLongOptions; known->name; ++known)
        matches += std::string_view(known->name).starts_with(name) ? 1 : 0;
    if (matches > 1)
        return "option '--" + name + "' is ambiguous";
    return "unrecognized option '" + argument + "'";
}

}  // namespace

std::optional<int> ParseArguments(const std::vector<std::string>& arguments, Options& options)
{
    std::vector<std::string> kept = arguments;
    std::vector<char*> argv;
    for (std::string& argument : kept)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    const int argc = static_cast<int>(kept.size());

    opterr = 0;  // the messages are ours
    optind = 1;
    for (int found = 0; (found = getopt_long(argc, argv.data(), ":ho:V", kLongOptions, nullptr)) != -1;) {
        const std::string argument = argv[optind - 1];
        switch (found) {
        case 'h': return Print(kUsage);
        case 'V': return Print(kVersion);
        case kOpen: options.open = true; break;
        case kStandalone: options.split.standalone = true; break;
        case 'o':
            options.split.outputFolder = optarg;
            if (!options.split.outputFolder.ends_with('/') && !options.split.outputFolder.ends_with('\\'))
                options.split.outputFolder += '/';
            break;
        case ':':
            return UsageError("option '" + (argument.starts_with("--") ? argument : "-" + std::string(1, static_cast<char>(optopt))) +
                              "' requires an argument");
        default: return UsageError(Wrong(argument, optopt));
        }
    }
    for (int at = optind; at < argc; ++at)
        options.files.push_back(argv[at]);
    if (options.files.empty())
        return UsageError("missing FILE");
    return std::nullopt;
}

}  // namespace orvelin::console
