#include "engine/failure_policy.h"
#include "engine/split_run.h"

namespace orvelin {
namespace {

constexpr std::string_view kOutputFolderName = "VCS folder";

#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

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

}  // namespace

void SplitRun::CreateVCS()
{
    // No event is written over another once the counter is used up.
    if (state_.fileNumber > kLastFileNumber)
        throw Failure(ErrorNumber::Overflow);

    state_.sourceFolder = Left(state_.sourcePath, static_cast<Position>(state_.sourcePath.size()) -
                                                      static_cast<Position>(host_.chosenFileTitle().size()));
    state_.outputFolder = state_.sourceFolder;
    state_.outputFolder += kOutputFolderName;
    state_.outputFolder += kPathSeparator;

    // A failing listing still leads to the creation attempt; a failing creation
    // is the normal case of an existing folder that holds no ordinary file.
    bool folderLooksEmpty = true;
    IgnoreFailure([this, &folderLooksEmpty] { folderLooksEmpty = host_.firstFileIn(state_.outputFolder).empty(); });
    if (folderLooksEmpty)
        IgnoreFailure([this] { host_.makeFolder(state_.outputFolder); });

    state_.outputPath = state_.outputFolder;
    state_.outputPath += std::to_string(state_.fileNumber);
    state_.outputPath += ".vcs";

    // A file that could not be written is not counted: the failure reaches
    // FindEndPos, and the stream has removed what it left incomplete.
    WriteEventFile(*state_.fileSystem->CreateTextFile(state_.outputPath, true), state_.eventText);

    IgnoreFailure([this] { host_.setProgress(true, "Generating file ...... " + std::to_string(state_.fileNumber) + ".vcs"); });
    IgnoreFailure([this] { host_.pumpEvents(); });
    ++state_.fileNumber;
}

}  // namespace orvelin
