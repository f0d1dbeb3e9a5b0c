#include "platform/event_file_store.h"

#include "engine/letter_case.h"
#include "platform/buffered_streams.h"
#include "platform/folders.h"

#include <charconv>
#include <chrono>
#include <cstdint>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace orvelin::platform {
namespace {

// How many names a staging folder, or a file going back into its folder,
// tries before it gives up.
constexpr int kTemporaryNameTries = 100;

// The file a run holds locked in its staging folder for as long as the
// folder is its own: never an event file's name, none of which starts with a dot.
constexpr std::string_view kLockName = ".lock";

// How long a staging folder whose lock is free must have lain unchanged
// before its run counts as gone: a run that could not lock (a file system
// without locks, a run of the other OS that does not see its kind of lock)
// changes its folder with every file it writes.
constexpr std::chrono::hours kLeftoverAge{1};

bool Taken(OsCode code)
{
    return KindOfOsError(code) == OsErrorKind::AlreadyExists;
}

// The first failure of several.
void Keep(OsCode& first, OsCode code)
{
    if (first == 0)
        first = code;
}

}  // namespace

// One event file being written into its folder's staging folder.
class EventFileStream final : public BufferedOutputStream {
public:
    EventFileStream(EventFileStore& store, std::size_t folder, std::string name, bool overwrite)
        : store_(store), folder_(folder), name_(std::move(name)), overwrite_(overwrite)
    {
    }
    ~EventFileStream() override
    {
        if (!done_)
            store_.Discard(*this);
    }

    void Close() override
    {
        // Nothing written out yet: the whole file is gathered, and may be one there already.
        if (!wroteOut_ && store_.Reuse(*this, Gathered()))
            return;
        Flush();
        store_.Finish(*this);
    }

private:
    friend class EventFileStore;

    // A file that may be one there already is made with its first bytes.
    void WriteOut(std::string_view bytes) override
    {
        wroteOut_ = true;
        if (path_.empty())
            store_.Open(*this);
        if (const OsCode code = store_.os_.WriteAll(file_, bytes))
            store_.Fail(*this, code);
    }

    EventFileStore& store_;
    const std::size_t folder_;
    const std::string name_;
    const bool overwrite_;
    // The earlier file it may turn out to be, when its name is one (see Reuse).
    EventFileStore::EarlierFile* reusable_ = nullptr;
    std::string path_;  // in the staging folder; empty until the file is made there
    NativeFile file_ = kNoFile;
    bool wroteOut_ = false;
    std::uint64_t hash_ = 0;  // of its bytes, when they were all gathered
    bool done_ = false;  // staged or discarded
};

EventFileStore::EventFileStore(FilePrimitives& os, Interruptions& interruptions)
    : os_(os), interruptions_(interruptions)
{
    interruptions_.SetCleanup(this);
}

EventFileStore::~EventFileStore()
{
    for (Folder& folder : folders_)
        DropStaged(folder);
    interruptions_.WithdrawCleanup(this);
}

std::size_t EventFileStore::FolderIndexOf(const std::string& path)
{
    for (std::size_t index = folders_.size(); index-- > 0;) {
        if (folders_[index].path == path)
            return index;
    }
    Folder added;
    added.path = path;
    added.durable = !os_.IsInMemory(path);
    const InterruptionDeferred deferred(interruptions_);
    folders_.push_back(std::move(added));
    return folders_.size() - 1;
}

