#include "tests/support/memory_file_system.h"

#include "engine/failure.h"
#include "platform/transcoder.h"

#include <algorithm>

namespace orvelin::testing {
namespace {

std::string FolderOf(const std::string& path)
{
    return path.substr(0, path.rfind('/') + 1);
}

class MemoryInput final : public InputTextStream {
public:
    explicit MemoryInput(std::string text) : text_(std::move(text)) {}
    Text ReadAll() override { return Text(text_); }
    void Close() override {}

private:
    std::string text_;
};

class MemoryOutput final : public OutputTextStream {
public:
    using Disk = MemoryFileSystem::Disk;
    using Operation = MemoryFileSystem::Operation;

    // written: where a complete file of a result is told, if it is one.
    MemoryOutput(Disk& disk, std::string path, std::vector<std::string>* written)
        : disk_(disk), path_(std::move(path)), written_(written)
    {
        disk_.files[path_].clear();
    }
    ~MemoryOutput() override
    {
        if (!closed_)
            disk_.files.erase(path_);
    }

    void Write(std::string_view text) override
    {
        disk_.Count(Operation::Write);
        disk_.files[path_] += text;
    }
    void WriteLine(std::string_view text) override
    {
        Write(text);
        disk_.files[path_] += "\r\n";
    }
    void Close() override
    {
        disk_.Count(Operation::Close);
        closed_ = true;
        if (written_)
            written_->push_back(path_);
    }

private:
    Disk& disk_;
    std::string path_;
    std::vector<std::string>* written_;
    bool closed_ = false;
};

}  // namespace

void MemoryFileSystem::Disk::Count(Operation operation)
{
    if (++counts[static_cast<int>(operation)] == faultAt && operation == faultOperation)
        throw Failure(faultNumber);
}

std::string MemoryFileSystem::Disk::FirstFileIn(const std::string& folder) const
{
    const auto first = files.lower_bound(folder);
    if (first == files.end() || FolderOf(first->first) != folder)
        return {};
    return first->first.substr(folder.size());
}

void MemoryFileSystem::Disk::MakeFolder(const std::string& folder)
{
    const std::string bare = folder.substr(0, folder.size() - 1);
    if (folders.contains(folder) || files.contains(bare))
        throw Failure(ErrorNumber::FileAlreadyExists);
    const std::string parent = FolderOf(bare);
    if (files.contains(parent.substr(0, parent.size() - 1)))
        throw Failure(ErrorNumber::PathNotFound);
    if (!parent.empty() && parent != "/" && !folders.contains(parent))
        MakeFolder(parent);
    folders.insert(folder);
}

std::unique_ptr<InputTextStream> MemoryFileSystem::OpenTextFile(const std::string& path, IOMode /*mode*/)
{
    const auto file = disk_->files.find(path);
    if (file == disk_->files.end())
        throw Failure(ErrorNumber::FileNotFound);
    if (disk_->unreadable.contains(path))
        throw Failure(ErrorNumber::PermissionDenied);
    return std::make_unique<MemoryInput>(file->second);
}

std::unique_ptr<OutputTextStream> MemoryFileSystem::CreateTextFile(const std::string& path, bool /*overwrite*/)
{
    disk_->Count(Operation::Create);
    if (!disk_->folders.contains(FolderOf(path)))
        throw Failure(ErrorNumber::PathNotFound);
    return std::make_unique<MemoryOutput>(*disk_, path, results_.contains(FolderOf(path)) ? &written_ : nullptr);
}

FolderContents MemoryFileSystem::ReadFolder(const std::string& folder, const std::vector<std::string>& kept)
{
    FolderContents contents;
    for (auto file = disk_->files.lower_bound(folder); file != disk_->files.end() && file->first.starts_with(folder);
         ++file) {
        if (FolderOf(file->first) != folder)
            continue;
        const std::string name = file->first.substr(folder.size());
        const auto result = disk_->results.find(file->first);
        const bool ours = result != disk_->results.end() && result->second == file->second &&
            std::find(kept.begin(), kept.end(), name) == kept.end();
        (ours ? contents.earlierResult : contents.others).push_back(name);
    }
    return contents;
}

void MemoryFileSystem::RecordResultIn(const std::string& folder, bool continuing)
{
    if (!results_.contains(folder))
        results_[folder].second = ReadFolder(folder, {}).earlierResult;
    results_[folder].first = continuing;
}

void MemoryFileSystem::Commit()
{
    disk_->Count(Operation::Commit);
    for (const std::string& path : written_)
        disk_->results[path] = disk_->files[path];
    for (auto& [folder, result] : results_) {
        auto& [continuing, earlier] = result;
        for (const std::string& name : continuing ? std::vector<std::string>() : earlier) {
            const std::string path = folder + name;
            const auto file = disk_->files.find(path);
            if (std::find(written_.begin(), written_.end(), path) == written_.end() && file != disk_->files.end() &&
                file->second == disk_->results[path]) {
                disk_->files.erase(path);
                disk_->results.erase(path);
            }
        }
        continuing = true;
    }
    written_.clear();
}

void MemoryFileSystem::CheckCanWriteInto(const std::string& folder)
{
    for (std::string at = folder; !at.empty() && at != "/"; at = FolderOf(at.substr(0, at.size() - 1))) {
        if (disk_->files.contains(at.substr(0, at.size() - 1)))
            throw Failure(ErrorNumber::PathNotFound);
        if (disk_->folders.contains(at))
            return;
    }
    throw Failure(ErrorNumber::PathNotFound);
}

std::int64_t MemoryFileSystem::ModifiedAt(const std::string& path)
{
    const auto time = disk_->modified.find(path);
    return time == disk_->modified.end() ? 0 : time->second;
}

const calendar::Transcoder& MemoryFileSystem::Charsets()
{
    return platform::OsTranscoder();
}

bool MemoryFileSystem::IsFolder(const std::string& path)
{
    return disk_->folders.contains(path.ends_with('/') ? path : path + "/");
}

std::string MemoryFileSystem::EnterFolder(const std::string& folder)
{
    if (!IsFolder(folder))
        throw Failure(ErrorNumber::PathNotFound);
    return folder.size() > 1 && folder.ends_with('/') ? folder.substr(0, folder.size() - 1) : folder;
}

std::vector<std::string> MemoryFileSystem::NamesOf(const std::vector<std::string>& files, const std::string& folder)
{
    std::vector<std::string> names;
    for (const std::string& file : files) {
        if (FolderOf(file) == folder && disk_->files.contains(file))
            names.push_back(file.substr(folder.size()));
    }
    return names;
}

}  // namespace orvelin::testing
