#include "tests/support/fake_files.h"

#include <algorithm>
#include <cstring>
#include <utility>

#if defined(_WIN32)
#include "platform/windows/error_codes.h"
#else
#include <cerrno>
#endif

namespace orvelin::testing {

using platform::FileIdentity;
using platform::NativeFile;
using platform::OsCode;

#if defined(_WIN32)
const OsCode OsCodes::kExists = ERROR_FILE_EXISTS;
const OsCode OsCodes::kNotFound = ERROR_FILE_NOT_FOUND;
const OsCode OsCodes::kIoError = ERROR_IO_DEVICE;
const OsCode OsCodes::kDiskFull = ERROR_DISK_FULL;
const OsCode OsCodes::kUnsupported = ERROR_NOT_SUPPORTED;
const OsCode OsCodes::kIsAFolder = ERROR_DIRECTORY_NOT_SUPPORTED;
const OsCode OsCodes::kNotEmpty = ERROR_DIR_NOT_EMPTY;
const OsCode OsCodes::kReadOnly = ERROR_WRITE_PROTECT;
const OsCode OsCodes::kHeld = ERROR_SHARING_VIOLATION;
#else
const OsCode OsCodes::kExists = EEXIST;
const OsCode OsCodes::kNotFound = ENOENT;
const OsCode OsCodes::kIoError = EIO;
const OsCode OsCodes::kDiskFull = ENOSPC;
const OsCode OsCodes::kUnsupported = EOPNOTSUPP;
const OsCode OsCodes::kIsAFolder = EISDIR;
const OsCode OsCodes::kNotEmpty = ENOTEMPTY;
const OsCode OsCodes::kReadOnly = EROFS;
const OsCode OsCodes::kHeld = EAGAIN;
#endif

namespace {

bool Hidden(const std::string& path)
{
    return path.find("/.") != std::string::npos;
}

// The folder path names, ending in "/" (path may end in one already).
std::string FolderOf(const std::string& path)
{
    const std::string bare = path.ends_with('/') ? path.substr(0, path.size() - 1) : path;
    return bare.substr(0, bare.rfind('/') + 1);
}

}  // namespace

void FakeInterruptions::Resume() noexcept
{
    if (--depth_ == 0 && pending_)
        End();
}

void FakeInterruptions::WithdrawCleanup(platform::InterruptionCleanup* cleanup) noexcept
{
    if (cleanup_ == cleanup)
        cleanup_ = nullptr;
}

void FakeInterruptions::Interrupt() noexcept
{
    if (ended_)
        return;
    if (depth_ > 0)
        pending_ = true;
    else
        End();
}

void FakeInterruptions::End() noexcept
{
    pending_ = false;
    if (cleanup_ != nullptr)
        cleanup_->OnInterruption();
    ended_ = true;
}

FakeDisk::FakeDisk(FakeInterruptions& interruptions) : interruptions_(interruptions) {}

void FakeDisk::Put(const std::string& path, const std::string& bytes)
{
    ++clock_;
    files_[nextFile_] = {bytes, true, clock_, clock_};
    names_[path] = nextFile_++;
}

std::string FakeDisk::At(const std::string& path) const
{
    const auto name = names_.find(path);
    return name == names_.end() ? "<missing>" : files_.at(name->second).bytes;
}

std::vector<std::string> FakeDisk::HiddenNames() const
{
    std::vector<std::string> hidden;
    for (const auto& [path, file] : names_) {
        if (Hidden(path))
            hidden.push_back(path);
    }
    for (const std::string& folder : folders) {
        if (Hidden(folder))
            hidden.push_back(folder);
    }
    return hidden;
}

bool FakeDisk::AllDurable() const
{
    return unflushedNames_.empty() &&
        std::all_of(names_.begin(), names_.end(), [this](const auto& name) { return files_.at(name.second).durable; });
}

template <typename Effect>
OsCode FakeDisk::Step(const char* name, Effect&& effect)
{
    if (interruptions_.ended())
        return 0;
    const bool counted = !inStep_;
    const auto hook = [&](bool done) {
        if (!counted || !aroundStep)
            return;
        inStep_ = true;
        aroundStep(steps_, name, done);
        inStep_ = false;
    };
    if (counted)
        ++steps_;
    hook(false);
    if (interruptions_.ended())
        return 0;
    const int call = ++calls_[name];
    const auto planned = failures_.find(name);
    const OsCode code = planned != failures_.end() && planned->second.first == call ? planned->second.second : effect();
    hook(true);
    return code;
}

bool FakeDisk::InFolder(const std::string& path) const
{
    return folders.contains(FolderOf(path));
}

bool FakeDisk::Taken(const std::string& path) const
{
    const std::string bare = path.ends_with('/') ? path.substr(0, path.size() - 1) : path;
    return names_.contains(bare) || folders.contains(bare + "/");
}

NativeFile FakeDisk::Open(std::uint64_t file)
{
    open_[nextHandle_] = file;
    return nextHandle_++;
}

void FakeDisk::Name(const std::string& path, std::uint64_t file)
{
    names_[path] = file;
    files_[file].changed = ++clock_;
    unflushedNames_.insert(path);
}

OsCode FakeDisk::MakeFolderExclusive(const std::string& path) noexcept
{
    return Step("MakeFolderExclusive", [&]() -> OsCode {
        if (!InFolder(path))
            return OsCodes::kNotFound;
        if (Taken(path))
            return OsCodes::kExists;
        folders.insert(path);
        return 0;
    });
}

OsCode FakeDisk::RemoveFolder(const std::string& path) noexcept
{
    return Step("RemoveFolder", [&]() -> OsCode {
        const auto within = [&](const std::string& name) { return name != path && name.starts_with(path); };
        if (std::any_of(names_.begin(), names_.end(), [&](const auto& name) { return within(name.first); }) ||
            std::any_of(folders.begin(), folders.end(), within))
            return OsCodes::kNotEmpty;
        return folders.erase(path) == 1 ? 0 : OsCodes::kNotFound;
    });
}

OsCode FakeDisk::NewFile(const std::string& path, NativeFile& file)
{
    if (!InFolder(path))
        return OsCodes::kNotFound;
    if (Taken(path))
        return OsCodes::kExists;
    files_[nextFile_] = {};
    Name(path, nextFile_);
    file = Open(nextFile_++);
    return 0;
}

OsCode FakeDisk::CreateExclusive(const std::string& path, NativeFile& file) noexcept
{
    return Step("CreateExclusive", [&]() { return NewFile(path, file); });
}

OsCode FakeDisk::MakeLock(const std::string& path, NativeFile& lock) noexcept
{
    lock = platform::kNoFile;
    return Step("MakeLock", [&]() {
        const OsCode code = NewFile(path, lock);
        if (code == 0)
            locks[path] = lock;
        return code;
    });
}

OsCode FakeDisk::TakeLock(const std::string& path, NativeFile& lock) noexcept
{
    lock = platform::kNoFile;
    if (!names_.contains(path))
        return OsCodes::kNotFound;
    if (locks.contains(path))
        return OsCodes::kHeld;
    locks[path] = lock = Open(names_[path]);
    return 0;
}

OsCode FakeDisk::DropLock(const std::string& path, NativeFile lock) noexcept
{
    Remove(path);
    return Close(lock, false);
}

OsCode FakeDisk::WriteAll(NativeFile file, std::string_view bytes) noexcept
{
    return Step("WriteAll", [&]() -> OsCode {
        const std::uint64_t id = open_.at(file);
        for (const auto& [path, named] : names_) {
            if (named == id && !Hidden(path))
                violations.push_back(path + " was written to under its own name");
        }
        files_[id].bytes += bytes;
        files_[id].durable = false;
        files_[id].modified = files_[id].changed = ++clock_;
        return 0;
    });
}

OsCode FakeDisk::Close(NativeFile file, bool /*flushLater*/) noexcept
{
    return Step("Close", [&]() -> OsCode {
        std::erase_if(locks, [&](const auto& held) { return held.second == file; });
        open_.erase(file);
        return 0;
    });
}

OsCode FakeDisk::IdentityOf(NativeFile file, FileIdentity& identity) noexcept
{
    return Step("IdentityOf", [&]() -> OsCode {
        identity = {1, open_.at(file)};
        return 0;
    });
}

OsCode FakeDisk::IdentityAt(const std::string& path, FileIdentity& identity) noexcept
{
    return Step("IdentityAt", [&]() -> OsCode {
        const auto name = names_.find(path);
        if (name != names_.end()) {
            identity = {1, name->second};
            return 0;
        }
        // A folder is known by its name alone here.
        if (!folders.contains(path + "/"))
            return OsCodes::kNotFound;
        identity = {2, std::hash<std::string>{}(path)};
        return 0;
    });
}

OsCode FakeDisk::Remove(const std::string& path) noexcept
{
    return Step("Remove", [&]() -> OsCode { return names_.erase(path) == 1 ? 0 : OsCodes::kNotFound; });
}

OsCode FakeDisk::MoveToNewName(const std::string& from, const std::string& to) noexcept
{
    return Step("MoveToNewName", [&]() -> OsCode {
        if (Taken(to))
            return OsCodes::kExists;
        if (!InFolder(to))
            return OsCodes::kNotFound;
        const auto source = names_.find(from);
        if (source == names_.end())
            return OsCodes::kNotFound;
        Name(to, source->second);
        names_.erase(source);
        return 0;
    });
}

OsCode FakeDisk::Link(const std::string& from, const std::string& to) noexcept
{
    return Step("Link", [&]() -> OsCode {
        if (!links)
            return OsCodes::kUnsupported;
        if (Taken(to))
            return OsCodes::kExists;
        const auto source = names_.find(from);
        if (!InFolder(to) || source == names_.end())
            return OsCodes::kNotFound;
        Name(to, source->second);
        return 0;
    });
}

OsCode FakeDisk::CheckReplaceable(const std::string& path) noexcept
{
    return Step("CheckReplaceable", [&]() -> OsCode { return folders.contains(path + "/") ? OsCodes::kIsAFolder : 0; });
}

OsCode FakeDisk::MoveOver(const std::string& from, const std::string& to) noexcept
{
    return Step("MoveOver", [&]() -> OsCode {
        if (folders.contains(to + "/"))
            return OsCodes::kIsAFolder;
        if (!InFolder(to))
            return OsCodes::kNotFound;
        const auto source = names_.find(from);
        if (source == names_.end())
            return OsCodes::kNotFound;
        // As POSIX has it: two names of one file stay as they are.
        if (const auto target = names_.find(to); target != names_.end() && target->second == source->second)
            return 0;
        if (!inMemory && names_.contains(to) && !files_[source->second].durable)
            violations.push_back(to + " was replaced by a file that had not reached the disk");
        Name(to, source->second);
        names_.erase(source);
        return 0;
    });
}

OsCode FakeDisk::MoveFolderOver(const std::string& from, const std::string& to) noexcept
{
    return Step("MoveFolderOver", [&]() -> OsCode {
        if (!folders.contains(from))
            return OsCodes::kNotFound;
        if (names_.contains(to.substr(0, to.size() - 1)))
            return OsCodes::kExists;
        const auto within = [&](const std::string& name) { return name != to && name.starts_with(to); };
        if (std::any_of(names_.begin(), names_.end(), [&](const auto& name) { return within(name.first); }) ||
            std::any_of(folders.begin(), folders.end(), within))
            return OsCodes::kNotEmpty;
        std::map<std::string, std::uint64_t> moved;
        for (auto name = names_.begin(); name != names_.end();) {
            if (name->first.starts_with(from)) {
                moved[to + name->first.substr(from.size())] = name->second;
                name = names_.erase(name);
            } else {
                ++name;
            }
        }
        for (const auto& [path, file] : moved)
            Name(path, file);
        folders.erase(from);
        folders.insert(to);
        return 0;
    });
}

OsCode FakeDisk::FlushFolder(const std::string& /*folder*/) noexcept
{
    return Step("FlushFolder", [&]() -> OsCode {
        for (auto& [id, file] : files_)
            file.durable = true;
        unflushedNames_.clear();
        return 0;
    });
}

OsCode FakeDisk::OpenForReading(const std::string& path, NativeFile& file) noexcept
{
    const auto name = names_.find(path);
    if (name == names_.end())
        return OsCodes::kNotFound;
    file = Open(name->second);
    readAt_[file] = 0;
    return 0;
}

OsCode FakeDisk::Inspect(NativeFile file, platform::FileFacts& facts) noexcept
{
    if (inspectFails != 0)
        return inspectFails;
    const File& opened = files_.at(open_.at(file));
    facts = {true, opened.bytes.size(), opened.modified, tellsChanges ? opened.changed : 0};
    return 0;
}

OsCode FakeDisk::ReadSome(NativeFile file, char* buffer, std::size_t size, std::size_t& got) noexcept
{
    if (readFails != 0)
        return readFails;
    std::string& bytes = files_.at(open_.at(file)).bytes;
    if (nextReadFinds)
        bytes = *std::exchange(nextReadFinds, std::nullopt);
    std::size_t& at = readAt_[file];
    got = std::min({size, mostPerRead, bytes.size() - at});
    std::memcpy(buffer, bytes.data() + at, got);
    at += got;
    return 0;
}

OsCode FakeDisk::ResolvedPath(const std::string& path, std::string& resolved)
{
    if (!Taken(path))
        return OsCodes::kNotFound;
    resolved = path;
    return 0;
}

OsCode FakeDisk::ListFolder(const std::string& folder, std::string_view prefix, std::vector<std::string>& names)
{
    return Step("ListFolder", [&]() -> OsCode {
        if (!folders.contains(folder))
            return OsCodes::kNotFound;
        const auto directlyIn = [&](const std::string& path) {
            const std::string bare = path.ends_with('/') ? path.substr(0, path.size() - 1) : path;
            return bare.size() > folder.size() && bare.starts_with(folder) && FolderOf(bare) == folder &&
                std::string_view(bare).substr(folder.size()).starts_with(prefix);
        };
        for (const auto& [path, file] : names_) {
            if (directlyIn(path))
                names.push_back(path.substr(folder.size()));
        }
        for (const std::string& path : folders) {
            if (directlyIn(path))
                names.push_back(path.substr(folder.size(), path.size() - folder.size() - 1));
        }
        return 0;
    });
}

OsCode FakeDisk::RemoveFolderOf(const std::string& folder, const std::function<bool(std::string_view)>& removable)
{
    std::vector<std::string> names;
    if (const OsCode code = ListFolder(folder, "", names))
        return code;
    for (const std::string& name : names) {
        if (!folders.contains(folder + name + "/") && removable(name))
            Remove(folder + name);
    }
    return RemoveFolder(folder);
}

OsCode FakeDisk::InspectAt(const std::string& path, platform::FileFacts& facts) noexcept
{
    return Step("InspectAt", [&]() -> OsCode {
        const auto name = names_.find(path);
        if (name == names_.end())
            return folders.contains(path + "/") ? (facts = {}, 0) : OsCodes::kNotFound;
        const File& file = files_.at(name->second);
        facts = {true, file.bytes.size(), file.modified, tellsChanges ? file.changed : 0};
        return 0;
    });
}

// Both end in "/".
OsCode FakeDisk::ExchangeFolders(const std::string& a, const std::string& b) noexcept
{
    return Step("ExchangeFolders", [&]() -> OsCode {
        if (!exchanges)
            return OsCodes::kUnsupported;
        if (!folders.contains(a) || !folders.contains(b))
            return OsCodes::kNotFound;
        const auto swapped = [&](const std::string& path) {
            if (path.starts_with(a))
                return b + path.substr(a.size());
            return path.starts_with(b) ? a + path.substr(b.size()) : path;
        };
        std::map<std::string, std::uint64_t> names;
        for (const auto& [path, file] : names_)
            names[swapped(path)] = file;
        std::set<std::string> renamed;
        for (const std::string& folder : folders)
            renamed.insert(swapped(folder));
        names_.swap(names);
        folders.swap(renamed);
        return 0;
    });
}

OsCode FakeDisk::MarkHidden(const std::string& path) noexcept
{
    return Step("MarkHidden", [&]() -> OsCode {
        markedHidden.insert(path);
        return 0;
    });
}

OsCode FakeDisk::CheckWritable(const std::string& folder) noexcept
{
    return Step("CheckWritable", [&]() -> OsCode {
        const std::string path = folder.ends_with('/') ? folder : folder + "/";
        if (!folders.contains(path))
            return OsCodes::kNotFound;
        return readOnly.contains(path) ? OsCodes::kReadOnly : 0;
    });
}

}  // namespace orvelin::testing