// Beside the folder when this run made it: then the staging folder can take
// its place whole. Otherwise inside it, where moving a file never leaves the
// folder's file system.
void EventFileStore::MakeStaging(Folder& folder, bool mayBeBeside)
{
    const std::string bare = folder.path.substr(0, folder.path.size() - 1);
    const std::string separator = folder.path.substr(folder.path.size() - 1);
    if (!std::exchange(folder.swept, true)) {
        const std::string name = bare.substr(NameStart(bare));
        RemoveLeftovers(bare.substr(0, NameStart(bare)), name, separator);
        RemoveLeftovers(folder.path, name, separator);
    }
    OsCode code = 0;
    for (const bool beside : {true, false}) {
        if (beside && !(mayBeBeside && (os_.MadeByThisProcess(folder.path) || TakesWholePlace(folder))))
            continue;
        const std::string target = beside ? bare : folder.path + bare.substr(NameStart(bare));
        for (int attempt = 0; attempt < kTemporaryNameTries; ++attempt) {
            std::string staging = TemporaryNameFor(target, os_.ProcessId(), attempt) + separator;
            if ((code = os_.MakeFolderExclusive(staging)) == 0) {
                if (beside && (code = os_.IdentityAt(staging.substr(0, staging.size() - 1), folder.stagingIdentity))) {
                    os_.RemoveFolder(staging);
                    break;
                }
                folder.staging = std::move(staging);
                folder.stagingBeside = beside;
                folder.lockPath = folder.staging + std::string(kLockName);
                // Where no lock can be held, the hour alone keeps other runs off.
                os_.MakeLock(folder.lockPath, folder.lock);
                return;
            }
            if (!Taken(code))
                break;
        }
    }
    throw FailureFromOsError(code);
}

// Only a folder (never a link) named as a staging folder whose run is
// certainly gone is touched: its lock could be taken (or was never made, by
// a run killed as it began) and nothing in it changed for an hour. Whatever
// machine, process namespace or OS the run was on, a run that still runs
// holds its lock. In the folder only what a run puts there goes: calendars
// and the lock; its lock first, so that another run looking meanwhile finds
// the folder changed just now.
void EventFileStore::RemoveLeftovers(const std::string& where, const std::string& name, const std::string& separator)
{
    std::vector<std::string> names;
    // Only names that may be staging folders: the output folder may hold thousands of files.
    if (os_.ListFolder(where.empty() ? "." + separator : where, "." + name + ".", names) != 0)
        return;
    // What a run puts there: calendars, and a result's record.
    const auto calendar = [](std::string_view file) {
        const std::string_view extension = file.substr(file.size() < 4 ? 0 : file.size() - 4);
        return EqualIgnoringCase(extension, ".vcs") || EqualIgnoringCase(extension, ".ics") ||
            file == kResultRecordName;
    };
    for (const std::string& entry : names) {
        if (!IsTemporaryName(entry, name))
            continue;
        const std::string staging = where + entry + separator;
        const std::string lockPath = staging + std::string(kLockName);
        NativeFile lock = kNoFile;
        const OsCode locked = os_.TakeLock(lockPath, lock);
        if (locked != 0 && KindOfOsError(locked) != OsErrorKind::NotFound)
            continue;
        std::chrono::seconds unchanged{};
        const bool gone = os_.UnchangedFor(staging, unchanged) == 0 && unchanged >= kLeftoverAge;
        if (!gone) {
            if (lock != kNoFile)
                os_.Close(lock, false);
            continue;
        }
        if (lock != kNoFile)
            os_.DropLock(lockPath, lock);
        os_.RemoveFolderOf(staging, calendar);
    }
}

std::unique_ptr<OutputTextStream> EventFileStore::Create(const std::string& path, bool overwrite)
{
    // Everything the file needs is allocated before anything is made on disk.
    const std::string folderPath = path.substr(0, NameStart(path));
    const std::size_t index = FolderIndexOf(folderPath.empty() ? "./" : folderPath);
    auto stream = std::make_unique<EventFileStream>(*this, index, path.substr(NameStart(path)), overwrite);
    const InterruptionDeferred deferred(interruptions_);
    Folder& folder = folders_[index];
    if (folder.staging.empty())
        MakeStaging(folder, true);
    inProgress_ = stream.get();
    stream->reusable_ = ReusableFile(folder, stream->name_);
    if (stream->reusable_ == nullptr)
        Open(*stream);
    return stream;
}

void EventFileStore::Open(EventFileStream& stream)
{
    Folder& folder = folders_[stream.folder_];
    const InterruptionDeferred deferred(interruptions_);
    std::string path = folder.staging + stream.name_;
    OsCode code = os_.CreateExclusive(path, stream.file_);
    if (code != 0 && Restage(folder, code)) {
        path = folder.staging + stream.name_;
        code = os_.CreateExclusive(path, stream.file_);
    }
    if (code != 0)
        throw FailureFromOsError(code);
    StagedAt(stream, folder, std::move(path));
}

