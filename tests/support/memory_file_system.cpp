#include "tests/support/memory_file_system.h"

#include "engine/failure.h"

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

    MemoryOutput(Disk& disk, std::string path) : disk_(disk), path_(std::move(path)) { disk_.files[path_].clear(); }
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
    }

private:
    Disk& disk_;
    std::string path_;
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
    if (!folders.insert(folder).second)
        throw Failure(ErrorNumber::FileAlreadyExists);
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
    return std::make_unique<MemoryOutput>(*disk_, path);
}

FolderContents MemoryFileSystem::ReadFolder(const std::string& folder)
{
    FolderContents contents;
    for (auto file = disk_->files.lower_bound(folder); file != disk_->files.end() && file->first.starts_with(folder);
         ++file) {
        if (FolderOf(file->first) == folder)
            contents.others.push_back(file->first.substr(folder.size()));
    }
    return contents;
}

void MemoryFileSystem::CheckCanWriteInto(const std::string& folder)
{
    if (!disk_->folders.contains(folder) && !disk_->folders.contains(FolderOf(folder.substr(0, folder.size() - 1))))
        throw Failure(ErrorNumber::PathNotFound);
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
