#pragma once

#include "engine/error_number.h"
#include "engine/file_system.h"

#include <map>
#include <memory>
#include <set>
#include <string>

namespace orvelin::testing {

// Files and folders in memory, with a failure injected at the k-th operation
// of one kind. Like the real service, a stream that fails or is destroyed
// before Close leaves no file behind.
class MemoryFileSystem final : public FileSystem {
public:
    enum class Operation { Create, Write, Close, Commit };

    struct Disk {
        std::map<std::string, std::string> files;
        std::set<std::string> folders;  // each ends in "/"
        std::set<std::string> unreadable;
        std::map<std::string, std::int64_t> modified;  // seconds since 1970, 0 where none is given
        // The files of standalone results, as they were written.
        std::map<std::string, std::string> results;
        Operation faultOperation = Operation::Create;
        int faultAt = 0;  // 1-based count of faultOperation; 0: no fault
        ErrorNumber faultNumber = ErrorNumber::DiskFull;
        int counts[4] = {0, 0, 0, 0};

        void Count(Operation operation);  // throws at the injected fault
        std::string FirstFileIn(const std::string& folder) const;
        // With the folders above it, as the local disk makes them.
        void MakeFolder(const std::string& folder);
    };

    explicit MemoryFileSystem(std::shared_ptr<Disk> disk) : disk_(std::move(disk)) {}

    bool FileExists(const std::string& path) override { return disk_->files.contains(path); }
    std::unique_ptr<InputTextStream> OpenTextFile(const std::string& path, IOMode mode) override;
    std::unique_ptr<OutputTextStream> CreateTextFile(const std::string& path, bool overwrite) override;
    // Records the results: the earlier one's files not written again go.
    void Commit() override;
    // No links on this disk: a file is found under its own name only.
    std::vector<std::string> NamesOf(const std::vector<std::string>& files, const std::string& folder) override;
    bool SameFile(const std::string& a, const std::string& b) override { return a == b && disk_->files.contains(a); }
    FolderContents ReadFolder(const std::string& folder, const std::vector<std::string>& kept) override;
    void RecordResultIn(const std::string& folder, bool continuing) override;
    // Fails where a file stands in the way.
    void CheckCanWriteInto(const std::string& folder) override;
    std::string FolderKey(const std::string& folder) override { return folder; }
    std::string FirstFileIn(const std::string& folder) override { return disk_->FirstFileIn(folder); }
    void MakeFolder(const std::string& folder) override { disk_->MakeFolder(folder); }
    bool IsFolder(const std::string& path) override;
    // Nothing changes in the process: the folder is read back as it is named.
    std::string EnterFolder(const std::string& folder) override;
    std::string FullPath(const std::string& path) override { return path; }
    std::int64_t ModifiedAt(const std::string& path) override;
    // The system's own.
    const calendar::Transcoder& Charsets() override;

private:
    std::shared_ptr<Disk> disk_;
    // Folders of results, whether each continues the earlier one, and the
    // earlier one's files there.
    std::map<std::string, std::pair<bool, std::vector<std::string>>> results_;
    std::vector<std::string> written_;  // complete files of results, not yet committed
};

}  // namespace orvelin::testing