// Given a file's bytes, all gathered: their hash goes in the record. A file
// whose bytes are those of the earlier result's file of its name, as it was
// written, is that file, given its name in the staging folder too:
// nothing is written, and nothing freed when the earlier result goes.
// Wherever no link can be made, the file is written.
bool EventFileStore::Reuse(EventFileStream& stream, std::string_view bytes)
{
    Folder& folder = folders_[stream.folder_];
    if (!folder.recorded)
        return false;
    stream.hash_ = ContentHash(bytes);
    EarlierFile* const earlier = stream.reusable_;  // its file made only once its bytes are written out
    if (earlier == nullptr || earlier->file->size != bytes.size() || earlier->file->hash != stream.hash_)
        return false;
    std::string path = folder.staging + stream.name_;
    {
        const InterruptionDeferred deferred(interruptions_);
        if (os_.Link(folder.path + stream.name_, path) != 0)
            return false;
        StagedAt(stream, folder, std::move(path));
    }
    // What the name led to may have been put there since the folder was
    // read, or moved or copied there before, keeping a size and time of the
    // run's: only the same bytes are kept, read unless nothing about the
    // file changed since the record was written.
    FileFacts facts;
    const InterruptionDeferred deferred(interruptions_);
    if (os_.InspectAt(stream.path_, facts) != 0 || !AsRecorded(facts, *earlier->file) ||
        (!earlier->file->untouched && !Holds(stream.path_, bytes))) {
        os_.Remove(stream.path_);
        stream.path_.clear();
        return false;
    }
    earlier->linked = true;
    Stage(stream, folder, facts, true);
    return true;
}

// Whether the ordinary file path, of the size of bytes, holds them.
bool EventFileStore::Holds(const std::string& path, std::string_view bytes)
{
    NativeFile file = kNoFile;
    if (os_.OpenForReading(path, file) != 0)
        return false;
    read_.resize(bytes.size());
    const bool read = ReadInto(os_, file, read_);
    os_.Close(file, false);
    return read && read_ == bytes;
}

// Room for putting the file (and the record) in place without allocating:
// its staging path is longer than its final one.
void EventFileStore::StagedAt(EventFileStream& stream, const Folder& folder, std::string path)
{
    stream.path_ = std::move(path);
    const std::size_t longest = std::max(stream.path_.size(), folder.staging.size() + kResultRecordName.size());
    from_.reserve(longest);
    to_.reserve(longest);
}

// The earlier result's file of that name which a file of the run may turn out to be (see Reuse).
EventFileStore::EarlierFile* EventFileStore::ReusableFile(Folder& folder, std::string_view name)
{
    return folder.recorded && !folder.continuing && folder.earlier ? EarlierFileNamed(folder, name) : nullptr;
}

EventFileStore::EarlierFile* EventFileStore::EarlierFileNamed(Folder& folder, std::string_view name)
{
    if (folder.earlierByName.empty()) {
        for (const RecordedFile& file : folder.earlier->files)
            folder.earlierByName.emplace(file.name, EarlierFile{&file});
    }
    const auto found = folder.earlierByName.find(name);
    return found == folder.earlierByName.end() ? nullptr : &found->second;
}

// Whether a file that could not be made in the staging folder may be tried
// in a new one: the same name twice (the earlier file goes in place first),
// or an output folder that went away and its staging folder with it (whose
// files are lost, as Commit then says).
bool EventFileStore::Restage(Folder& folder, OsCode code)
{
    const bool again = Taken(code);
    if (again) {
        if (const OsCode failure = CommitFolder(folder))
            throw FailureFromOsError(failure);
    } else if (KindOfOsError(code) == OsErrorKind::NotFound && !folder.stagingBeside) {
        LetGoOfLock(folder);
        folder.lost = code;
        folder.staged.clear();
    } else {
        return false;
    }
    MakeStaging(folder, again);
    return true;
}

