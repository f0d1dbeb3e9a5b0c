#pragma once

#include "calendar/conversion.h"
#include "engine/failure.h"
#include "engine/host_services.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvelin {

// What one run did, told to whoever started it as data: a caller decides
// what followed from this, never from the words of a message.
struct RunOutcome {
    // A calendar that held nothing to split.
    enum class Refusal { None, NoStartMarker, NoEndMarker };
    // Where a failure was caught and shown in an error box.
    enum class Stage { Reading, StartSearch, Splitting, Closing };
    struct CaughtFailure {
        Stage stage;
        ErrorInfo info;
    };

    // False when there was no file to read: the run returned without a word.
    bool inputFound = false;
    Refusal refusal = Refusal::None;
    // Every failure shown in an error box, in the order shown: the first is
    // the one that decided what followed.
    std::vector<CaughtFailure> failures;
    int filesWritten = 0;
    // The entries in them: a standalone file may hold several.
    std::uint64_t entriesWritten = 0;
    // The closing stage ran to its end.
    bool completed = false;
    // Standalone files of one entry larger than the byte limit allows.
    struct Oversized {
        std::size_t line;  // of the entry's first component
        std::uint64_t bytes;
    };
    std::vector<Oversized> oversized;

    // A standalone run into a folder that held an earlier run's result:
    // that result's files, which this run's replaced as a whole (known once
    // the run has completed).
    std::uint64_t earlierFilesReplaced = 0;
    std::vector<KeptName> namesKept;
    // In a dry run, the earlier result's files the run would remove.
    std::vector<std::string> wouldRemove;
    // The plain split: how many files of an earlier split with numbers
    // above this run's the folder still holds, and the highest number.
    std::uint32_t laterFiles = 0;
    std::int32_t highestLaterFile = 0;
    // The plain split of a calendar that says VERSION:2.0.
    bool iCalendar2 = false;
    // What became of entries written as iCalendar 2.0 that the user should know.
    std::vector<calendar::ConversionNote> notes;
};

// What an outcome's boxes said, for a front end that tells it otherwise.

// The prefix of the error box of a failure caught at stage ("Find Error ").
std::string_view ErrorPrefix(RunOutcome::Stage stage);
// The error box's words after its preamble: "Find Error 61:  Disk full";
// for a calendar whose structure is unclear, only where and why.
std::string FailureLine(const RunOutcome::CaughtFailure& failure);
// The box of a calendar that held nothing to split.
std::string_view RefusalText(RunOutcome::Refusal refusal);
// The summary of a run that wrote files: "3 Entries have been generated".
std::string EntriesGeneratedText(std::uint64_t entries);
// A name a file kept: "1.ics (a calendar this run splits): its entries went into 1 (2).ics".
std::string KeptNameText(const KeptName& name);
// A note of the conversion to iCalendar 2.0: "line 12 (UID): message".
std::string NoteLine(const calendar::ConversionNote& note);

}  // namespace orvelin
