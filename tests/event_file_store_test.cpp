// How event files come into being, written once for every OS, against a
// disk in memory that records every broken promise and lets a test fail or
// interrupt any single step.

#include "engine/failure.h"
#include "platform/local_file_system.h"
#include "platform/result_record.h"
#include "tests/support/fake_files.h"

#include <gtest/gtest.h>

#include <cctype>

namespace orvelin::testing {
namespace {

constexpr std::size_t kBufferSize = 64 * 1024;  // the stream gathers this much before writing

// Where a run writes: a folder it made itself (which its files may take the
// place of whole), or one that was there, empty or with an earlier run's
// files, on a disk or in memory.
struct Start {
    const char* what;
    bool madeByTheRun;
    bool namesTaken;
    bool inMemory;
};
constexpr Start kStarts[] = {{"a folder the run made", true, false, false},
                             {"an empty folder that was there", false, false, false},
                             {"earlier files", false, true, false},
                             {"earlier files in memory", false, true, true}};

std::string Name(int number)
{
    return "/out/" + std::to_string(number) + ".vcs";
}

// A small file, one that ends exactly at the buffer's size, one a byte past it.
const std::vector<std::string> kContents{"BEGIN:VEVENT\r\nEND:VEVENT", std::string(kBufferSize, 'a'),
                                         std::string(kBufferSize + 1, 'b')};

class EventFiles : public ::testing::Test {
protected:
    // A new disk and process, as start says, with count names.
    void Reset(const Start& start, int count = 3)
    {
        interruptions = {};
        disk = std::make_shared<FakeDisk>(interruptions);
        disk->madeHere = start.madeByTheRun;
        disk->inMemory = start.inMemory;
        for (int number = 1; start.namesTaken && number <= count; ++number)
            disk->Put(Name(number), "old " + std::to_string(number));
    }

    // Writes the files as a run does, in two pieces each; how many were
    // closed before the process ended.
    int WriteAll(platform::LocalFileSystem& files, const std::vector<std::string>& contents)
    {
        int closed = 0;
        for (std::size_t k = 0; k < contents.size() && !interruptions.ended(); ++k) {
            auto stream = files.CreateTextFile(Name(static_cast<int>(k + 1)), true);
            stream->Write(std::string_view(contents[k]).substr(0, 100));
            stream->Write(std::string_view(contents[k]).substr(std::min<std::size_t>(100, contents[k].size())));
            stream->Close();
            closed += interruptions.ended() ? 0 : 1;
        }
        return closed;
    }

    // A record in /out/ of 1.vcs ... count.vcs as they are now, and whether a
    // run made the folder; its path.
    std::string RecordAsWritten(int count, bool ownFolder)
    {
        char buffer[64];
        std::string record(ownFolder ? platform::OwnFolderLine({2, std::hash<std::string>{}("/out")}, buffer) : "");
        for (int number = 1; number <= count; ++number) {
            platform::FileFacts facts;
            disk->InspectAt(Name(number), facts);
            platform::AppendRecordLine(record, std::to_string(number) + ".vcs", facts,
                                       platform::ContentHash(disk->At(Name(number))));
        }
        const std::string path = "/out/" + std::string(platform::kResultRecordName);
        disk->Put(path, record);
        return path;
    }

    void ExpectNothingLeftOrBroken()
    {
        EXPECT_EQ(disk->HiddenNames(), std::vector<std::string>{});
        EXPECT_EQ(disk->violations, std::vector<std::string>{});
    }