// A file that will be moved in alone goes in place at once where nothing
// needs flushing (a file system in memory); otherwise it waits for the flush,
// checked against what its name holds now, so that a name it can never take
// fails that file, not the whole run.
void EventFileStore::Finish(EventFileStream& stream)
{
    Folder& folder = folders_[stream.folder_];
    FileFacts facts;
    if (const OsCode code = folder.recorded ? os_.Inspect(stream.file_, facts) : 0)
        Fail(stream, code);
    if (const OsCode code = os_.Close(std::exchange(stream.file_, kNoFile), folder.durable))
        Fail(stream, code);
    if (folder.stagingBeside)
        return Stage(stream, folder, facts);
    const std::string target = folder.path + stream.name_;
    // A result's files go in place after its record, which lists them.
    if (folder.durable || folder.recorded) {
        if (const OsCode code = os_.CheckReplaceable(target))
            Fail(stream, code);
        return Stage(stream, folder, facts);
    }
    const InterruptionDeferred deferred(interruptions_);
    if (const OsCode code = stream.overwrite_ ? os_.MoveOver(stream.path_, target)
                                              : os_.MoveToNewName(stream.path_, target))
        Fail(stream, code);
    inProgress_ = nullptr;
    stream.done_ = true;
}

void EventFileStore::Stage(EventFileStream& stream, Folder& folder, const FileFacts& facts, bool kept)
{
    std::string line;
    if (folder.recorded)
        AppendRecordLine(line, stream.name_, facts, stream.hash_);
    const InterruptionDeferred deferred(interruptions_);
    folder.record += line;
    folder.staged.Add(stream.name_, stream.overwrite_, kept);
    inProgress_ = nullptr;
    stream.done_ = true;
}

void EventFileStore::Fail(EventFileStream& stream, OsCode code)
{
    Discard(stream);
    throw FailureFromOsError(code);
}

// An incomplete file is worse than none. While it is open, its name is
// checked to be still ours; once closed, it is in our own folder.
void EventFileStore::Discard(EventFileStream& stream) noexcept
{
    const InterruptionDeferred deferred(interruptions_);
    FileIdentity ours;
    FileIdentity named;
    const bool open = stream.file_ != kNoFile;
    if (!stream.path_.empty() &&
        (!open ||
         (os_.IdentityOf(stream.file_, ours) == 0 && os_.IdentityAt(stream.path_, named) == 0 && ours == named)))
        os_.Remove(stream.path_);
    if (open)
        os_.Close(std::exchange(stream.file_, kNoFile), false);
    if (inProgress_ == &stream)
        inProgress_ = nullptr;
    stream.done_ = true;
}

void EventFileStore::DropStaged(Folder& folder) noexcept
{
    if (folder.staging.empty())
        return;
    const InterruptionDeferred deferred(interruptions_);
    for (std::size_t at = folder.placed; at < folder.staged.size(); ++at)
        os_.Remove(folder.staging + std::string(folder.staged.Name(at)));
    LetGoOfLock(folder);
    os_.RemoveFolder(folder.staging);
    folder.staging.clear();
}

// Flushes the staged files, then puts them in place: the staging folder
// whole, or file by file, a result's record before its files. A file that
// may not have reached the disk never replaces another; it takes only a name
// that is free. Allocates nothing: an interruption may be doing this.
OsCode EventFileStore::PutInPlace(Folder& folder, bool interrupted) noexcept
{
    if (folder.staging.empty())
        return 0;
    OsCode failure = folder.recorded && !folder.staged.empty() ? WriteRecord(folder) : 0;
    const bool recordWritten = folder.recorded && !folder.staged.empty() && failure == 0;
    if (const OsCode code = folder.durable ? os_.FlushFolder(folder.staging) : 0)
        Keep(failure, code);
    const bool flushed = failure == 0;
    if (folder.stagingBeside && folder.placed == 0 && !folder.staged.empty()) {
        const InterruptionDeferred deferred(interruptions_);
        LetGoOfLock(folder);  // not one of the files that take the folder's place
        // Taking the earlier result's place leaves it to be removed, which an interruption does not do.
        const bool exchange = TakesWholePlace(folder) && !interrupted;
        if ((exchange ? os_.ExchangeFolders(folder.staging, folder.path)
                      : os_.MoveFolderOver(folder.staging, folder.path)) == 0) {
            folder.placed = folder.staged.size();
            folder.tookWholePlace = true;
            if (exchange)
                folder.replaced.swap(folder.staging);
            folder.staging.clear();
        }
    }
    if (recordWritten && !folder.staging.empty())
        PlaceStaged(folder, kResultRecordName, flushed, false, failure);
    for (; folder.placed < folder.staged.size(); ++folder.placed)
        PlaceStaged(folder, folder.staged.Name(folder.placed), flushed && folder.staged.Overwrite(folder.placed),
                    folder.staged.Kept(folder.placed), failure);
    if (!folder.staging.empty()) {
        const InterruptionDeferred deferred(interruptions_);
        LetGoOfLock(folder);
        os_.RemoveFolder(folder.staging);
        folder.staging.clear();
    }
    if (folder.durable)
        Keep(failure, os_.FlushFolder(folder.path));
    return failure;
}

