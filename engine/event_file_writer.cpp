#include "engine/failure_policy.h"
#include "engine/paths.h"
#include "engine/split_run.h"

#include <algorithm>

namespace orvelin {
namespace {

constexpr std::string_view kOutputFolderName = "VCS folder";

// The event file format: header lines, the chunk exactly as cut, footer line.
void WriteEventFile(OutputTextStream& stream, std::string_view eventText)
{
    stream.Write("Begin:VCalendar");
    stream.WriteLine("");
    stream.WriteLine("Version: 1.0");
    stream.Write(eventText);
    stream.WriteLine("");
    stream.WriteLine("End:VCalendar");
    stream.Close();
}

// What a file would hold, counted instead of written.
class ByteCounter final : public OutputTextStream {
public:
    void Write(std::string_view text) override { bytes += text.size(); }
    void WriteLine(std::string_view text) override { bytes += text.size() + 2; }
    void Close() override {}

    std::uint64_t bytes = 0;
};

// A file that cannot be created because its folder is missing fails for the
// reason the folder could not be made, which says more than "Path not found".
ErrorInfo ReasonForNoFile(const ErrorInfo& creation, const std::optional<ErrorInfo>& folderCreation)
{
    const auto is = [](const ErrorInfo& info, ErrorNumber number) { return info.number == static_cast<int>(number); };
    if (is(creation, ErrorNumber::PathNotFound) && folderCreation &&
        !is(*folderCreation, ErrorNumber::FileAlreadyExists))
        return *folderCreation;
    return creation;
}

// The folder part of sourcePath, whose name and extension are fileTitle.
std::string_view SourceFolderOf(std::string_view sourcePath, std::string_view fileTitle)
{
    return Left(sourcePath, static_cast<Position>(sourcePath.size()) - static_cast<Position>(fileTitle.size()));
}

}  // namespace

std::string OutputFolderFor(std::string_view sourcePath, std::string_view fileTitle, std::string_view outputFolder)
{
    if (!outputFolder.empty())
        return std::string(outputFolder);
    // The output folder's path ends in the separator that ends the chosen
    // file's folder, where it has one.
    const std::string_view sourceFolder = SourceFolderOf(sourcePath, fileTitle);
    std::string folder(sourceFolder);
    folder += kOutputFolderName;
    if (!sourceFolder.empty() && kPathSeparators.find(sourceFolder.back()) != std::string_view::npos)
        folder += sourceFolder.back();
    return WithFinalSeparator(std::move(folder));
}

void SplitRun::CreateVCS()
{
    // No event is written over another once the plain split's counter is used up.
    if (state_.fileNumber > kLastFileNumber)
        throw Failure(ErrorNumber::Overflow);
    PutEventFile(std::to_string(state_.fileNumber) + ".vcs", 1, true,
                 [this](OutputTextStream& stream) { WriteEventFile(stream, state_.eventText); });
}

void SplitRun::PutEventFile(std::string_view fileName, std::uint32_t entries, bool overwrite,
                            const std::function<void(OutputTextStream&)>& write)
{
    if (options_.dryRun) {
        SetOutputFolder();
        if (state_.outputFolder != folderWritten_)
            state_.fileSystem->CheckCanWriteInto(state_.outputFolder);
        ByteCounter counter;
        write(counter);
        host_.listFile(fileName, entries, counter.bytes);
    } else {
        write(*OpenEventFile(fileName, overwrite));
    }
    CountEventFile(fileName, entries);
}

void SplitRun::SetOutputFolder()
{
    const std::string fileTitle = host_.chosenFileTitle();
    state_.sourceFolder = SourceFolderOf(state_.sourcePath, fileTitle);
    state_.outputFolder = OutputFolderFor(state_.sourcePath, fileTitle, options_.outputFolder);
}

std::unique_ptr<OutputTextStream> SplitRun::OpenEventFile(std::string_view fileName, bool overwrite)
{
    SetOutputFolder();

    // A folder this run has just written a file into holds one: asking again
    // before every file would cost as much as writing it.
    const bool folderHoldsOurFile = state_.outputFolder == folderWritten_;
    std::optional<ErrorInfo> folderFailure;
    if (!folderHoldsOurFile)
        folderFailure = MakeOutputFolderIfEmpty();

    state_.outputPath = state_.outputFolder;
    state_.outputPath += fileName;

    std::unique_ptr<OutputTextStream> stream;
    const auto create = [this, &stream, overwrite] {
        stream = state_.fileSystem->CreateTextFile(state_.outputPath, overwrite);
    };
    std::optional<ErrorInfo> failure = CatchFailure(create);
    if (failure && folderHoldsOurFile && failure->number == static_cast<int>(ErrorNumber::PathNotFound)) {
        // The folder went away since the last file: look again, and try once more.
        folderFailure = MakeOutputFolderIfEmpty();
        failure = CatchFailure(create);
    }
    // A file that could not be written is not counted: the failure reaches
    // the run's guard, and the stream has removed what it left incomplete.
    if (failure)
        throw Failure(ReasonForNoFile(*failure, folderFailure));
    return stream;
}

// The file is complete: it counts, and the progress line names it.
void SplitRun::CountEventFile(std::string_view fileName, std::uint32_t entries)
{
    folderWritten_ = state_.outputFolder;
    ++outcome_.filesWritten;
    outcome_.entriesWritten += entries;
    IgnoreFailure([this, fileName] {
        std::string caption = "Generating file ...... ";
        caption += fileName;
        host_.setProgress(true, caption);
    });
    LetEventsRun();
    ++state_.fileNumber;
    ledger_.nextNumber = std::max(ledger_.nextNumber, state_.fileNumber);
}

void SplitRun::LetEventsRun()
{
    try {
        IgnoreFailure([this] { host_.pumpEvents(); });
    } catch (const ProgramEnd&) {
        // Cancel between two files: every file counted so far is put in
        // place before the program ends, replacing no earlier result.
        IgnoreFailure([this] {
            StopReplacing();
            state_.fileSystem->Commit();
        });
        throw;
    }
}

std::optional<ErrorInfo> SplitRun::MakeOutputFolderIfEmpty()
{
    // A failing listing still leads to the creation attempt; a failing creation
    // is the normal case of an existing folder that holds no ordinary file.
    bool folderLooksEmpty = true;
    IgnoreFailure([this, &folderLooksEmpty] { folderLooksEmpty = host_.firstFileIn(state_.outputFolder).empty(); });
    if (!folderLooksEmpty)
        return std::nullopt;
    return CatchFailure([this] { host_.makeFolder(state_.outputFolder); });
}

}  // namespace orvelin
