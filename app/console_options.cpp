#include "app/console_options.h"

#include "engine/split_choices.h"
#include "engine/version.h"

#include <cstdint>
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
    "      --to-ics      as --standalone, each entry of a vCalendar 1.0 calendar\n"
    "                    written as iCalendar 2.0 (.ics) that means the same: its\n"
    "                    time zone built from TZ and DAYLIGHT, its text in UTF-8,\n"
    "                    its rules and alarms; entries without a UID get one\n"
    "  -o, --output=DIR  write the files into DIR instead (made if missing)\n"
    "  -n, --dry-run     write nothing: print each file the run would write as\n"
    "                    NAME<TAB>ENTRIES<TAB>BYTES, then the summary, and exit\n"
    "                    with the status the run would give\n"
    "      --open        open each output folder in the file manager afterwards\n"
    "  -h, --help        display this help and exit\n"
    "  -V, --version     output version information and exit\n"
    "      --            end of options: every argument after it is a FILE\n"
    "\n"
    "With --standalone or --to-ics:\n"
    "      --per-file=N     put up to N entries into each file (a recurring event\n"
    "                       with its exceptions is one entry; 1 unless --max-bytes\n"
    "                       is given alone)\n"
    "      --max-bytes=SIZE make each file as large as it may be without passing\n"
    "                       SIZE bytes; KB, MB, GB are 1000, 1000^2, 1000^3 and\n"
    "                       K, M, G (or KiB, MiB, GiB) 1024, 1024^2, 1024^3; an\n"
    "                       entry larger than that alone gets a file of its own,\n"
    "                       with a warning\n"
    "      --names=WORD     name each file after its (first) entry: 'number'\n"
    "                       (1.ics, 2.ics, ...; the default), 'uid' (its UID) or\n"
    "                       'date' (its start and summary: '2026-03-01 0930\n"
    "                       Standup.ics')\n"
    "      --by=PERIOD      one file per 'year' (2024.ics) or 'month'\n"
    "                       (2024-03.ics) of the entries' starts, in the order of\n"
    "                       time, entries without a start in undated.ics; with\n"
    "                       --per-file or --max-bytes: 2024.ics, 2024 (2).ics, ...\n"
    "\n"
    "For a service that takes imports of at most 1 MB:\n"
    "  orvelin-split --standalone --max-bytes=1MB --names=date calendar.ics\n"
    "To see first what a run would write:\n"
    "  orvelin-split --dry-run --standalone --max-bytes=1MB calendar.ics\n"
    "One file per month of 2024, for importing in stages:\n"
    "  orvelin-split --standalone --by=month -o by-month calendar.ics\n"
    "\n"
    "Exit status:\n"
    " 0  event files were written\n"
    " 1  FILE held nothing to split (no event, or no end of an event)\n"
    " 2  anything else: FILE missing or unreadable, a calendar whose structure\n"
    "    is not clear, a file that could not be written, output that could not\n"
    "    be written, bad usage\n"
    "With several FILEs, the highest status of theirs.\n";

constexpr const char* kVersion = "orvelin-split (Orvelin) " ORVELIN_VERSION
                                 "\n"
                                 "Copyright (c) 2026 the Orvelin authors.\n"
                                 "MIT License: you may use, change and redistribute it; see the LICENSE file.\n";

enum LongOnly { kOpen = 1000, kStandalone, kToIcs, kPerFile, kMaxBytes, kNames, kBy };

constexpr option kLongOptions[] = {
    {"open", no_argument, nullptr, kOpen},
    {"standalone", no_argument, nullptr, kStandalone},
    {"to-ics", no_argument, nullptr, kToIcs},
    {"per-file", required_argument, nullptr, kPerFile},
    {"max-bytes", required_argument, nullptr, kMaxBytes},
    {"names", required_argument, nullptr, kNames},
    {"by", required_argument, nullptr, kBy},
    {"dry-run", no_argument, nullptr, 'n'},
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

// What getopt_long found wrong where it stopped: a short option (in a
// group of them, argument is not where it stopped), or the long option
// argument, unknown, ambiguous or given a value it does not take.
std::string Wrong(const std::string& argument, int shortOption)
{
    const std::string name = argument.starts_with("--") ? argument.substr(2, argument.find('=') - 2) : "";
    int matches = 0;
    bool longOne = shortOption == 0;
    for (const option* known = kLongOptions; known->name; ++known) {
        const bool named = !name.empty() && std::string_view(known->name).starts_with(name);
        matches += named ? 1 : 0;
        longOne = longOne || (named && known->val == shortOption);
    }
    if (!longOne)
        return "invalid option '-" + std::string(1, static_cast<char>(shortOption)) + "'";
    if (matches > 1)
        return "option '--" + name + "' is ambiguous";
    return "unrecognized option '" + argument + "'";
}

// What is wrong with the options, in the words of the option.
std::string Wrong(const ChoiceError& error)
{
    const auto invalid = [&error](const char* option) { return "invalid value '" + error.given + "' for --" + option; };
    switch (error.kind) {
    case ChoiceError::Kind::PerFile: return invalid("per-file");
    case ChoiceError::Kind::MaxBytes: return invalid("max-bytes");
    case ChoiceError::Kind::Naming: return invalid("names");
    case ChoiceError::Kind::Period: return invalid("by");
    case ChoiceError::Kind::OutputFolder: return "an empty DIR for --output";
    case ChoiceError::Kind::WithoutStandalone:
        return "--per-file, --max-bytes, --names and --by go with --standalone or --to-ics";
    case ChoiceError::Kind::NamesWithPeriod: break;
    }
    return "--names does not go with --by: the files are named after their periods";
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
    SplitChoices choices;
    for (int found = 0; (found = getopt_long(argc, argv.data(), ":hno:V", kLongOptions, nullptr)) != -1;) {
        const std::string argument = argv[optind - 1];
        switch (found) {
        case 'h': return Print(kUsage);
        case 'V': return Print(kVersion);
        case kOpen: options.open = true; break;
        case kStandalone: choices.standalone = true; break;
        case kToIcs: choices.toICalendar = true; break;
        case kPerFile: choices.perFile = optarg; break;
        case kMaxBytes: choices.maxBytes = optarg; break;
        case kNames: choices.naming = optarg; break;
        case kBy: choices.period = optarg; break;
        case 'n': choices.dryRun = true; break;
        case 'o': choices.outputFolder = optarg; break;
        case ':': {
            // Some getopt_long say so of a value given to an option that takes none.
            if (argument.starts_with("--") && argument.find('=') != std::string::npos)
                return UsageError(Wrong(argument, optopt));
            std::string message = "option '";
            message += argument.starts_with("--") ? argument : std::string{'-', static_cast<char>(optopt)};
            message += "' requires an argument";
            return UsageError(message);
        }
        default: return UsageError(Wrong(argument, optopt));
        }
    }
    for (int at = optind; at < argc; ++at)
        options.files.push_back(argv[at]);
    std::variant<ChosenOptions, ChoiceError> chosen = OptionsFrom(choices);
    if (const ChoiceError* error = std::get_if<ChoiceError>(&chosen))
        return UsageError(Wrong(*error));
    options.split = std::move(std::get<ChosenOptions>(chosen).split);
    options.binaryUnits = std::get<ChosenOptions>(chosen).binaryUnits;
    if (options.files.empty())
        return UsageError("missing FILE");
    return std::nullopt;
}

}  // namespace orvelin::console
