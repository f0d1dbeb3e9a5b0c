#pragma once

#include "engine/file_system.h"
#include "platform/file_primitives.h"
#include "platform/interruption.h"
#include "platform/result_record.h"

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace orvelin::platform {

class EventFileStream;

// How event files come into being, the same on every OS.
//
// A run writes its files into a hidden folder of its own (made exclusively,
// "." + folder name + ".PID-K.tmp"), each under its final name, and puts them
// in place when it commits: the whole staging folder is moved over the
// output folder when this run made that folder and it is still empty (one
// step for any number of files); otherwise each file is moved over its name,
// replacing whatever is there (an earlier run's file, a link, a FIFO) without
// following it. So:
// - no file is ever visible under its name before it is complete, and
//   nothing but its own name is ever written;
// - the data reaches the disk before any name is moved, with one flush for
//   the whole run, so that a power cut leaves each earlier file whole, old or
//   new; a second flush after the moves makes the names durable too;
// - only files inside a staging folder are ever removed: of this run's own, a
//   file that failed (and only while it is still ours) or an interrupted one;
//   and the staging folders that runs certainly gone (killed, or on a
//   machine that lost power) left beside or in the output folder: a run
//   holds a lock in its staging folder for as long as the folder is its own,
//   and a folder whose lock is free goes once it has lain unchanged an hour.
// An interruption removes the file being written and puts every complete
// one in place before the program ends; Commit does the same at a run's end.
//
// A folder may hold a run's result (result_record.h): its record, which lists
// the earlier result's files still there and the run's own, goes in place
// with the files, before any of them; once the run has committed, the
// earlier result's files it did not write again are removed, each only if it
// is still as it was written. Where the earlier result is all the folder
// holds, the new result takes its place in one step, the old one's files
// then removed from where it went.
class EventFileStore final : public InterruptionCleanup {
public:
    EventFileStore(FilePrimitives& os, Interruptions& interruptions);
    // Files not committed are dropped: their names keep what they held.
    ~EventFileStore();
    EventFileStore(const EventFileStore&) = delete;
    EventFileStore& operator=(const EventFileStore&) = delete;

    // overwrite: a taken name is replaced; otherwise it fails the file at Commit.
    std::unique_ptr<OutputTextStream> Create(const std::string& path, bool overwrite);
    // See FileSystem::Commit.
    void Commit();

    // What folder holds of an earlier result, read once; the names kept are
    // among its others (see FileSystem::ReadFolder).
    const EarlierResult& EarlierResultIn(const std::string& folder, const std::vector<std::string>& kept = {});
    // See FileSystem::RecordResultIn.
    void RecordResultIn(const std::string& folder, bool continuing);

    void OnInterruption() noexcept override;

private:
    friend class EventFileStream;

    // The complete files in a staging folder, in order, by name: a run of
    // tens of thousands of files keeps them in little room.
    class StagedFiles {
    public:
        // kept: another name of an earlier file (see Reuse)
        void Add(std::string_view name, bool overwrite, bool kept)
        {
            names_ += name;
            ends_.push_back(names_.size());
            overwrite_.push_back(overwrite);
            kept_.push_back(kept);
        }
        std::size_t size() const { return ends_.size(); }
        bool empty() const { return ends_.empty(); }
        std::string_view Name(std::size_t at) const
        {
            const std::size_t start = at == 0 ? 0 : ends_[at - 1];
            return std::string_view(names_).substr(start, ends_[at] - start);
        }
        bool Overwrite(std::size_t at) const { return overwrite_[at]; }
        bool Kept(std::size_t at) const { return kept_[at]; }
        void AllowOverwrite(std::size_t at) { overwrite_[at] = true; }
        void clear()
        {
            names_.clear();
            ends_.clear();
            overwrite_.clear();
            kept_.clear();
        }

    private:
        std::string names_;
        std::vector<std::size_t> ends_;
        std::vector<bool> overwrite_;
        std::vector<bool> kept_;
    };
    struct EarlierFile {
        const RecordedFile* file = nullptr;
        bool linked = false;  // also a file of this run's
    };
    struct Folder {
        std::string path;                      // ends in a separator
        bool durable = true;                   // not kept in memory: flushes matter
        std::string staging;                   // our own folder for its files; empty until the first file
        bool stagingBeside = false;            // beside the folder: it may take the folder's place
        std::string lockPath;                  // in staging, held while staging is ours
        NativeFile lock = kNoFile;             // none where the file system has no locks
        StagedFiles staged;                    // complete files in staging, in order
        std::size_t placed = 0;                // staged[0, placed) are in place
        OsCode lost = 0;                       // staged files went away with their folder
        bool swept = false;                    // leftovers of earlier runs looked for
        std::optional<EarlierResult> earlier;  // read once
        bool recorded = false;                 // the files are a result, recorded with them
        bool continuing = false;               // they join the earlier result instead of replacing it
        bool earlierIsAll = false;             // the folder holds nothing but the earlier result
        std::string record;                    // the record's text: the earlier result's lines, then the run's
        std::size_t earlierLines = 0;          // the earlier result's lines, until that result is gone
        std::size_t ownLines = 0;              // where the run's lines start
        bool tookWholePlace = false;           // a staging folder beside became the folder
        std::string replaced;                  // where the earlier result went when the new one took its place
        FileIdentity stagingIdentity;          // of a staging folder beside, which may take the folder's place
        std::unordered_map<std::string_view, EarlierFile> earlierByName;  // of earlier, once needed
    };

    std::size_t FolderIndexOf(const std::string& path);
    void MakeStaging(Folder& folder, bool mayBeBeside);
    void RemoveLeftovers(const std::string& where, const std::string& name, const std::string& separator);
    bool Restage(Folder& folder, OsCode code);
    void Open(EventFileStream& stream);
    bool Reuse(EventFileStream& stream, std::string_view bytes);
    bool Holds(const std::string& path, std::string_view bytes);
    void StagedAt(EventFileStream& stream, const Folder& folder, std::string path);
    EarlierFile* ReusableFile(Folder& folder, std::string_view name);
    EarlierFile* EarlierFileNamed(Folder& folder, std::string_view name);
    void Finish(EventFileStream& stream);
    void Stage(EventFileStream& stream, Folder& folder, const FileFacts& facts, bool kept = false);
    [[noreturn]] void Fail(EventFileStream& stream, OsCode code);
    void Discard(EventFileStream& stream) noexcept;
    void DropStaged(Folder& folder) noexcept;
    // interrupted: no step that allocates or removes an earlier result's files.
    OsCode PutInPlace(Folder& folder, bool interrupted) noexcept;
    OsCode WriteRecord(Folder& folder) noexcept;
    void PlaceStaged(Folder& folder, std::string_view name, bool overwrite, bool kept, OsCode& failure) noexcept;
    void LetGoOfLock(Folder& folder) noexcept;
    OsCode CommitFolder(Folder& folder);
    void RemoveEarlierResult(Folder& folder);
    void MoveBack(const Folder& folder, const std::string& name);
    void DropEarlierLines(Folder& folder);
    void JoinRecordOnDisk(Folder& folder);
    bool TakesWholePlace(const Folder& folder) const;

    void Join(std::string& path, const std::string& folder, std::string_view name) noexcept;

    FilePrimitives& os_;
    Interruptions& interruptions_;
    // Room to put paths together in while files are put in place, made as
    // large as the longest when each file is created: an interruption may be
    // putting them in place, and may not allocate.
    std::string from_;
    std::string to_;
    // Everything an interruption reads changes only while it is deferred.
    std::vector<Folder> folders_;
    std::string read_;  // a kept file's bytes, read to compare
    EventFileStream* inProgress_ = nullptr;
};

// The name of try attempt for a hidden file or folder of this process beside
// target: "." + target's name + ".PID-K.tmp".
std::string TemporaryNameFor(const std::string& target, unsigned long processId, int attempt);

// Whether name is the name of a temporary beside a target named targetName
// (see TemporaryNameFor); one that does not parse, a number out of range
// included, is not.
bool IsTemporaryName(std::string_view name, std::string_view targetName);

}  // namespace orvelin::platform
