#pragma once

#include "platform/file_primitives.h"
#include "platform/interruption.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace orvelin::testing {

// Interruptions that a test sets off. An interruption that is not deferred
// runs the cleanup and ends the "process": from then on the disk is frozen,
// as a real disk is once the program has exited.
class FakeInterruptions final : public platform::Interruptions {
public:
    void Defer() noexcept override { ++depth_; }
    void Resume() noexcept override;
    void SetCleanup(platform::InterruptionCleanup* cleanup) noexcept override { cleanup_ = cleanup; }
    void WithdrawCleanup(platform::InterruptionCleanup* cleanup) noexcept override;

    // An interruption arrives now.
    void Interrupt() noexcept;
    bool ended() const { return ended_; }

private:
    void End() noexcept;

    int depth_ = 0;
    bool pending_ = false;
    bool ended_ = false;
    platform::InterruptionCleanup* cleanup_ = nullptr;
};

// The OS's codes for what the fake disk reports, on the OS the tests run on.
struct OsCodes {
    static const platform::OsCode kExists, kNotFound, kIoError, kDiskFull, kUnsupported, kIsAFolder, kNotEmpty,
        kReadOnly, kHeld;
};

// Files in memory behind the primitive steps, with a step counter, failures
// injected by step name, and a record of every broken promise: a file
// written to after it appeared under its name, a name replaced by data that
// had not reached the disk.
class FakeDisk final : public platform::FilePrimitives {
public:
    struct File {
        std::string bytes;
        bool durable = false;
        std::int64_t modified = 0;  // a tick of the disk's own clock
        std::int64_t changed = 0;   // the tick of its last write or new name
    };

    explicit FakeDisk(FakeInterruptions& interruptions);

    // Test controls and findings.
    void Put(const std::string& path, const std::string& bytes);  // an existing file, on the disk
    std::string At(const std::string& path) const;                // its bytes, or "<missing>"
    // Files and folders with a hidden part in their path: what a run left behind.
    std::vector<std::string> HiddenNames() const;
    // Every named file and every name is on stable storage.
    bool AllDurable() const;
    // Makes the nth call (1-based) of step fail with code.
    void FailAt(const std::string& step, int nth, platform::OsCode code) { failures_[step] = {nth, code}; }
    // Runs before every step and after it (done), with its number (1-based) and name.
    std::function<void(int, const std::string&, bool done)> aroundStep;
    int steps() const { return steps_; }
    // How many times step was called.
    int Calls(const std::string& step) const { return calls_.contains(step) ? calls_.at(step) : 0; }

    std::set<std::string> folders{"/", "/out/"};  // each ends in "/"
    std::vector<std::string> violations;
    std::set<std::string> readOnly;  // folders (ending in "/") where nothing may be made
    std::set<std::string> markedHidden;
    bool exchanges = true;               // whether ExchangeFolders works
    bool links = true;                   // whether Link works
    bool tellsChanges = true;            // whether facts say when a file last changed
    bool madeHere = false;               // MadeByThisProcess's answer
    bool inMemory = false;               // IsInMemory's answer
    std::size_t mostPerRead = SIZE_MAX;  // the most bytes one ReadSome gives
    platform::OsCode readFails = 0;      // what every ReadSome fails with
    platform::OsCode inspectFails = 0;   // what every Inspect fails with
    // What the file read next holds from its first read on (it changed
    // after its size was taken).
    std::optional<std::string> nextReadFinds;
    std::map<std::string, platform::NativeFile> locks;         // held, through which file (another run's: kNoFile)
    std::map<std::string, std::chrono::seconds> unchangedFor;  // not listed: changed just now