// Moves one staged file to its name; one that cannot go there is removed.
void EventFileStore::PlaceStaged(Folder& folder, std::string_view name, bool overwrite, bool kept,
                                 OsCode& failure) noexcept
{
    const InterruptionDeferred deferred(interruptions_);
    Join(from_, folder.staging, name);
    Join(to_, folder.path, name);
    OsCode code = overwrite ? os_.MoveOver(from_, to_) : os_.MoveToNewName(from_, to_);
    // A kept file (see Reuse) goes onto another name of itself: a move that
    // leaves both names, or refuses, leaves it in place all the same.
    FileIdentity staged;
    FileIdentity there;
    if (code != 0 && kept && os_.IdentityAt(from_, staged) == 0 && os_.IdentityAt(to_, there) == 0 &&
        staged == there)
        code = 0;
    if (code != 0 || kept)
        os_.Remove(from_);
    Keep(failure, code);
}

// The record of the folder's result, into the staging folder: the earlier
// result's files still there and the run's own; and, where the staging
// folder may take the folder's place, that it is a folder a run made.
OsCode EventFileStore::WriteRecord(Folder& folder) noexcept
{
    const InterruptionDeferred deferred(interruptions_);
    Join(from_, folder.staging, kResultRecordName);
    os_.Remove(from_);
    NativeFile file = kNoFile;
    if (const OsCode code = os_.CreateExclusive(from_, file))
        return code;
    char buffer[64];
    OsCode code = os_.WriteAll(file, kRecordHeader);
    if (code == 0 && (folder.stagingBeside || folder.tookWholePlace))
        code = os_.WriteAll(file, OwnFolderLine(folder.stagingIdentity, buffer));
    if (code == 0)
        code = os_.WriteAll(file, folder.record);
    Keep(code, os_.Close(file, folder.durable));
    Keep(code, os_.MarkHidden(from_));
    if (code != 0)
        os_.Remove(from_);
    return code;
}

void EventFileStore::LetGoOfLock(Folder& folder) noexcept
{
    if (folder.lock != kNoFile)
        os_.DropLock(folder.lockPath, std::exchange(folder.lock, kNoFile));
}

// Within the room Create made: allocates nothing.
void EventFileStore::Join(std::string& path, const std::string& folder, std::string_view name) noexcept
{
    path.assign(folder);
    path.append(name);
}

OsCode EventFileStore::CommitFolder(Folder& folder)
{
    OsCode failure = std::exchange(folder.lost, 0);
    Keep(failure, PutInPlace(folder, false));
    const InterruptionDeferred deferred(interruptions_);
    folder.staged.clear();
    folder.placed = 0;
    return failure;
}

void EventFileStore::Commit()
{
    OsCode failure = 0;
    for (Folder& folder : folders_) {
        if (folder.recorded && !folder.staged.empty())
            JoinRecordOnDisk(folder);
        const OsCode code = CommitFolder(folder);
        Keep(failure, code);
        // Only a result that is all in place replaces the earlier one; one
        // that took the earlier result's place has replaced it already.
        if (folder.recorded && !folder.continuing && (code == 0 || !folder.replaced.empty())) {
            RemoveEarlierResult(folder);
            DropEarlierLines(folder);
        }
    }
    if (failure != 0)
        throw FailureFromOsError(failure);
}

