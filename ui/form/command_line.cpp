#include "ui/form/command_line.h"

#include <cstdio>

namespace orvelin::ui {
namespace {

constexpr const char* kUsage =
    "Usage: orvelin [--standalone] [FILE]\n"
    "Open the window that splits a vCalendar file into one file per event; with\n"
    "FILE, split FILE at once, as if it had been chosen in the window.\n"
    "\n"
    "  --standalone  open the window for whole calendars instead: each entry, with\n"
    "                the rest of its recurring series and its time zones, becomes\n"
    "                a calendar of its own (1.ics, 2.ics, ...), with choices for how\n"
    "                many entries a file holds, what the files are named after and\n"
    "                where they go; FILE is named there and waits for Generate\n"
    "  -h, --help    display this help and exit\n";

int UsageError(const std::string& message)
{
    std::fprintf(stderr, "orvelin: %s\nTry 'orvelin --help' for more information.\n", message.c_str());
    return 2;
}

}  // namespace

std::optional<int> ParseWindowArguments(const std::vector<std::string>& arguments, WindowArguments& parsed)
{
    bool options = true;
    for (std::size_t at = 1; at < arguments.size(); ++at) {
        const std::string& argument = arguments[at];
        if (options && argument == "--") {
            options = false;
        } else if (options && argument == "--standalone") {
            parsed.standalone = true;
        } else if (options && (argument == "--help" || argument == "-h")) {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (options && argument.starts_with('-') && argument.size() > 1) {
            return UsageError("unrecognized argument '" + argument + "'");
        } else if (!parsed.file.empty()) {
            return UsageError("only one FILE: '" + argument + "' is one too many");
        } else {
            parsed.file = argument;
        }
    }
    return std::nullopt;
}

}  // namespace orvelin::ui
