#pragma once

#include "engine/file_system.h"

#include <functional>
#include <memory>

namespace orvelin::testing {

// What a test does at some steps of the file-system service; each may throw.
struct FileSystemHooks {
    std::function<void()> afterExists{};
    std::function<void()> beforeOpen{};
    std::function<void(int count)> beforeCreate{};  // count: of the files created so far, this one included
};

// A file-system service calling hooks (which the test may set at any time)
// on the way to the one it wraps.
class HookedFileSystem final : public FileSystem {
public:
    HookedFileSystem(const FileSystemHooks& hooks, std::unique_ptr<FileSystem> files)
        : hooks_(hooks), files_(std::move(files))
    {
    }

    bool FileExists(const std::string& path) override
    {
        const bool exists = files_->FileExists(path);
        if (hooks_.afterExists)
            hooks_.afterExists();
        return exists;
    }
    std::unique_ptr<InputTextStream> OpenTextFile(const std::string& path, IOMode mode) override
    {
        if (hooks_.beforeOpen)
            hooks_.beforeOpen();
        return files_->OpenTextFile(path, mode);
    }
    std::unique_ptr<OutputTextStream> CreateTextFile(const std::string& path, bool overwrite) override
    {
        ++creates_;
        if (hooks_.beforeCreate)
            hooks_.beforeCreate(creates_);
        return files_->CreateTextFile(path, overwrite);
    }
    void Commit() override { files_->Commit(); }
    std::vector<std::string> NamesOf(const std::vector<std::string>& files, const std::string& folder) override
    {
        return files_->NamesOf(files, folder);
    }
    bool SameFile(const std::string& a, const std::string& b) override { return files_->SameFile(a, b); }
    FolderContents ReadFolder(const std::string& folder, const std::vector<std::string>& kept) override
    {
        return files_->ReadFolder(folder, kept);
    }
    void RecordResultIn(const std::string& folder, bool continuing) override
    {
        files_->RecordResultIn(folder, continuing);
    }
    void CheckCanWriteInto(const std::string& folder) override { files_->CheckCanWriteInto(folder); }
    std::string FolderKey(const std::string& folder) override { return files_->FolderKey(folder); }
    std::string FirstFileIn(const std::string& folder) override { return files_->FirstFileIn(folder); }
    void MakeFolder(const std::string& folder) override { files_->MakeFolder(folder); }
    bool IsFolder(const std::string& path) override { return files_->IsFolder(path); }
    std::string EnterFolder(const std::string& folder) override { return files_->EnterFolder(folder); }
    std::string FullPath(const std::string& path) override { return files_->FullPath(path); }
    std::int64_t ModifiedAt(const std::string& path) override { return files_->ModifiedAt(path); }
    const calendar::Transcoder& Charsets() override { return files_->Charsets(); }

private:
    const FileSystemHooks& hooks_;
    std::unique_ptr<FileSystem> files_;
    int creates_ = 0;
};

}  // namespace orvelin::testing
