#pragma once

#include <optional>
#include <string>
#include <vector>

namespace orvelin::ui {

// What the window's command line asks for.
struct WindowArguments {
    bool standalone = false;  // the window for whole calendars
    std::string file;         // a calendar handed over; "" for none
};

// Reads the window's command line (arguments[0] is the program):
// [--standalone] [FILE], "--" before a FILE that starts with "-". An exit
// status when the window is not to open (after --help, or a usage error,
// both told on the console).
std::optional<int> ParseWindowArguments(const std::vector<std::string>& arguments, WindowArguments& parsed);

}  // namespace orvelin::ui
