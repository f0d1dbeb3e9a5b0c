#pragma once

#include "engine/file_system.h"
#include "platform/local_file_system.h"

#include <functional>

namespace orvelin::testing {

// What a test does at some steps of the file-system service; each may throw.
struct FileSystemHooks {
    std::function<void()> afterExists{};
    std::function<void()> beforeOpen{};
    std::function<void(int count)> beforeCreate{};  // count: of the files created so far, this one included
};

// The local file system, calling hooks (which the test may set at any time) on the way.
class HookedFileSystem final : public FileSystem {
public:
    explicit HookedFileSystem(const FileSystemHooks& hooks) : hooks_(hooks) {}

    bool FileExists(const std::string& path) override
    {
        const bool exists = local_.FileExists(path);
        if (hooks_.afterExists)
            hooks_.afterExists();
        return exists;
    }
    std::unique_ptr<InputTextStream> OpenTextFile(const std::string& path, IOMode mode) override
    {
        if (hooks_.beforeOpen)
            hooks_.beforeOpen();
        return local_.OpenTextFile(path, mode);
    }
    std::unique_ptr<OutputTextStream> CreateTextFile(const std::string& path, bool overwrite) override
    {
        ++creates_;
        if (hooks_.beforeCreate)
            hooks_.beforeCreate(creates_);
        return local_.CreateTextFile(path, overwrite);
    }
    void Commit() override { local_.Commit(); }
    std::vector<std::string> NamesOf(const std::vector<std::string>& files, const std::string& folder) override
    {
        return local_.NamesOf(files, folder);
    }
    bool SameFile(const std::string& a, const std::string& b) override { return local_.SameFile(a, b); }
    FolderContents ReadFolder(const std::string& folder) override { return local_.ReadFolder(folder); }
    void RecordResultIn(const std::string& folder, bool continuing) override
    {
        local_.RecordResultIn(folder, continuing);
    }
    void CheckCanWriteInto(const std::string& folder) override { local_.CheckCanWriteInto(folder); }
    std::string FolderKey(const std::string& folder) override { return local_.FolderKey(folder); }

private:
    const FileSystemHooks& hooks_;
    platform::LocalFileSystem local_;
    int creates_ = 0;
};

}  // namespace orvelin::testing
