#pragma once

#include "engine/sizes.h"
#include "engine/split_run.h"

#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace orvelin {

// What a person chose for a run, as given: the console's options and the
// standalone window's controls both come to this. A choice not made is none.
struct SplitChoices {
    bool standalone = false;
    bool toICalendar = false;                 // standalone files of iCalendar 2.0
    std::optional<std::string> perFile;       // entries a file: a whole number
    std::optional<std::string> maxBytes;      // bytes a file: a size ("1MB", "500 KB")
    std::optional<std::string> naming;        // a word of kNamingWords, in any letter case
    std::optional<std::string> period;        // "year" or "month", in any letter case
    std::optional<std::string> outputFolder;  // none: "VCS folder" beside the calendar
    bool dryRun = false;
};

// The words that name each way of naming files.
inline constexpr std::pair<std::string_view, FileNaming> kNamingWords[] = {
    {"number", FileNaming::Number}, {"uid", FileNaming::Uid}, {"date", FileNaming::Date}};

// A choice that stands for nothing, or choices that do not go together.
struct ChoiceError {
    enum class Kind { PerFile, MaxBytes, Naming, Period, OutputFolder, WithoutStandalone, NamesWithPeriod };
    Kind kind;
    std::string given;  // the text of the choice, where one is wrong
};

struct ChosenOptions {
    SplitOptions split;
    bool binaryUnits = false;  // the size was given in units of 1024 (K, KiB, ...)
};

// The options choices stand for, or the first thing wrong with them. A count
// or a size is read without the white space around it; a size or a period
// without a count means any number of entries a file; the output folder ends
// in a separator (this OS's own, unless it ends in one already).
std::variant<ChosenOptions, ChoiceError> OptionsFrom(const SplitChoices& choices);

// A count of entries a file as the choices take it (1 ... FileLimits::kAnyNumber).
std::optional<std::uint32_t> EntriesPerFile(std::string_view text);
// A size as the choices take it.
std::optional<ByteSize> BytesPerFile(std::string_view text);

}  // namespace orvelin
