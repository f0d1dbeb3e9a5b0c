#include "ui/form/command_line.h"

#include <cstdio>

namespace orvelin::ui {

std::optional<int> ParseWindowArguments(const std::vector<std::string>& arguments, SplitOptions& options)
{
    for (std::size_t at = 1; at < arguments.size(); ++at) {
        if (arguments[at] == "--standalone") {
            options.standalone = true;
        } else if (arguments[at] == "--help" || arguments[at] == "-h") {
            std::fputs("Usage: orvelin [--standalone]\n"
                       "Open the window that splits a vCalendar file into one file per event.\n"
                       "\n"
                       "  --standalone  write each event, with the rest of its recurring series,\n"
                       "                as a whole calendar of its own (1.ics, 2.ics, ...)\n",
                       stdout);
            return 0;
        } else {
            std::fprintf(stderr, "orvelin: unrecognized argument '%s'\nTry 'orvelin --help' for more information.\n",
                         arguments[at].c_str());
            return 2;
        }
    }
    return std::nullopt;
}

}  // namespace orvelin::ui