    platform::OsCode MakeFolderExclusive(const std::string& path) noexcept override;
    platform::OsCode RemoveFolder(const std::string& path) noexcept override;
    bool MadeByThisProcess(const std::string&) noexcept override { return madeHere; }
    platform::OsCode CreateExclusive(const std::string& path, platform::NativeFile& file) noexcept override;
    platform::OsCode WriteAll(platform::NativeFile file, std::string_view bytes) noexcept override;
    platform::OsCode Close(platform::NativeFile file, bool flushLater) noexcept override;
    platform::OsCode IdentityOf(platform::NativeFile file, platform::FileIdentity& identity) noexcept override;
    platform::OsCode IdentityAt(const std::string& path, platform::FileIdentity& identity) noexcept override;
    platform::OsCode Remove(const std::string& path) noexcept override;
    platform::OsCode MoveToNewName(const std::string& from, const std::string& to) noexcept override;
    platform::OsCode CheckReplaceable(const std::string& path) noexcept override;
    platform::OsCode MoveOver(const std::string& from, const std::string& to) noexcept override;
    platform::OsCode Link(const std::string& from, const std::string& to) noexcept override;
    platform::OsCode MoveFolderOver(const std::string& from, const std::string& to) noexcept override;
    platform::OsCode FlushFolder(const std::string& folder) noexcept override;
    bool IsInMemory(const std::string&) noexcept override { return inMemory; }
    unsigned long ProcessId() noexcept override { return 4242; }
    platform::OsCode MakeLock(const std::string& path, platform::NativeFile& lock) noexcept override;
    platform::OsCode TakeLock(const std::string& path, platform::NativeFile& lock) noexcept override;
    platform::OsCode DropLock(const std::string& path, platform::NativeFile lock) noexcept override;
    bool FileExists(const std::string& path) noexcept override { return names_.contains(path); }
    platform::OsCode OpenForReading(const std::string& path, platform::NativeFile& file) noexcept override;
    platform::OsCode Inspect(platform::NativeFile file, platform::FileFacts& facts) noexcept override;
    platform::OsCode ReadSome(platform::NativeFile file, char* buffer, std::size_t size,
                              std::size_t& got) noexcept override;
    platform::OsCode ResolvedPath(const std::string& path, std::string& resolved) override;
    platform::OsCode ListFolder(const std::string& folder, std::string_view prefix,
                                std::vector<std::string>& names) override;
    platform::OsCode UnchangedFor(const std::string& folder, std::chrono::seconds& age) override
    {
        age = unchangedFor.contains(folder) ? unchangedFor.at(folder) : std::chrono::seconds(0);
        return folders.contains(folder) ? 0 : OsCodes::kNotFound;
    }
    platform::OsCode RemoveFolderOf(const std::string& folder,
                                    const std::function<bool(std::string_view)>& removable) override;
    platform::OsCode InspectAt(const std::string& path, platform::FileFacts& facts) noexcept override;
    platform::OsCode ExchangeFolders(const std::string& a, const std::string& b) noexcept override;
    platform::OsCode MarkHidden(const std::string& path) noexcept override;
    platform::OsCode CheckWritable(const std::string& folder) noexcept override;

private:
    // Counts a step and applies what the test asked for: a failure instead
    // of effect, or the end of the process (frozen: nothing more happens).
    template <typename Effect>
    platform::OsCode Step(const char* name, Effect&& effect);
    bool InFolder(const std::string& path) const;
    bool Taken(const std::string& path) const;
    platform::NativeFile Open(std::uint64_t file);
    platform::OsCode NewFile(const std::string& path, platform::NativeFile& file);
    void Name(const std::string& path, std::uint64_t file);

    FakeInterruptions& interruptions_;
    std::map<std::uint64_t, File> files_;
    std::map<std::string, std::uint64_t> names_;
    std::set<std::string> unflushedNames_;
    std::map<platform::NativeFile, std::uint64_t> open_;
    std::map<platform::NativeFile, std::size_t> readAt_;
    std::map<std::string, std::pair<int, platform::OsCode>> failures_;
    std::map<std::string, int> calls_;
    std::uint64_t nextFile_ = 1;
    std::int64_t clock_ = 0;
    platform::NativeFile nextHandle_ = 3;
    int steps_ = 0;
    bool inStep_ = false;
};

}  // namespace orvelin::testing
