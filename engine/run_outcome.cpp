#include "engine/run_outcome.h"

#include "engine/box_texts.h"
#include "engine/error_number.h"

namespace orvelin {

std::string_view ErrorPrefix(RunOutcome::Stage stage)
{
    switch (stage) {
    case RunOutcome::Stage::Reading: return "Error ";
    case RunOutcome::Stage::StartSearch: return "Start Find Error ";
    case RunOutcome::Stage::Splitting:
    case RunOutcome::Stage::Closing: break;
    }
    return "Find Error ";
}

std::string FailureLine(const RunOutcome::CaughtFailure& failure)
{
    if (failure.info.number == static_cast<int>(ErrorNumber::CalendarStructure))
        return failure.info.description;
    return std::string(ErrorPrefix(failure.stage)) + std::to_string(failure.info.number) + ":  " +
        failure.info.description;
}

std::string_view RefusalText(RunOutcome::Refusal refusal)
{
    return refusal == RunOutcome::Refusal::NoEndMarker ? kNoEndEvent : kNotACalendar;
}

std::string KeptNameText(const KeptName& name)
{
    return name.kept +
        (name.beingSplit ? " (a calendar this run splits)" : " (not written by Orvelin, or changed since)") +
        ": its entries went into " + name.instead;
}

std::string NoteLine(const calendar::ConversionNote& note)
{
    return "line " + std::to_string(note.line) + (note.entry.empty() ? "" : " (" + note.entry + ")") + ": " +
        note.message;
}

std::string EntriesGeneratedText(std::uint64_t entries)
{
    return std::to_string(entries) + " Entries have been generated";
}

}  // namespace orvelin
