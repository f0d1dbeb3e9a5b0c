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
        Operation faultOperation = Operation::Create;
        int faultAt = 0;  // 1-based count of faultOperation; 0: no fault
        ErrorNumber faultNumber = ErrorNumber::DiskFull;
        int counts[4] = {0, 0, 0, 0};

        void Count(Operation operation);  // throws at the injected fault
        std::string FirstFileIn(const std::string& folder) const;
        void MakeFolder(const std::string& folder);
    };

    explicit MemoryFileSystem(std::shared_ptr<Disk> disk) : disk_(std::move(disk)) {}

    bool FileExists(const std::string& path) override { return disk_->files.contains(path); }
    std::unique_ptr<InputTextStream> OpenTextFile(const std::string& path, IOMode mode) override;
    std::unique_ptr<OutputTextStream> CreateTextFile(const std::string& path, bool overwrite) override;
    void Commit() override { disk_->Count(Operation::Commit); }
    // No links on this disk: a file is found under its own name only.
    std::vector<std::string> NamesOf(const std::vector<std::string>& files, const std::string& folder) override;
    bool SameFile(const std::string& a, const std::string& b) override { return a == b && disk_->files.contains(a); }
    // No earlier results on this disk: every file is another's.
    FolderContents ReadFolder(const std::string& folder) override;
    void RecordResultIn(const std::string&, bool) override {}
    // A folder, or a missing one in a folder.
    void CheckCanWriteInto(const std::string& folder) override;
    std::string FolderKey(const std::string& folder) override { return folder; }

private:
    std::shared_ptr<Disk> disk_;
};

}  // namespace orvelin::testing
