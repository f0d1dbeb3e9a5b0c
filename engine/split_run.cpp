#include "engine/split_run.h"

#include "engine/calendar_structure.h"
#include "engine/failure_policy.h"
#include "engine/letter_case.h"
#include "engine/paths.h"
#include "engine/unicode_text.h"

#include <algorithm>
#include <unordered_set>
#include <variant>

namespace orvelin {
namespace {

constexpr std::string_view kStartTag = "BEGIN:VEVENT";
constexpr std::string_view kEndTag = "END:VEVENT";
// A chunk runs through its end marker, and the next chunk starts right after it.
constexpr Position kEndTagLength = kEndTag.size();

// The number N of an event file's name, "N.vcs".
std::optional<std::int32_t> EventFileNumber(std::string_view name)
{
    const std::size_t digits = name.find_first_not_of("0123456789");
    if (digits == 0 || digits > 9 || name[0] == '0' || !EqualIgnoringCase(name.substr(digits), ".vcs"))
        return std::nullopt;
    return std::stoi(std::string(name.substr(0, digits)));
}

// Names in the order a reader expects: "2.ics" before "10.ics".
bool NumbersInOrder(std::string_view a, std::string_view b)
{
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            const std::size_t aEnd = std::find_if_not(a.begin() + i, a.end(), isDigit) - a.begin();
            const std::size_t bEnd = std::find_if_not(b.begin() + j, b.end(), isDigit) - b.begin();
            const std::string_view x = a.substr(i, aEnd - i);
            const std::string_view y = b.substr(j, bEnd - j);
            const std::size_t xStart = std::min(x.find_first_not_of('0'), x.size());
            const std::size_t yStart = std::min(y.find_first_not_of('0'), y.size());
            if (x.size() - xStart != y.size() - yStart)
                return x.size() - xStart < y.size() - yStart;
            if (const int order = x.substr(xStart).compare(y.substr(yStart)); order != 0)
                return order < 0;
            i = aEnd;
            j = bEnd;
        } else if (a[i] != b[j]) {
            return a[i] < b[j];
        } else {
            ++i;
            ++j;
        }
    }
    return a.size() - i < b.size() - j;
}

// Whether a calendar's lines before its first event say VERSION:2.0.
bool SaysVersion2(std::string_view header)
{
    constexpr std::string_view kVersion2 = "VERSION:2.0";
    for (std::size_t line = 0; line < header.size(); line = header.find('\n', line) + 1) {
        if (EqualIgnoringCase(header.substr(line, kVersion2.size()), kVersion2))
            return true;
        if (header.find('\n', line) == std::string_view::npos)
            break;
    }
    return false;
}

}  // namespace

template <typename Steps>
bool SplitRun::Guard(RunOutcome::Stage stage, Steps&& steps)
{
    std::optional<ErrorInfo> failure = Guarded(host_, ErrorPrefix(stage), std::forward<Steps>(steps));
    if (failure)
        outcome_.failures.push_back({stage, std::move(*failure)});
    return !failure;
}

