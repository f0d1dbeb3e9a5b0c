#pragma once

#include "engine/split_run.h"

#include <optional>
#include <string>
#include <vector>

namespace orvelin::console {

enum ExitStatus { kFilesWritten = 0, kNothingToSplit = 1, kFailed = 2 };

inline constexpr const char* kProgram = "orvelin-split";

struct Options {
    bool open = false;
    SplitOptions split;  // its output folder as given, ending in a separator
    // --max-bytes was given in units of 1024 (K, KiB, ...), not of 1000.
    bool binaryUnits = false;
    std::vector<std::string> files;
};

// Reads the command line (arguments[0] is the program) with the platform's
// getopt_long: options may follow FILEs, long ones may be abbreviated and take
// their value after "=" or as the next argument. An exit status when there is
// nothing to split: after --help or --version, or a usage error (told on
// stderr, with a pointer to --help).
std::optional<int> ParseArguments(const std::vector<std::string>& arguments, Options& options);

}  // namespace orvelin::console