    FakeInterruptions interruptions;
    std::shared_ptr<FakeDisk> disk;
};

// A record claims a file for the earlier result only where the folder still
// holds it as written (an ordinary file of its size and time), and the
// folder as the one its run made only where it is that folder, told by
// numbers that are numbers to their end.
TEST(ResultRecord, ClaimsOnlyWhatIsAsWritten)
{
    FakeInterruptions interruptions;
    const platform::FileFacts a{true, 4, 1};  // "/out/a.ics" as Put makes it, the disk's first tick
    std::string asWritten;
    platform::AppendRecordLine(asWritten, "a.ics", a);
    std::string resized;
    platform::AppendRecordLine(resized, "a.ics", {true, a.size + 1, a.modified});
    std::string touched;
    platform::AppendRecordLine(touched, "a.ics", {true, a.size, a.modified + 1});
    std::string aFolder;
    platform::AppendRecordLine(aFolder, "sub", {true, 0, 0});
    char buffer[64];
    const std::string own(platform::OwnFolderLine({2, std::hash<std::string>{}("/out")}, buffer));
    const std::string copied(platform::OwnFolderLine({2, 7}, buffer));
    const struct {
        const char* what;
        std::string record;
        std::vector<std::string> claimed;
        bool ownFolderOnly;
        bool usersFileBeside = false;
    } cases[] = {
        {"as written, in the folder its run made", own + asWritten, {"a.ics"}, true},
        {"copied with its folder", copied + asWritten, {"a.ics"}, false},
        {"the folder's number followed by more", own.substr(0, own.size() - 1) + "x\n" + asWritten, {"a.ics"}, false},
        {"resized at the same time", own + resized, {}, false},
        {"touched, of the same size", own + touched, {}, false},
        {"listed before and after a run that stopped half-way", own + resized + asWritten, {"a.ics"}, true},
        {"among lines that are no record's", own + "x 1 a.ics\n4 x a.ics\n4\n4 1\n" + asWritten, {"a.ics"}, true},
        {"with a folder line cut short", "folder 2\n" + asWritten, {"a.ics"}, false},
        {"with no folder line", asWritten, {"a.ics"}, false},
        {"beside a file of the user's", own + asWritten, {"a.ics"}, false, true},
        {"a folder where a file was", aFolder, {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeDisk disk(interruptions);
        disk.Put("/out/a.ics", "aaaa");
        disk.Put(std::string("/out/") + std::string(platform::kResultRecordName), c.record);
        if (c.record == aFolder)
            disk.folders.insert("/out/sub/");
        if (c.usersFileBeside)
            disk.Put("/out/b.ics", "mine");
        const platform::EarlierResult earlier = platform::ReadEarlierResult(disk, "/out/");
        std::vector<std::string> claimed;
        for (const platform::RecordedFile& file : earlier.files)
            claimed.push_back(file.name);
        EXPECT_EQ(claimed, c.claimed);
        EXPECT_EQ(earlier.ownFolderOnly, c.ownFolderOnly);
    }
}

// A calendar read in short reads, or one that grew or shrank after its size
// was taken, is read whole as it is when read; one whose size, reading or
// closing fails says why.
TEST_F(EventFiles, ACalendarIsReadWholeAsItIsWhenReadOrSaysWhyNot)
{
    const std::string small(100, 's');
    std::string large;
    for (int line = 0; line < 5000; ++line)
        large += "line " + std::to_string(line) + "\r\n";
    const struct {
        const char* what;  // or the step that fails
        std::string sized;
        std::optional<std::string> read;
        std::size_t mostPerRead;
    } cases[] = {{"short reads", large, std::nullopt, 7},     {"grown", small, large, SIZE_MAX},
                 {"shrunk", large, small, SIZE_MAX},          {"Inspect", small, std::nullopt, SIZE_MAX},
                 {"ReadSome", small, std::nullopt, SIZE_MAX}, {"Close", small, std::nullopt, SIZE_MAX}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Reset(kStarts[0]);
        disk->Put("/in.vcs", c.sized);
        platform::LocalFileSystem files(disk, interruptions);
        const std::unique_ptr<InputTextStream> in = files.OpenTextFile("/in.vcs", IOMode::ForReading);
        disk->mostPerRead = c.mostPerRead;
        disk->nextReadFinds = c.read;
        const std::string_view failing = c.what;
        disk->inspectFails = failing == "Inspect" ? OsCodes::kIoError : 0;
        disk->readFails = failing == "ReadSome" ? OsCodes::kIoError : 0;
        if (failing == "Close")
            disk->FailAt("Close", 1, OsCodes::kIoError);
        std::string text;
        const std::optional<ErrorInfo> failure = CatchFailure([&] {
            text = in->ReadAll().view();
            in->Close();
        });
        if (std::isupper(static_cast<unsigned char>(failing[0])))
            EXPECT_EQ(failure ? failure->number : 0, 57);
        else
            EXPECT_EQ(text, c.read.value_or(c.sized));
    }
}

// Files wait in their run's own folder until it commits; where nothing needs
// flushing, one that replaces another goes in place at once.
TEST_F(EventFiles, AppearWholeAndAreOnStableStorageOnceCommitted)
{
    for (const Start& start : kStarts) {
        SCOPED_TRACE(start.what);
        Reset(start);
        platform::LocalFileSystem files(disk, interruptions);
        WriteAll(files, kContents);
        for (int number = 1; number <= 3; ++number) {
            const std::string waiting = start.namesTaken ? "old " + std::to_string(number) : "<missing>";
            EXPECT_EQ(disk->At(Name(number)), start.inMemory ? kContents[number - 1] : waiting);
        }
        files.Commit();
        for (int number = 1; number <= 3; ++number)
            EXPECT_EQ(disk->At(Name(number)), kContents[number - 1]) << number;
        EXPECT_TRUE(disk->AllDurable() || start.inMemory);
        EXPECT_EQ(disk->Calls("MoveFolderOver") == 1 && disk->Calls("MoveOver") == 0, start.madeByTheRun)
            << "all at once only in a folder the run made";
        ExpectNothingLeftOrBroken();
    }
}

// The process ends before and after each step in turn, as an interruption
// ends it: every name holds its old file or the whole new one, every file
// closed before is in place, and nothing of the run is left behind.
TEST_F(EventFiles, AnInterruptionAtAnyStepLeavesOnlyWholeFiles)
{
    for (const Start& start : kStarts) {
        Reset(start);
        {
            platform::LocalFileSystem files(disk, interruptions);
            WriteAll(files, kContents);
            files.Commit();
        }
        const int steps = disk->steps();
        for (int moment = 2; moment < 2 * (steps + 1); ++moment) {
            SCOPED_TRACE(std::string(start.what) + ", interrupted " + (moment % 2 ? "after" : "before") + " step " +
                         std::to_string(moment / 2));
            Reset(start);
            disk->aroundStep = [&](int step, const std::string&, bool done) {
                if (2 * step + (done ? 1 : 0) == moment)
                    interruptions.Interrupt();
            };
            int closed = 0;
            {
                platform::LocalFileSystem files(disk, interruptions);
                closed = WriteAll(files, kContents);
                files.Commit();
            }
            ASSERT_TRUE(interruptions.ended());
            for (int number = 1; number <= 3; ++number) {
                const std::string at = disk->At(Name(number));
                const std::string before = start.namesTaken ? "old " + std::to_string(number) : "<missing>";
                if (number <= closed)
                    EXPECT_EQ(at, kContents[number - 1]) << number;
                else
                    EXPECT_TRUE(at == before || at == kContents[number - 1]) << number << ": " << at.size();
            }
            ExpectNothingLeftOrBroken();
        }
    }
}

// A staging name someone holds is passed over; a file another run put at
// the name of the file being written survives that file's failure and an
// interruption.
TEST_F(EventFiles, OnlyOurOwnFilesAreEverRemoved)
{
    const std::string stale = platform::TemporaryNameFor("/out/out", 4242, 0);
    const std::string inProgress = platform::TemporaryNameFor("/out/out", 4242, 1) + "/1.vcs";
    for (const bool interrupted : {false, true}) {
        SCOPED_TRACE(interrupted ? "interrupted" : "failed");
        Reset(kStarts[1]);
        disk->Put(stale, "a stale file");
        disk->aroundStep = [&](int, const std::string& step, bool done) {
            if (step != "WriteAll" || done)
                return;
            disk->Put(inProgress, "another run's file");
            if (interrupted)
                interruptions.Interrupt();
        };
        disk->FailAt("WriteAll", 1, OsCodes::kDiskFull);
        platform::LocalFileSystem files(disk, interruptions);
        auto stream = files.CreateTextFile(Name(1), true);
        stream->Write("BEGIN:VEVENT");
        if (interrupted)
            stream->Close();
        else
            EXPECT_THROW(stream->Close(), Failure);
        EXPECT_EQ(disk->At(stale), "a stale file");
        EXPECT_EQ(disk->At(inProgress), "another run's file");
        EXPECT_EQ(disk->At(Name(1)), "<missing>");
    }
}

// A staging folder beside or in the output folder goes with the next run
// into it only when its run is certainly gone: its lock free (or never made)
// and nothing in it changed for an hour. A locked one stays, and one changed
// lately, and whatever is not named as a staging folder.
TEST_F(EventFiles, LeftoversOfRunsCertainlyGoneAreRemoved)
{
    Reset(kStarts[1]);
    const std::vector<std::string> gone{"/.out.17-0.tmp/", "/out/.out.18-3.tmp/"};
    const std::vector<std::string> kept{"/.out.99-0.tmp/", "/out/.out.19-0.tmp/", "/out/.out.notes.tmp/",
                                        "/out/.out.17-0.tmp.old/", "/out/.other.17-0.tmp/"};
    for (const std::vector<std::string>& folders : {gone, kept}) {
        for (const std::string& folder : folders) {
            disk->folders.insert(folder);
            disk->Put(folder + "1.vcs", "left behind");
            disk->Put(folder + ".lock", "");
            disk->unchangedFor[folder] = std::chrono::hours(2);
        }
    }
    disk->Remove("/out/.out.18-3.tmp/.lock");  // killed before it locked
    disk->locks["/.out.99-0.tmp/.lock"] = platform::kNoFile;
    disk->unchangedFor["/out/.out.19-0.tmp/"] = std::chrono::minutes(59);
    {
        platform::LocalFileSystem files(disk, interruptions);
        files.CreateTextFile(Name(1), true)->Close();
    }
    for (const std::string& folder : gone) {
        EXPECT_FALSE(disk->folders.contains(folder)) << folder;
        EXPECT_EQ(disk->At(folder + "1.vcs"), "<missing>") << folder;
    }
    for (const std::string& folder : kept)
        EXPECT_EQ(disk->At(folder + "1.vcs"), "left behind") << folder;
    EXPECT_EQ(disk->locks.size(), 1u) << "only the other run's lock is held";
}

// In a dead run's staging folder only calendars are the run's: anything
// else stays, and so does the folder with it.
TEST_F(EventFiles, InALeftoverOnlyCalendarsAreRemoved)
{
    Reset(kStarts[1]);
    const std::string staging = "/out/.out.17-0.tmp/";
    disk->folders.insert(staging);
    disk->Put(staging + "1.vcs", "left behind");
    disk->Put(staging + "notes.txt", "someone's notes");
    disk->unchangedFor[staging] = std::chrono::hours(2);
    platform::LocalFileSystem files(disk, interruptions);
    files.CreateTextFile(Name(1), true)->Close();
    EXPECT_EQ(disk->At(staging + "1.vcs"), "<missing>");
    EXPECT_EQ(disk->At(staging + "notes.txt"), "someone's notes");
}

// Whichever step fails, the failure says why, and the name holds what it
// held before, or the whole new file where it could take a free name.
TEST_F(EventFiles, AFailedStepLeavesNoPartAndSaysWhy)
{
    enum class Fails { Creating, Closing, Committing };
    struct Case {
        const char* step;
        platform::OsCode code;
        std::size_t start;
        Fails when;
        int number;
        std::string after;
    };
    const std::string old = "old 1";
    const std::string missing = "<missing>";
    const std::vector<Case> cases{
        {"MakeFolderExclusive", OsCodes::kNotFound, 1, Fails::Creating, 76, missing},
        {"CreateExclusive", OsCodes::kDiskFull, 0, Fails::Creating, 61, missing},
        {"WriteAll", OsCodes::kDiskFull, 0, Fails::Closing, 61, missing},
        {"WriteAll", OsCodes::kDiskFull, 2, Fails::Closing, 61, old},
        {"Close", OsCodes::kIoError, 2, Fails::Closing, 57, old},
        {"MoveOver", OsCodes::kIsAFolder, 2, Fails::Committing, 75, old},
        {"MoveOver", OsCodes::kIoError, 1, Fails::Committing, 57, missing},
        {"MoveOver", OsCodes::kIsAFolder, 3, Fails::Closing, 75, old},
        {"CheckReplaceable", OsCodes::kIsAFolder, 2, Fails::Closing, 75, old},
        {"FlushFolder", OsCodes::kIoError, 2, Fails::Committing, 57, old},
        {"FlushFolder", OsCodes::kIoError, 1, Fails::Committing, 57, kContents[0]},
    };
    for (const Case& c : cases) {
        const Start& start = kStarts[c.start];
        SCOPED_TRACE(std::string(c.step) + " failing, " + start.what);
        Reset(start, 1);
        disk->FailAt(c.step, 1, c.code);
        std::optional<ErrorInfo> failure;
        {
            platform::LocalFileSystem files(disk, interruptions);
            failure = CatchFailure([&] {
                auto stream = files.CreateTextFile(Name(1), true);
                ASSERT_NE(c.when, Fails::Creating);
                stream->Write(kContents[0]);
                stream->Close();
                ASSERT_NE(c.when, Fails::Closing);
                files.Commit();
            });
        }
        ASSERT_TRUE(failure.has_value());
        EXPECT_EQ(failure->number, c.number) << failure->description;
        EXPECT_EQ(disk->At(Name(1)), c.after);
        ExpectNothingLeftOrBroken();
    }
}

// A folder the run made that someone filled meanwhile is not replaced: the
// files go in one by one beside what is there.
TEST_F(EventFiles, AFolderFilledMeanwhileIsKept)
{
    Reset(kStarts[0]);
    platform::LocalFileSystem files(disk, interruptions);
    WriteAll(files, kContents);
    disk->Put("/out/notes.txt", "someone's notes");
    files.Commit();
    EXPECT_EQ(disk->At("/out/notes.txt"), "someone's notes");
    EXPECT_EQ(disk->At(Name(3)), kContents[2]);
    ExpectNothingLeftOrBroken();
}

// A file of the earlier result changed while a rerun ran goes back into the
// folder once the new result has taken its place: under its own name, or
// the next free one when the new result has that; the rest goes, and so do
// its lines in the record, which keeps saying whether a run made the folder.
TEST_F(EventFiles, AnEarlierFileChangedDuringARerunIsKept)
{
    const struct {
        int changed;  // 0: a file of the user's beside, and the files go in one by one
        const char* keptAs;
    } cases[] = {{1, "/out/1 (2).vcs"}, {2, "/out/2.vcs"}, {0, "/out/mine.txt"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keptAs);
        Reset(kStarts[2]);
        const std::string recordPath = RecordAsWritten(3, true);
        if (c.changed == 0)
            disk->Put(c.keptAs, "edited");
        disk->aroundStep = [&](int, const std::string& step, bool done) {
            if (step == "ExchangeFolders" && !done)
                disk->Put(Name(c.changed), "edited");
        };
        platform::LocalFileSystem files(disk, interruptions);
        files.ReadFolder("/out/", {});
        files.RecordResultIn("/out/", false);
        WriteAll(files, {"new"});
        files.Commit();
        EXPECT_EQ(disk->At(Name(1)), "new");
        EXPECT_EQ(disk->At(c.keptAs), "edited");
        EXPECT_EQ(disk->At(Name(3)), "<missing>");
        EXPECT_EQ(disk->HiddenNames(), std::vector<std::string>{recordPath});
        const std::string now = disk->At(recordPath);
        std::vector<std::string> listed;
        for (const platform::RecordedFile& file : platform::RecordedFiles(now))
            listed.push_back(file.name);
        EXPECT_EQ(listed, std::vector<std::string>{"1.vcs"});
        EXPECT_EQ(now.find("\nfolder ") != std::string::npos, c.changed != 0) << now;
    }
}

// A rerun's file with the bytes its name holds from the earlier result, as
// written, is that file kept, not written again: where the folder is swapped
// whole or files go in one by one. Other bytes of the same size, a file
// larger than the buffer, one changed before it could be kept, or a file
// system without links: written. Nothing of the run is left behind.
TEST_F(EventFiles, ARerunKeepsTheFilesItWouldWriteAgain)
{
    const std::string same = kContents[0];
    const std::string sameSize = "X" + same.substr(1);
    const struct {
        const char* what;
        std::string first;
        bool exchanges;  // false: one by one, as on Windows, where the move onto itself may refuse
        bool links;
        bool changedMeanwhile;
        bool kept;
    } cases[] = {
        {"the same bytes", same, true, true, false, true},
        {"the same bytes, in a folder the user made", same, true, true, false, true},
        {"the same bytes, the move onto itself refused", same, false, true, false, true},
        {"other bytes of the same size", sameSize, true, true, false, false},
        {"no links", same, true, false, false, false},
        {"the same bytes, read where the OS does not say when a file changed", same, true, true, false, true},
        {"changed before it was kept", same, true, true, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Reset(kStarts[2]);
        std::vector<platform::FileIdentity> before(4);
        for (int number = 1; number <= 3; ++number) {
            disk->Put(Name(number), number == 1 ? c.first : kContents[number - 1]);
            disk->IdentityAt(Name(number), before[number]);
        }
        RecordAsWritten(3, !std::string_view(c.what).ends_with("made"));
        disk->exchanges = c.exchanges;
        disk->links = c.links;
        disk->mostPerRead = 7;
        disk->tellsChanges = !std::string_view(c.what).ends_with("changed");
        if (std::string_view(c.what).ends_with("refused"))
            disk->FailAt("MoveOver", 2, OsCodes::kHeld);
        disk->aroundStep = [&](int, const std::string& step, bool done) {
            if (c.changedMeanwhile && step == "Link" && !done)
                disk->Put(Name(1), "edited");
        };
        {
            platform::LocalFileSystem files(disk, interruptions);
            files.ReadFolder("/out/", {});
            files.RecordResultIn("/out/", false);
            WriteAll(files, kContents);
            files.Commit();
        }
        for (int number = 1; number <= 3; ++number) {
            platform::FileIdentity now;
            disk->IdentityAt(Name(number), now);
            EXPECT_EQ(disk->At(Name(number)), kContents[number - 1]) << number;
            EXPECT_EQ(now == before[number], number == 1 ? c.kept : number == 2 && c.links) << number;
        }
        EXPECT_EQ(disk->At("/out/1 (2).vcs"), c.changedMeanwhile ? "edited" : "<missing>");
        EXPECT_EQ(disk->HiddenNames(), std::vector<std::string>{"/out/" + std::string(platform::kResultRecordName)});
        EXPECT_EQ(disk->violations, std::vector<std::string>{});
    }
}

// Another run that put its result into the folder meanwhile keeps it listed,
// and this run's file of the same name replaces that run's.
TEST_F(EventFiles, AResultPutThereMeanwhileIsJoined)
{
    Reset(kStarts[1]);
    platform::LocalFileSystem files(disk, interruptions);
    files.ReadFolder("/out/", {});
    files.RecordResultIn("/out/", false);
    auto stream = files.CreateTextFile(Name(1), false);
    stream->Write("ours");
    stream->Close();
    disk->Put(Name(1), "theirs");
    disk->Put("/out/2.vcs", "theirs too");
    RecordAsWritten(2, false);
    files.Commit();
    EXPECT_EQ(disk->At(Name(1)), "ours");
    EXPECT_EQ(disk->At(Name(2)), "theirs too");
    const std::string now = disk->At("/out/" + std::string(platform::kResultRecordName));
    EXPECT_NE(now.find(" 2.vcs\n"), std::string::npos) << now;
}

// A path longer than PATH_MAX is fine on Windows: its file still goes in
// place, at a commit and when an interruption puts it there.
TEST_F(EventFiles, LongPathsGoInPlace)
{
    const std::string folder = "/" + std::string(5000, 'f') + "/";
    for (const bool interrupted : {false, true}) {
        SCOPED_TRACE(interrupted ? "interrupted" : "committed");
        Reset(kStarts[1]);
        disk->folders.insert(folder);
        platform::LocalFileSystem files(disk, interruptions);
        auto stream = files.CreateTextFile(folder + "1.vcs", true);
        stream->Write(kContents[0]);
        stream->Close();
        if (interrupted)
            interruptions.Interrupt();
        else
            files.Commit();
        EXPECT_EQ(disk->At(folder + "1.vcs"), kContents[0]);
        ExpectNothingLeftOrBroken();
    }
}

}  // namespace
}  // namespace orvelin::testing