// The earlier result's files that the run did not write again, each only if
// it is still as it was written: from where it went when the new result took
// the folder's place (anything else there goes back into the folder), or
// from the folder itself.
void EventFileStore::RemoveEarlierResult(Folder& folder)
{
    const auto asWritten = [&](const std::string& path, const EarlierFile* earlier) {
        FileFacts facts;
        return earlier != nullptr && os_.InspectAt(path, facts) == 0 && AsRecorded(facts, *earlier->file);
    };
    if (!folder.replaced.empty()) {
        std::vector<std::string> names;
        os_.ListFolder(folder.replaced, "", names);
        for (const std::string& name : names) {
            const std::string path = folder.replaced + name;
            const EarlierFile* const earlier = EarlierFileNamed(folder, name);
            // A linked file's other name is in the new result.
            if (name == kResultRecordName || (earlier != nullptr && earlier->linked) || asWritten(path, earlier))
                os_.Remove(path);
            else
                MoveBack(folder, name);
        }
        os_.RemoveFolder(folder.replaced);
        folder.replaced.clear();
    } else {
        std::unordered_set<std::string> own;
        for (RecordedFile& file : RecordedFiles(std::string_view(folder.record).substr(folder.ownLines)))
            own.insert(std::move(file.name));
        for (const RecordedFile& file : folder.earlier->files) {
            const std::string path = folder.path + file.name;
            if (!own.contains(file.name) && asWritten(path, EarlierFileNamed(folder, file.name)))
                os_.Remove(path);
        }
    }
    folder.continuing = true;
}

// Once the earlier result is gone, its lines leave the record, which is
// written again: a file put back later under one of their names (a copy
// that keeps its time) would be taken for one of its files. Where that
// fails, the record as it is still holds: it lists more than is there.
void EventFileStore::DropEarlierLines(Folder& folder)
{
    if (folder.earlierLines == 0)
        return;
    const InterruptionDeferred deferred(interruptions_);
    folder.record.erase(0, folder.earlierLines);
    folder.ownLines -= folder.earlierLines;
    folder.earlierLines = 0;
    if (CatchFailure([&] { MakeStaging(folder, false); }))
        return;
    OsCode failure = WriteRecord(folder);
    // Only a record on the disk replaces the one there.
    if (failure == 0 && folder.durable)
        failure = os_.FlushFolder(folder.staging);
    if (failure == 0)
        PlaceStaged(folder, kResultRecordName, true, false, failure);
    LetGoOfLock(folder);
    os_.RemoveFolder(folder.staging);
    folder.staging.clear();
    if (failure == 0 && folder.durable)
        os_.FlushFolder(folder.path);
}

// A file of the earlier result that changed while the run ran goes back into
// the folder: under its own name, or when the new result has taken that,
// under the next that is free (left where it is, it would go with the
// staging folders of runs long gone).
void EventFileStore::MoveBack(const Folder& folder, const std::string& name)
{
    const std::string from = folder.replaced + name;
    const std::size_t dot = name.rfind('.');
    const std::string_view stem = std::string_view(name).substr(0, dot);
    const std::string_view extension = dot == std::string::npos ? "" : std::string_view(name).substr(dot);
    OsCode code = os_.MoveToNewName(from, folder.path + name);
    for (int again = 2; code != 0 && Taken(code) && again < kTemporaryNameTries; ++again)
        code = os_.MoveToNewName(from, folder.path + NameAgain(stem, again, extension));
}

