// The split run against a recording host on an in-memory disk: message boxes,
// progress, the file manager, the end of the program and the event files.

#include "engine/failure.h"
#include "engine/split_run.h"
#include "tests/support/memory_run.h"

#include <gtest/gtest.h>

namespace orvelin::testing {
namespace {

using Operation = MemoryFileSystem::Operation;

const std::string kEventA = "BEGIN:VEVENT\r\nSUMMARY:A\r\nEND:VEVENT";
const std::string kEventB = "BEGIN:VEVENT\r\nSUMMARY:B\r\nEND:VEVENT";
const std::string kEventC = "BEGIN:VEVENT\r\nSUMMARY:C\r\nEND:VEVENT";
const std::string kNoEndText =
    "No entries have been generated since the selected .vcs file does not contain an end event.";

std::string Calendar(const std::vector<std::string>& events)
{
    std::string text = "BEGIN:VCALENDAR\r\nVERSION:1.0\r\n";
    for (const std::string& event : events)
        text += event + "\r\n";
    return text + "END:VCALENDAR\r\n";
}

std::vector<HostCall> WrittenFiles(int count)
{
    std::vector<HostCall> calls;
    for (int n = 1; n <= count; ++n) {
        calls.push_back(Progress(true, "Generating file ...... " + std::to_string(n) + ".vcs"));
        calls.push_back(Pump());
    }
    return calls;
}

std::vector<HostCall> Closing(const std::string& summary, bool opensFolder)
{
    std::vector<HostCall> calls{InfoBox(summary), Progress(false, "")};
    if (opensFolder)
        calls.push_back(OpenFolder(MemoryRun::kOutputFolder));
    calls.push_back(End());
    return calls;
}

std::vector<HostCall> Concat(std::vector<HostCall> first, const std::vector<HostCall>& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

TEST(SplitRun, ThreeEventsGiveThreeFilesASummaryTheFolderAndTheEnd)
{
    MemoryRun run;
    EXPECT_TRUE(run.Run(Calendar({kEventA, kEventB, kEventC})));

    EXPECT_EQ(run.host.calls, Concat(WrittenFiles(3), Closing("3 Entries have been generated", true)));
    EXPECT_EQ(run.File(1), EventFile(kEventA));
    EXPECT_EQ(run.File(1),
              "Begin:VCalendar\r\nVersion: 1.0\r\nBEGIN:VEVENT\r\nSUMMARY:A\r\nEND:VEVENT\r\n"
              "End:VCalendar\r\n");
    // Later chunks start right after the previous end marker.
    EXPECT_EQ(run.File(2), EventFile("\r\n" + kEventB));
    EXPECT_EQ(run.File(3), EventFile("\r\n" + kEventC));
    EXPECT_EQ(run.OutputFileCount(), 3u);
    EXPECT_EQ(run.state.inputStream, nullptr);
}

TEST(SplitRun, TextBetweenEventsGoesIntoTheLaterChunkAndTrailingTextIntoNone)
{
    MemoryRun run;
    const std::string todo = "\r\nBEGIN:VTODO\r\nEND:VTODO";
    EXPECT_TRUE(run.Run("END:VEVENT\r\n" + kEventA + todo + "\r\n" + kEventB + "\r\ntrailer END:vevent"));

    EXPECT_EQ(run.File(1), EventFile(kEventA));
    EXPECT_EQ(run.File(2), EventFile(todo + "\r\n" + kEventB));
    EXPECT_EQ(run.OutputFileCount(), 2u);
}

TEST(SplitRun, TheFirstChunkStartsAtTheFirstExactStartMarker)
{
    MemoryRun run;
    EXPECT_TRUE(run.Run("Begin:VEvent\r\nX\r\nEND:VEVENT\r\n" + kEventA));
    EXPECT_EQ(run.File(1), EventFile(kEventA));
    EXPECT_EQ(run.OutputFileCount(), 1u);
}

TEST(SplitRun, AFileEndingRightAfterTheEndMarker)
{
    MemoryRun run;
    EXPECT_TRUE(run.Run(kEventA + "\r\n" + kEventB));
    EXPECT_EQ(run.File(2), EventFile("\r\n" + kEventB));
    EXPECT_EQ(run.host.messages(), std::vector{InfoBox("2 Entries have been generated")});
}

TEST(SplitRun, EightBitAndNulBytesPassUnchanged)
{
    MemoryRun run;
    using namespace std::string_literals;
    const std::string event = "BEGIN:VEVENT\nSUMMARY:Caf\xE9 \0\xFF\r\rEND:VEVENT"s;
    EXPECT_TRUE(run.Run(event));
    EXPECT_EQ(run.File(1), EventFile(event));
}

TEST(SplitRunRefusal, NoStartMarkerInAnyCaseIsRefusedAndTheWindowStays)
{
    for (const std::string content : {"", "BEGIN:VCALENDAR\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n"}) {
        MemoryRun run;
        EXPECT_FALSE(run.Run(content));
        EXPECT_EQ(run.host.calls, std::vector{InfoBox("Not a valid VCalendar (.vcs) file format")});
        EXPECT_EQ(run.disk->folders.size(), 1u) << "no output folder";
        EXPECT_EQ(run.OutputFileCount(), 0u);
    }
}

TEST(SplitRunRefusal, NoEndMarkerReportsNoEntriesAndEndsWithoutFolder)
{
    MemoryRun run;
    EXPECT_TRUE(run.Run("BEGIN:VEVENT\r\nSUMMARY:A\r\nend:vevent\r\n"));
    EXPECT_EQ(run.host.calls, Closing(kNoEndText, false));
    EXPECT_EQ(run.disk->folders.size(), 1u);
}

TEST(SplitRunRefusal, StartMarkersOnlyInOtherCaseGiveTheInvalidArgumentBox)
{
    MemoryRun run;
    EXPECT_FALSE(run.Run("begin:vevent\r\nEND:VEVENT\r\n"));
    EXPECT_EQ(run.host.calls, std::vector{ErrorBox("Find Error 5:  Invalid procedure call or argument")});
    EXPECT_EQ(run.OutputFileCount(), 0u);
}

TEST(SplitRunRefusal, AMissingFileReturnsSilently)
{
    MemoryRun run;
    run.disk->files.clear();
    EXPECT_NO_THROW(SplitRun(run.state, run.host).RunFromFile("/cal/gone.vcs"));
    EXPECT_TRUE(run.host.calls.empty());
}

TEST(SplitRunRefusal, AnUnreadableFileGivesTheErrorBoxAndTheWindowStays)
{
    MemoryRun run;
    run.disk->unreadable.insert(MemoryRun::kInputPath);
    EXPECT_FALSE(run.Run(Calendar({kEventA})));
    EXPECT_EQ(run.host.calls, std::vector{ErrorBox("Error 70:  Permission denied")});
}

TEST(SplitRunRefusal, AFileTitleLongerThanThePathFailsTheFirstTurn)
{
    MemoryRun run;
    run.host.fileTitle = std::string(100, 'x');
    EXPECT_FALSE(run.Run(Calendar({kEventA})));
    EXPECT_EQ(run.host.calls, std::vector{ErrorBox("Find Error 5:  Invalid procedure call or argument")});
}

TEST(OutputFolder, IsCreatedWhenMissingAndOnlyThen)
{
    MemoryRun run;
    int creations = 0;
    run.host.makeFolderImpl = [&](const std::string& folder) {
        ++creations;
        run.disk->MakeFolder(folder);
    };
    EXPECT_TRUE(run.Run(Calendar({kEventA, kEventB})));
    EXPECT_EQ(creations, 1) << "the second file finds the first in the folder";
    EXPECT_TRUE(run.disk->folders.contains(MemoryRun::kOutputFolder));
}

TEST(OutputFolder, AnExistingEmptyFolderIsUsedAndHigherFilesStay)
{
    MemoryRun run;
    run.disk->folders.insert(MemoryRun::kOutputFolder);
    EXPECT_TRUE(run.Run(Calendar({kEventA})));
    EXPECT_EQ(run.File(1), EventFile(kEventA));

    MemoryRun again;
    again.disk->folders.insert(MemoryRun::kOutputFolder);
    again.disk->files["/cal/VCS folder/1.vcs"] = "old 1";
    again.disk->files["/cal/VCS folder/5.vcs"] = "old 5";
    EXPECT_TRUE(again.Run(Calendar({kEventA, kEventB})));
    EXPECT_EQ(again.File(1), EventFile(kEventA));
    EXPECT_EQ(again.File(5), "old 5");
}

// The run asks for the folder only before its first file; a folder that went
// away after it is looked for and made again before the next file.
TEST(OutputFolder, AFolderRemovedDuringARunIsMadeAgain)
{
    MemoryRun run;
    run.host.onPump = [&](int pump) {
        if (pump != 1)
            return;
        run.disk->folders.erase(MemoryRun::kOutputFolder);
        std::erase_if(run.disk->files,
                      [](const auto& file) { return file.first.starts_with(MemoryRun::kOutputFolder); });
    };
    EXPECT_TRUE(run.Run(Calendar({kEventA, kEventB})));
    EXPECT_EQ(run.host.messages(), std::vector{InfoBox("2 Entries have been generated")});
    EXPECT_EQ(run.File(2), EventFile("\r\n" + kEventB));
    EXPECT_TRUE(run.disk->folders.contains(MemoryRun::kOutputFolder));
}

TEST(FailureRouting, AFailureInTheClosingStageIsShownAndTheWindowStays)
{
    MemoryRun run;
    run.host.onOpenFolderView = [](const std::string&) { throw Failure(ErrorNumber::PathNotFound); };
    EXPECT_FALSE(run.Run(Calendar({kEventA})));
    EXPECT_EQ(run.host.calls,
              Concat(WrittenFiles(1),
                     {InfoBox("1 Entries have been generated"), Progress(false, ""),
                      OpenFolder(MemoryRun::kOutputFolder), ErrorBox("Find Error 76:  Path not found")}));
    EXPECT_NE(run.state.inputStream, nullptr) << "the remaining closing steps are skipped";
}

TEST(FailureRouting, EachRunCountsItsOwnFiles)
{
    MemoryRun run;
    run.host.onOpenFolderView = [](const std::string&) { throw Failure(ErrorNumber::PathNotFound); };
    EXPECT_FALSE(run.Run(Calendar({kEventA, kEventB, kEventC})));

    run.host.calls.clear();
    run.host.onOpenFolderView = nullptr;
    EXPECT_TRUE(run.Run("BEGIN:VEVENT\r\n"));
    EXPECT_EQ(run.host.calls, Closing(kNoEndText, false)) << "not the earlier run's count or folder";

    MemoryRun second;
    second.host.onOpenFolderView = [](const std::string&) { throw Failure(ErrorNumber::PathNotFound); };
    EXPECT_FALSE(second.Run(Calendar({kEventA, kEventB, kEventC})));
    second.host.calls.clear();
    second.host.onOpenFolderView = nullptr;
    EXPECT_TRUE(second.Run(Calendar({kEventC})));
    EXPECT_EQ(second.File(1), EventFile(kEventC)) << "numbering starts again at 1";
    EXPECT_EQ(second.host.messages(), std::vector{InfoBox("1 Entries have been generated")});
}

TEST(FailureRouting, CancelDuringARunEndsItBetweenTwoFiles)
{
    MemoryRun run;
    run.host.endOnPump = 2;
    EXPECT_TRUE(run.Run(Calendar({kEventA, kEventB, kEventC})));
    EXPECT_EQ(run.host.calls, Concat(WrittenFiles(2), {End()}));
    EXPECT_EQ(run.File(2), EventFile("\r\n" + kEventB));
    EXPECT_EQ(run.File(3), "<missing>");
}

// A file that could not be written is not reported as written, whichever
// operation failed and wherever in the run.
TEST(FailureRouting, AFailedEventFileIsNeitherKeptNorCounted)
{
    const std::vector<std::string> events{kEventA, kEventB, kEventC, kEventA, kEventB};
    const int writesPerFile = 6;
    for (const auto& [operation, perFile] :
         {std::pair{Operation::Create, 1}, {Operation::Write, writesPerFile}, {Operation::Close, 1}}) {
        for (int k = 1; k <= 5 * perFile; ++k) {
            SCOPED_TRACE("operation " + std::to_string(static_cast<int>(operation)) + " k=" + std::to_string(k));
            MemoryRun run;
            run.disk->faultOperation = operation;
            run.disk->faultAt = k;
            const bool ended = run.Run(Calendar(events));
            const int failedFile = (k - 1) / perFile + 1;
            const int written = failedFile - 1;

            std::vector<HostCall> expected = Concat(WrittenFiles(written), {ErrorBox("Find Error 61:  Disk full")});
            if (written > 0)
                expected = Concat(expected, Closing(std::to_string(written) + " Entries have been generated", true));
            EXPECT_EQ(run.host.calls, expected);
            EXPECT_EQ(ended, written > 0);
            EXPECT_EQ(run.OutputFileCount(), static_cast<std::size_t>(written));
            EXPECT_EQ(run.File(failedFile), "<missing>");
            if (written > 0) {
                EXPECT_EQ(run.File(1), EventFile(kEventA));
            }
        }
    }
}

// No event is written over another when the counter runs out.
TEST(FailureRouting, TheCounterLimitStopsTheRunWithoutOverwriting)
{
    std::string content;
    for (int n = 1; n <= kLastFileNumber + 2; ++n)
        content += "BEGIN:VEVENT\nN:" + std::to_string(n) + "\nEND:VEVENT";
    MemoryRun run;
    EXPECT_TRUE(run.Run(content));

    EXPECT_EQ(run.OutputFileCount(), static_cast<std::size_t>(kLastFileNumber));
    EXPECT_EQ(run.File(kLastFileNumber), EventFile("BEGIN:VEVENT\nN:32767\nEND:VEVENT"));
    const std::vector<HostCall> messages = run.host.messages();
    EXPECT_EQ(messages,
              (std::vector{ErrorBox("Find Error 6:  Overflow"), InfoBox("32767 Entries have been generated")}));
    EXPECT_EQ(run.host.calls.back(), End());
}

}  // namespace
}  // namespace orvelin::testing
