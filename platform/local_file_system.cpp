#include "platform/local_file_system.h"

#include "engine/unicode_text.h"
#include "platform/buffered_streams.h"
#include "platform/folders.h"
#include "platform/transcoder.h"

#include <filesystem>
#include <utility>

namespace orvelin::platform {
namespace {

class LocalInputStream final : public InputTextStream {
public:
    explicit LocalInputStream(std::shared_ptr<FilePrimitives> os) : osOwner_(std::move(os)), os_(*osOwner_) {}
    ~LocalInputStream() override
    {
        if (file_ != kNoFile)
            os_.Close(file_, false);
    }

    // Opens path; only an ordinary file will do.
    void Open(const std::string& path)
    {
        if (const OsCode code = os_.OpenForReading(path, file_)) {
            if (KindOfOsError(code) == OsErrorKind::NotFound)
                throw Failure(ErrorNumber::FileNotFound);  // it was there a moment ago
            throw FailureFromOsError(code);
        }
        if (!Facts().ordinary)
            throw Failure(ErrorNumber::NotAnOrdinaryFile);
    }

    Text ReadAll() override
    {
        return ReadWhole(Facts().size, [this](char* buffer, std::size_t size) { return ReadInto(buffer, size); });
    }

    void Close() override
    {
        if (const OsCode code = os_.Close(std::exchange(file_, kNoFile), false))
            throw FailureFromOsError(code);
    }

private:
    FileFacts Facts()
    {
        FileFacts facts;
        if (const OsCode code = os_.Inspect(file_, facts))
            throw FailureFromOsError(code);
        return facts;
    }

    std::size_t ReadInto(char* buffer, std::size_t size)
    {
        std::size_t filled = 0;
        while (filled < size) {
            std::size_t got = 0;
            if (const OsCode code = os_.ReadSome(file_, buffer + filled, size - filled, got))
                throw FailureFromOsError(code);
            if (got == 0)
                break;
            filled += got;
        }
        return filled;
    }

    std::shared_ptr<FilePrimitives> osOwner_;
    FilePrimitives& os_;
    NativeFile file_ = kNoFile;
};

}  // namespace

LocalFileSystem::LocalFileSystem() : LocalFileSystem(OsFilePrimitives(), ProcessInterruptions()) {}

LocalFileSystem::LocalFileSystem(std::shared_ptr<FilePrimitives> os, Interruptions& interruptions)
    : os_(std::move(os)), store_(*os_, interruptions)
{
}

bool LocalFileSystem::FileExists(const std::string& path)
{
    return os_->FileExists(path);
}

std::unique_ptr<InputTextStream> LocalFileSystem::OpenTextFile(const std::string& path, IOMode /*mode*/)
{
    auto stream = std::make_unique<LocalInputStream>(os_);
    stream->Open(path);
    return stream;
}

std::unique_ptr<OutputTextStream> LocalFileSystem::CreateTextFile(const std::string& path, bool overwrite)
{
    return store_.Create(path, overwrite);
}

void LocalFileSystem::Commit()
{
    store_.Commit();
}

// A file is in folder under its own name, and a link among files also
// under the name of what it leads to.
std::vector<std::string> LocalFileSystem::NamesOf(const std::vector<std::string>& files, const std::string& folder)
{
    FileIdentity wanted;
    if (os_->IdentityAt(folder, wanted) != 0)
        return {};
    std::vector<std::string> names;
    for (const std::string& file : files) {
        std::string resolved;
        const bool found = os_->ResolvedPath(file, resolved) == 0;
        for (const std::string& path : {file, found ? resolved : file}) {
            const std::size_t nameStart = NameStart(path);
            FileIdentity parent;
            if (os_->IdentityAt(nameStart == 0 ? "./" : path.substr(0, nameStart), parent) == 0 && parent == wanted)
                names.push_back(path.substr(nameStart));
        }
    }
    return names;
}

bool LocalFileSystem::SameFile(const std::string& a, const std::string& b)
{
    FileIdentity first;
    FileIdentity second;
    return os_->IdentityAt(a, first) == 0 && os_->IdentityAt(b, second) == 0 && first == second;
}

std::string LocalFileSystem::FirstFileIn(const std::string& folder)
{
    return platform::FirstFileIn(folder);
}

void LocalFileSystem::MakeFolder(const std::string& folder)
{
    platform::MakeFolder(folder);
}

bool LocalFileSystem::IsFolder(const std::string& path)
{
    return platform::IsFolder(path);
}

std::string LocalFileSystem::EnterFolder(const std::string& folder)
{
    return ChangeDirectory(folder);
}

std::string LocalFileSystem::FullPath(const std::string& path)
{
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(
        std::filesystem::path(std::u8string(path.begin(), path.end())), error);
    const std::u8string text = full.u8string();
    return error ? path : std::string(text.begin(), text.end());
}

std::int64_t LocalFileSystem::ModifiedAt(const std::string& path)
{
    constexpr std::int64_t kNanoseconds = 1000 * 1000 * 1000;
    FileFacts facts;
    return os_->InspectAt(path, facts) == 0 ? facts.modified / kNanoseconds : 0;
}

const calendar::Transcoder& LocalFileSystem::Charsets()
{
    return OsTranscoder();
}

FolderContents LocalFileSystem::ReadFolder(const std::string& folder, const std::vector<std::string>& kept)
{
    const EarlierResult& earlier = store_.EarlierResultIn(folder, kept);
    FolderContents contents;
    for (const RecordedFile& file : earlier.files)
        contents.earlierResult.push_back(file.name);
    contents.others = earlier.others;
    return contents;
}

void LocalFileSystem::RecordResultIn(const std::string& folder, bool continuing)
{
    store_.RecordResultIn(folder, continuing);
}

std::string LocalFileSystem::ExistingAncestor(const std::string& path, std::vector<std::string>& below)
{
    std::string at = path;
    for (;;) {
        at = WithoutFinalSeparators(std::move(at));
        const std::size_t nameStart = NameStart(at);
        FileFacts facts;
        const OsCode code = nameStart == at.size() ? 0 : os_->InspectAt(at, facts);
        if (code == 0 || KindOfOsError(code) != OsErrorKind::NotFound)
            return at;
        below.push_back(at.substr(nameStart));
        at.resize(nameStart);
        if (at.empty())
            return ".";
    }
}

// Where the run would make the folder (and the folders above it that are
// missing), or make its files, it may; and what is there is a folder.
void LocalFileSystem::CheckCanWriteInto(const std::string& folder)
{
    std::vector<std::string> below;
    const std::string existing = ExistingAncestor(folder, below);
    if (!platform::IsFolder(existing))
        throw FailureFor(OsErrorKind::PathNotFound, "");
    if (const OsCode code = os_->CheckWritable(existing))
        throw FailureFromOsError(code);
}

std::string LocalFileSystem::FolderKey(const std::string& folder)
{
    std::vector<std::string> below;
    const std::string existing = ExistingAncestor(folder, below);
    std::string resolved;
    FileIdentity identity;
    std::string key = os_->ResolvedPath(existing, resolved) == 0 && os_->IdentityAt(resolved, identity) == 0
        ? std::to_string(identity.volume) + ":" + std::to_string(identity.file)
        : existing;
    std::vector<std::string> names;
    for (auto name = below.rbegin(); name != below.rend(); ++name) {
        if (*name == "..") {
            if (!names.empty())
                names.pop_back();
        } else if (*name != ".") {
            names.push_back(NameAsTheOsCompares(*name));
        }
    }
    for (const std::string& name : names)
        key += "/" + name;
    return key;
}

}  // namespace orvelin::platform