// Another run into the folder may have put its result there since this one
// began: its files stay listed, so that they remain a result's, not a
// stranger's, and this run's files of the same names replace them.
void EventFileStore::JoinRecordOnDisk(Folder& folder)
{
    std::string now = RecordIn(os_, folder.path);
    if (now == folder.earlier->record)
        return;
    std::string onDisk;
    for (const RecordedFile& file : RecordedFiles(now))
        AppendRecordLine(onDisk, file.name, {true, file.size, file.modified}, file.hash);
    std::unordered_set<std::string_view> known;
    for (std::size_t at = 0; at < folder.record.size();) {
        const std::size_t end = folder.record.find('\n', at) + 1;
        known.insert(std::string_view(folder.record).substr(at, end - at));
        at = end;
    }
    std::string added;
    for (std::size_t at = 0; at < onDisk.size();) {
        const std::size_t end = onDisk.find('\n', at) + 1;
        if (const std::string_view line = std::string_view(onDisk).substr(at, end - at); !known.contains(line))
            added += line;
        at = end;
    }
    if (added.empty())
        return;
    std::unordered_set<std::string> theirs;
    for (RecordedFile& file : RecordedFiles(added))
        theirs.insert(std::move(file.name));
    const InterruptionDeferred deferred(interruptions_);
    for (std::size_t at = folder.placed; at < folder.staged.size(); ++at) {
        if (theirs.contains(std::string(folder.staged.Name(at))))
            folder.staged.AllowOverwrite(at);
    }
    folder.record.insert(folder.ownLines, added);
    folder.ownLines += added.size();
}

const EarlierResult& EventFileStore::EarlierResultIn(const std::string& path, const std::vector<std::string>& kept)
{
    Folder& folder = folders_[FolderIndexOf(path)];
    if (!folder.earlier)
        folder.earlier = ReadEarlierResult(os_, path);
    std::unordered_set<std::string> keptNames;
    for (const std::string& name : kept)
        keptNames.insert(NameAsTheOsCompares(name));
    EarlierResult& earlier = *folder.earlier;
    const auto isKept = [&](const RecordedFile& file) {
        if (!keptNames.contains(NameAsTheOsCompares(file.name)))
            return false;
        earlier.others.push_back(file.name);
        earlier.ownFolderOnly = false;
        return true;
    };
    if (!keptNames.empty() && std::erase_if(earlier.files, isKept) != 0)
        folder.earlierByName.clear();
    return earlier;
}

void EventFileStore::RecordResultIn(const std::string& path, bool continuing)
{
    const std::size_t index = FolderIndexOf(path);
    if (!folders_[index].recorded) {
        std::string lines;
        // Without their hashes: this record is newer than anything done to
        // those files since the earlier one, which would make them look untouched.
        for (const RecordedFile& file : EarlierResultIn(path).files)
            AppendRecordLine(lines, file.name, {true, file.size, file.modified});
        const InterruptionDeferred deferred(interruptions_);
        folders_[index].recorded = true;
        folders_[index].earlierLines = lines.size();
        folders_[index].ownLines = lines.size();
        folders_[index].record = std::move(lines);
    }
    folders_[index].continuing = continuing;
}

bool EventFileStore::TakesWholePlace(const Folder& folder) const
{
    return folder.recorded && !folder.continuing && folder.earlier && folder.earlier->ownFolderOnly;
}

void EventFileStore::OnInterruption() noexcept
{
    if (inProgress_ != nullptr)
        Discard(*inProgress_);
    for (Folder& folder : folders_)
        PutInPlace(folder, true);
}

std::string TemporaryNameFor(const std::string& target, unsigned long processId, int attempt)
{
    const std::size_t nameStart = NameStart(target);
    std::string name = target.substr(0, nameStart);
    name += '.';
    name.append(target, nameStart);
    name += '.';
    name += std::to_string(processId);
    name += '-';
    name += std::to_string(attempt);
    name += ".tmp";
    return name;
}

bool IsTemporaryName(std::string_view name, std::string_view targetName)
{
    const std::size_t numbersStart = 1 + targetName.size();
    if (name.size() < numbersStart + 4 || !name.starts_with('.') || name.substr(1, targetName.size()) != targetName ||
        !name.ends_with(".tmp"))
        return false;
    // ".PID-K", each number 32 bits at most on every OS.
    const std::string_view numbers = name.substr(numbersStart, name.size() - numbersStart - 4);
    const char* const end = numbers.data() + numbers.size();
    std::uint32_t number = 0;
    if (!numbers.starts_with('.'))
        return false;
    const auto [dash, process] = std::from_chars(numbers.data() + 1, end, number);
    if (process != std::errc() || dash == end || *dash != '-')
        return false;
    const auto [stop, attempt] = std::from_chars(dash + 1, end, number);
    return attempt == std::errc() && stop == end;
}

}  // namespace orvelin::platform
