#include "platform/local_file_system.h"

#include "platform/buffered_streams.h"
#include "platform/interruption.h"
#include "platform/os_error.h"
#include "platform/os_files.h"
#include "platform/posix/file_descriptor.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <linux/magic.h>
#include <string>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace orvelin::platform {
namespace {

class LocalInputStream final : public InputTextStream {
public:
    explicit LocalInputStream(FileDescriptor fd) : fd_(std::move(fd)) {}

    std::string ReadAll() override
    {
        struct stat info {};
        if (::fstat(fd_.get(), &info) != 0)
            ThrowLastError();
        return ReadWhole(static_cast<std::uint64_t>(info.st_size),
                         [this](char* buffer, std::size_t size) { return ReadInto(buffer, size); });
    }

    void Close() override
    {
        if (fd_.reset() != 0)
            ThrowLastError();
    }

private:
    std::size_t ReadInto(char* buffer, std::size_t size)
    {
        std::size_t filled = 0;
        while (filled < size) {
            const ssize_t got = ::read(fd_.get(), buffer + filled, size - filled);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                ThrowLastError();
            if (got == 0)
                break;
            filled += static_cast<std::size_t>(got);
        }
        return filled;
    }

    FileDescriptor fd_;
};

// An event file appears whole or not at all, and nothing but its own name is
// ever written: a new name is created exclusively (never through a link);
// when the name exists, whatever it is (an earlier file, a link, another run's
// file, a FIFO), the file is written under a hidden temporary name beside it
// and renamed over it once complete.
class LocalOutputStream final : public BufferedOutputStream {
public:
    LocalOutputStream(std::string target, bool durable) : target_(std::move(target)), durable_(durable) {}

    ~LocalOutputStream() override
    {
        if (!closed_)
            Discard();
    }

    void Open(bool overwrite, bool& expectTakenName)
    {
        const InterruptionDeferred deferred;
        if (!overwrite || !expectTakenName) {
            fd_.reset(::open(target_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
            if (fd_.valid()) {
                createdTarget_ = true;
                MarkFileInProgress(target_);
                return;
            }
            if (errno != EEXIST || !overwrite)
                ThrowLastError();
            expectTakenName = true;
        }
        // Renaming works whether or not the name is taken; over a folder it
        // fails, and the temporary goes.
        OpenTemporary();
    }

    void Close() override
    {
        Flush();
        // The contents reach the disk before the name does, so that no crash
        // can leave an earlier file replaced by an incomplete one.
        if (durable_ && ::fdatasync(fd_.get()) != 0)
            Fail(errno);
        const InterruptionDeferred deferred;
        if (fd_.reset() != 0)
            Fail(errno);
        if (!temporary_.empty() && ::rename(temporary_.c_str(), target_.c_str()) != 0)
            Fail(errno);
        ClearFileInProgress();
        closed_ = true;
    }

private:
    void OpenTemporary()
    {
        static const auto processId = static_cast<unsigned long>(::getpid());
        for (int attempt = 0; attempt < kTemporaryNameTries; ++attempt) {
            std::string name = TemporaryNameFor(target_, processId, attempt);
            fd_.reset(::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
            if (fd_.valid()) {
                temporary_ = std::move(name);
                MarkFileInProgress(temporary_);
                return;
            }
            if (errno != EEXIST)
                ThrowLastError();
        }
        ThrowLastError();
    }

    void WriteOut(std::string_view bytes) override
    {
        while (!bytes.empty()) {
            const ssize_t put = ::write(fd_.get(), bytes.data(), bytes.size());
            if (put < 0) {
                if (errno == EINTR)
                    continue;
                Fail(errno);
            }
            bytes.remove_prefix(static_cast<std::size_t>(put));
        }
    }

    // An incomplete file is worse than none: remove it, then report.
    [[noreturn]] void Fail(int error)
    {
        Discard();
        closed_ = true;
        throw FailureFromOsError(error);
    }

    void Discard() noexcept
    {
        const InterruptionDeferred deferred;
        if (!temporary_.empty())
            ::unlink(temporary_.c_str());
        else if (createdTarget_ && TargetIsStillOurs())
            ::unlink(target_.c_str());
        fd_.reset();
        ClearFileInProgress();
    }

    // Another run may have replaced the name meanwhile: only our own file goes.
    bool TargetIsStillOurs() const noexcept
    {
        struct stat ours {};
        struct stat named {};
        if (!fd_.valid() || ::fstat(fd_.get(), &ours) != 0)
            return true;  // closing it failed a moment ago
        return ::lstat(target_.c_str(), &named) == 0 && ours.st_dev == named.st_dev && ours.st_ino == named.st_ino;
    }

    std::string target_;
    bool durable_;
    std::string temporary_;  // empty while writing target_ itself
    FileDescriptor fd_;
    bool createdTarget_ = false;
    bool closed_ = false;
};

}  // namespace

bool IsInMemory(const std::string& folder)
{
    struct statfs info {};
    return ::statfs(folder.c_str(), &info) == 0 && (info.f_type == TMPFS_MAGIC || info.f_type == RAMFS_MAGIC);
}

std::unique_ptr<OutputTextStream> OpenEventFile(const std::string& path, bool overwrite, bool durable,
                                                bool& expectTakenName)
{
    // Everything the stream needs is allocated before anything is created on disk.
    auto stream = std::make_unique<LocalOutputStream>(path, durable);
    stream->Open(overwrite, expectTakenName);
    return stream;
}

void ReportFileSizeLimitAsWriteFailure()
{
    std::signal(SIGXFSZ, SIG_IGN);
}

bool LocalFileSystem::FileExists(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0)
        return !S_ISDIR(info.st_mode);
    // Only a name that is not there is missing; anything else (no permission
    // to enter a folder, a name too long) is left for opening to report.
    return errno != ENOENT && errno != ENOTDIR;
}

std::unique_ptr<InputTextStream> LocalFileSystem::OpenTextFile(const std::string& path, IOMode /*mode*/)
{
    // Non-blocking, so that opening a FIFO without a writer cannot hang.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd.valid() && errno == ENOENT)
        throw Failure(ErrorNumber::FileNotFound);  // it was there a moment ago
    if (!fd.valid())
        ThrowLastError();
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        ThrowLastError();
    if (!S_ISREG(info.st_mode))
        throw Failure(ErrorNumber::NotAnOrdinaryFile);
    return std::make_unique<LocalInputStream>(std::move(fd));
}

}  // namespace orvelin::platform