void SplitRun::RunFromFile(const std::string& path)
{
    // Each run counts its own files, and never continues the numbering of an
    // earlier run that returned to the window; only one into a folder that an
    // earlier run of the program wrote into does, so as to replace none of its files.
    state_.fileNumber = ledger_.nextNumber;
    outcome_ = {};
    state_.sourcePath = path;
    if (!state_.fileSystem->FileExists(state_.sourcePath))
        return;
    outcome_.inputFound = true;
    // An unreadable input is reported, and the window stays.
    const bool read = Guard(RunOutcome::Stage::Reading, [this] {
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
    Guard(RunOutcome::Stage::StartSearch, [this] {
        state_.startTag = kStartTag;
        if (InStr(1, state_.content, state_.startTag, CompareMode::Text) != 0) {
            state_.startPos = InStr(1, state_.content, state_.startTag, CompareMode::Exact);
            outcome_.iCalendar2 = state_.startPos > 0 && SaysVersion2(Left(state_.content, state_.startPos - 1));
            FindEndPos();
        } else {
            outcome_.refusal = RunOutcome::Refusal::NoStartMarker;
            host_.showMessage(kNotACalendar, kInfoTitle, MessageIcon::Information);
        }
    });
}

void SplitRun::FindEndPos()
{
    WriteFilesAndClose([this](int& turn) {
        RefuseToReplaceInputs([this, chunks = std::optional<std::int32_t>()](std::string_view name) mutable {
            // "N.vcs", N one of this run's numbers.
            const std::optional<std::int32_t> number = EventFileNumber(name);
            if (!number)
                return std::optional<std::string>();
            if (!chunks)
                chunks = CountChunks();
            if (*number < state_.fileNumber || *number >= state_.fileNumber + *chunks)
                return std::optional<std::string>();
            return std::optional(std::to_string(*number) + ".vcs");
        });
        RunChunkLoop(turn);
    });
}

std::int32_t SplitRun::CountChunks() const
{
    std::int32_t chunks = 0;
    for (Position at = state_.startPos; (at = InStr(at, state_.content, kEndTag, CompareMode::Exact)) != 0;
         at += kEndTagLength)
        ++chunks;
    return chunks;
}

template <typename Loop>
void SplitRun::WriteFilesAndClose(Loop&& loop)
{
    int turn = 0;
    const bool loopCompleted = Guard(RunOutcome::Stage::Splitting, [&] { loop(turn); });
    // A failure before any file was written returns to the window; a later
    // one still reports the files written so far.
    if (!loopCompleted && turn == 0)
        return;
    Guard(RunOutcome::Stage::Closing, [this] { RunClosingStage(); });
}

std::vector<std::string> SplitRun::InputNamesInOutputFolder()
{
    std::vector<std::string> inputs = options_.inputs;
    inputs.push_back(state_.sourcePath);
    SetOutputFolder();
    return state_.fileSystem->NamesOf(inputs, state_.outputFolder);
}

template <typename PlannedAs>
void SplitRun::RefuseToReplaceInputs(PlannedAs&& plannedAs)
{
    for (const std::string& name : InputNamesInOutputFolder()) {
        const std::optional<std::string> planned = plannedAs(name);
        if (planned && state_.fileSystem->SameFile(state_.outputFolder + *planned, state_.outputFolder + name))
            throw Failure(ErrorNumber::WouldReplaceInput, *planned + " would replace a file being split");
    }
}

void SplitRun::SplitStandalone()
{
    std::optional<CalendarStructure> structure;
    Guard(RunOutcome::Stage::StartSearch, [&] {
        std::variant<CalendarStructure, StructureFault> read = ReadCalendarStructure(state_.content);
        if (const StructureFault* fault = std::get_if<StructureFault>(&read)) {
            // Nothing is written from a calendar whose meaning is unclear.
            outcome_.failures.push_back(
                {RunOutcome::Stage::StartSearch, {static_cast<int>(ErrorNumber::CalendarStructure), fault->message}});
            host_.showMessage(std::string(kErrorBoxPreamble) + FailureLine(outcome_.failures.back()), kErrorBoxTitle,
                              MessageIcon::Critical);
        } else if (std::get<CalendarStructure>(read).entries.empty()) {
            outcome_.refusal = RunOutcome::Refusal::NoStartMarker;
            host_.showMessage(kNotACalendar, kInfoTitle, MessageIcon::Information);
        } else {
            structure = ReadForStandalone(std::move(std::get<CalendarStructure>(read)));
        }
    });
    if (!structure)
        return;
    WriteFilesAndClose([&](int& turn) {
        SetOutputFolder();
        const bool firstInFolder = ReadOutputFolder();
        const StandalonePlan plan = PlanStandaloneFiles(*structure, text_, {options_.perFile, options_.maxBytes},
                                                        options_.period, ledger_.namer, state_.fileNumber);
        const std::vector<std::string> inputs = InputNamesInOutputFolder();
        for (FileNamer::Diversion& diversion : ledger_.namer.TakeDiversions()) {
            const bool beingSplit = std::any_of(inputs.begin(), inputs.end(), [&](const std::string& input) {
                return NameAsTheOsCompares(input) == NameAsTheOsCompares(diversion.wanted);
            });
            outcome_.namesKept.push_back({std::move(diversion.wanted), std::move(diversion.given), beingSplit});
        }
        ledger_.nextNumber = state_.fileNumber + static_cast<std::int32_t>(plan.files.size());
        RefuseToReplaceInputs([&plan](std::string_view name) {
            const std::string upper = UpperCaseForNames(name);
            for (const PlannedFile& file : plan.files) {
                if (UpperCaseForNames(plan.NameOf(file)) == upper)
                    return std::optional(std::string(plan.NameOf(file)));
            }
            return std::optional<std::string>();
        });
        KeepResult(plan, firstInFolder);
        const std::uint64_t entries = structure->entries.size();
        IgnoreFailure([&] { host_.showEntries(0, entries); });
        for (const PlannedFile& file : plan.files) {
            CreateStandaloneFile(*structure, plan, file);
            ++turn;
            IgnoreFailure([&] { host_.showEntries(outcome_.entriesWritten, entries); });
        }
    });
}

CalendarStructure SplitRun::ReadForStandalone(CalendarStructure input)
{
    const auto linesOf = [](const CalendarStructure& structure) {
        std::vector<std::size_t> lines;
        for (const Entry& entry : structure.entries)
            lines.push_back(structure.components[entry.firstComponent].line);
        return lines;
    };
    entryLines_ = linesOf(input);
    text_ = state_.content;
    if (!options_.toICalendar)
        return input;
    calendar::Converted converted = calendar::ToICalendar(
        state_.content, {state_.fileSystem->ModifiedAt(state_.sourcePath), state_.fileSystem->Charsets()});
    converted_ = std::move(converted.text);
    outcome_.notes = std::move(converted.notes);
    text_ = converted_;
    std::variant<CalendarStructure, StructureFault> read = ReadCalendarStructure(text_);
    if (const StructureFault* fault = std::get_if<StructureFault>(&read))
        throw Failure(ErrorNumber::CalendarStructure, "as iCalendar 2.0, " + fault->message);
    // Entries keep their order and their grouping: each is told of by where it begins in the input.
    if (std::get<CalendarStructure>(read).entries.size() != entryLines_.size())
        entryLines_ = linesOf(std::get<CalendarStructure>(read));
    return std::move(std::get<CalendarStructure>(read));
}

bool SplitRun::ReadOutputFolder()
{
    if (ledger_.before)
        return false;
    ledger_.before = state_.fileSystem->ReadFolder(state_.outputFolder, InputNamesInOutputFolder());
    ledger_.namer.Reserve(ledger_.before->others);
    for (const std::string& name : ledger_.before->earlierResult)
        ledger_.replaceable.insert(NameAsTheOsCompares(name));
    return true;
}

void SplitRun::KeepResult(const StandalonePlan& plan, bool replacing)
{
    replacing_ = replacing;
    if (!options_.dryRun) {
        state_.fileSystem->RecordResultIn(state_.outputFolder, !replacing);
        recording_ = true;
    } else if (replacing) {
        std::unordered_set<std::string_view> written;
        for (const PlannedFile& file : plan.files)
            written.insert(plan.NameOf(file));
        for (const std::string& name : ledger_.before->earlierResult) {
            if (!written.contains(name))
                outcome_.wouldRemove.push_back(name);
        }
        std::sort(outcome_.wouldRemove.begin(), outcome_.wouldRemove.end(), NumbersInOrder);
    }
}

void SplitRun::StopReplacing()
{
    if (recording_ && replacing_)
        state_.fileSystem->RecordResultIn(state_.outputFolder, true);
    replacing_ = false;
}

void SplitRun::CountLaterFiles()
{
    const FolderContents contents = state_.fileSystem->ReadFolder(state_.outputFolder, {});
    for (const std::vector<std::string>* names : {&contents.earlierResult, &contents.others}) {
        for (const std::string& name : *names) {
            const std::optional<std::int32_t> number = EventFileNumber(name);
            if (number && *number >= state_.fileNumber && name.ends_with(".vcs") &&
                state_.fileSystem->FileExists(state_.outputFolder + name)) {
                ++outcome_.laterFiles;
                outcome_.highestLaterFile = std::max(outcome_.highestLaterFile, *number);
            }
        }
    }
}

void SplitRun::CreateStandaloneFile(const CalendarStructure& structure, const StandalonePlan& plan,
                                    const PlannedFile& file)
{
    const std::string_view name = plan.NameOf(file);
    const bool overwrite = !ledger_.replaceable.empty() && ledger_.replaceable.contains(NameAsTheOsCompares(name));
    PutEventFile(name, file.entries, overwrite, [&](OutputTextStream& stream) {
        WriteStandaloneFile(stream, structure, plan, file, text_);
        stream.Close();
    });
    if (options_.maxBytes != 0 && file.bytes > options_.maxBytes)
        outcome_.oversized.push_back({entryLines_[plan.order[file.first]], file.bytes});
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
    if (!outcome_.failures.empty())
        StopReplacing();
    // Nothing is reported as written before it is on stable storage.
    state_.fileSystem->Commit();
    if (replacing_)
        outcome_.earlierFilesReplaced = ledger_.before->earlierResult.size();
    if (!options_.standalone && outcome_.filesWritten > 0)
        CountLaterFiles();
    if (outcome_.filesWritten == 0) {
        outcome_.refusal = RunOutcome::Refusal::NoEndMarker;
        host_.showMessage(kNoEndEvent, kInfoTitle, MessageIcon::Information);
    }
    std::vector<std::string> notes;
    for (const calendar::ConversionNote& note : outcome_.notes)
        notes.push_back(NoteLine(note));
    const bool openFolder = outcome_.filesWritten > 0 &&
        host_.showSummary(EntriesGeneratedText(outcome_.entriesWritten),
                          {outcome_.entriesWritten, outcome_.filesWritten, state_.outputFolder,
                           outcome_.earlierFilesReplaced, outcome_.namesKept, std::move(notes)}) &&
        !options_.dryRun;
    host_.setProgress(false, "");
    if (openFolder)
        host_.openFolderView(state_.outputFolder);
    state_.inputStream->Close();
    state_.inputStream.reset();
    outcome_.completed = true;
    host_.endProgram();
}

}  // namespace orvelin
