#include "engine/split_run.h"

#include "engine/calendar_structure.h"
#include "engine/failure_policy.h"
#include "engine/standalone_file.h"

#include <variant>

namespace orvelin {
namespace {

constexpr std::string_view kStartTag = "BEGIN:VEVENT";
constexpr std::string_view kEndTag = "END:VEVENT";
// A chunk runs through its end marker, and the next chunk starts right after it.
constexpr Position kEndTagLength = kEndTag.size();

constexpr std::string_view kInfoTitle = "Orvelin";
constexpr std::string_view kNotACalendar = "Not a valid VCalendar (.vcs) file format";
constexpr std::string_view kReadPrefix = "Error ";
constexpr std::string_view kStartFindPrefix = "Start Find Error ";
constexpr std::string_view kFindPrefix = "Find Error ";

}  // namespace

template <typename Steps>
bool SplitRun::Guard(RunOutcome::Stage stage, std::string_view prefix, Steps&& steps)
{
    std::optional<ErrorInfo> failure = Guarded(host_, prefix, std::forward<Steps>(steps));
    if (failure && !outcome_.failure)
        outcome_.failure = RunOutcome::CaughtFailure{stage, std::move(*failure)};
    return !failure;
}

void SplitRun::RunFromFile(const std::string& path)
{
    // Each run counts its own files, so it never reports, opens or continues
    // the numbering of an earlier run that returned to the window.
    state_.fileNumber = 1;
    outcome_ = {};
    state_.sourcePath = path;
    if (!state_.fileSystem->FileExists(state_.sourcePath))
        return;
    outcome_.inputFound = true;
    // An unreadable input is reported, and the window stays.
    const bool read = Guard(RunOutcome::Stage::Reading, kReadPrefix, [this] {
        state_.inputStream = state_.fileSystem->OpenTextFile(state_.sourcePath, IOMode::ForReading);
        state_.content = state_.inputStream->ReadAll();
    });
    if (!read)
        return;
    if (options_.standalone)
        SplitStandalone();
    else
        FindStartPos();
}

void SplitRun::FindStartPos()
{
    Guard(RunOutcome::Stage::StartSearch, kStartFindPrefix, [this] {
        state_.startTag = kStartTag;
        if (InStr(1, state_.content, state_.startTag, CompareMode::Text) != 0) {
            state_.startPos = InStr(1, state_.content, state_.startTag, CompareMode::Exact);
            FindEndPos();
        } else {
            outcome_.refusal = RunOutcome::Refusal::NoStartMarker;
            host_.showMessage(kNotACalendar, kInfoTitle, MessageIcon::Information);
        }
    });
}

void SplitRun::FindEndPos()
{
    WriteFilesAndClose([this](int& turn) { RunChunkLoop(turn); });
}

template <typename Loop>
void SplitRun::WriteFilesAndClose(Loop&& loop)
{
    int turn = 0;
    const bool loopCompleted = Guard(RunOutcome::Stage::Splitting, kFindPrefix, [&] { loop(turn); });
    // A failure before any file was written returns to the window; a later
    // one still reports the files written so far.
    if (!loopCompleted && turn == 0)
        return;
    Guard(RunOutcome::Stage::Closing, kFindPrefix, [this] { RunClosingStage(); });
}

void SplitRun::SplitStandalone()
{
    std::optional<CalendarStructure> structure;
    Guard(RunOutcome::Stage::StartSearch, kStartFindPrefix, [&] {
        std::variant<CalendarStructure, StructureFault> read = ReadCalendarStructure(state_.content);
        if (const StructureFault* fault = std::get_if<StructureFault>(&read)) {
            // Nothing is written from a calendar whose meaning is unclear.
            outcome_.failure = RunOutcome::CaughtFailure{
                RunOutcome::Stage::StartSearch, {static_cast<int>(ErrorNumber::CalendarStructure), fault->message}};
            host_.showMessage(std::string(kErrorBoxPreamble) + fault->message, kErrorBoxTitle, MessageIcon::Critical);
        } else if (std::get<CalendarStructure>(read).entries.empty()) {
            outcome_.refusal = RunOutcome::Refusal::NoStartMarker;
            host_.showMessage(kNotACalendar, kInfoTitle, MessageIcon::Information);
        } else {
            structure = std::move(std::get<CalendarStructure>(read));
        }
    });
    if (!structure)
        return;
    EntryGrouper groups(*structure, state_.content, options_.perFile, options_.maxBytes);
    FileNamer namer(options_.naming);
    WriteFilesAndClose([&](int& turn) {
        for (std::optional<EntryGroup> group; (group = groups.Next()); ++turn)
            CreateStandaloneFile(*structure, *group, namer);
    });
}

void SplitRun::CreateStandaloneFile(const CalendarStructure& structure, const EntryGroup& group, FileNamer& namer)
{
    const Entry& first = structure.entries[group.first];
    const std::string fileName =
        namer.NameFor(structure, first, state_.fileNumber, StandaloneExtension(structure, group));
    std::unique_ptr<OutputTextStream> stream = OpenEventFile(fileName);
    WriteStandaloneFile(*stream, structure, group, state_.content);
    stream->Close();
    if (options_.maxBytes != 0 && group.bytes > options_.maxBytes)
        outcome_.oversized.push_back({structure.components[first.firstComponent].line, group.bytes});
    CountEventFile(fileName);
}

void SplitRun::RunChunkLoop(int& turn)
{
    for (;; ++turn) {
        state_.endTag = kEndTag;
        state_.endPos = InStr(state_.startPos, state_.content, state_.endTag, CompareMode::Exact);
        if (state_.endPos == 0)
            return;
        state_.eventText = Mid(state_.content, state_.startPos, state_.endPos - state_.startPos + kEndTagLength);
        CreateVCS();
        state_.startPos = state_.endPos + kEndTagLength;
    }
}

void SplitRun::RunClosingStage()
{
    // Nothing is reported as written before it is on stable storage.
    state_.fileSystem->Commit();
    if (state_.fileNumber < 2) {
        outcome_.refusal = RunOutcome::Refusal::NoEndMarker;
        host_.showMessage("No entries have been generated since the selected .vcs file does not contain an end event.",
                          kInfoTitle, MessageIcon::Information);
    } else {
        host_.showMessage(std::to_string(state_.fileNumber - 1) + " Entries have been generated", kInfoTitle,
                          MessageIcon::Information);
    }
    host_.setProgress(false, "");
    if (state_.fileNumber > 1)
        host_.openFolderView(state_.outputFolder);
    state_.inputStream->Close();
    state_.inputStream.reset();
    outcome_.completed = true;
    host_.endProgram();
}

}  // namespace orvelin
