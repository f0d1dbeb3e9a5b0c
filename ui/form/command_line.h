#pragma once

#include "engine/split_run.h"

#include <optional>
#include <string>
#include <vector>

namespace orvelin::ui {

// Reads the window's command line (arguments[0] is the program):
// --standalone makes every run write standalone files; --help tells so. An
// exit status when the window is not to open (after --help, or a usage
// error, both told on the console).
std::optional<int> ParseWindowArguments(const std::vector<std::string>& arguments, SplitOptions& options);

}  // namespace orvelin::ui
