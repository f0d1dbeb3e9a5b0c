#include "platform/local_file_system.h"

#include "platform/file_descriptor.h"
#include "platform/os_error.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <exception>
#include <sys/stat.h>
#include <unistd.h>

namespace orvelin::platform {
namespace {

// Small pieces are gathered so that a typical event file costs one write();
// a piece this large or larger goes straight to the file, never copied.
constexpr std::size_t kWriteBufferSize = 64 * 1024;
constexpr std::size_t kInitialWriteBuffer = 4 * 1024;
constexpr std::size_t kReadChunk = 16 * 1024;

class LocalInputStream final : public InputTextStream {
public:
    explicit LocalInputStream(FileDescriptor fd) : fd_(std::move(fd)) {}

    std::string ReadAll() override
    {
        struct stat info {};
        if (::fstat(fd_.get(), &info) != 0)
            ThrowLastError();
        // Sized once from the file's length, so the text is never copied whole.
        std::string text;
        try {
            text.resize(static_cast<std::size_t>(info.st_size));
        } catch (const std::exception&) {  // bad_alloc, or length_error past the largest string
            throw Failure(ErrorNumber::OutOfMemory);
        }
        std::size_t filled = ReadInto(text.data(), text.size());
        text.resize(filled);
        // Whatever the file gained since fstat.
        char more[kReadChunk];
        while (const std::size_t got = ReadInto(more, sizeof more))
            text.append(more, got);
        return text;
    }

    void Close() override
    {
        if (fd_.reset() != 0)
            ThrowLastError();
    }

private:
    // Reads until size bytes or the end of the file; the number of bytes read.
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

class LocalOutputStream final : public OutputTextStream {
public:
    LocalOutputStream(FileDescriptor fd, std::string path) : fd_(std::move(fd)), path_(std::move(path))
    {
        buffer_.reserve(kInitialWriteBuffer);
    }

    ~LocalOutputStream() override
    {
        if (fd_.valid())
            Discard();
    }

    void Write(std::string_view text) override
    {
        if (buffer_.size() + text.size() <= kWriteBufferSize) {
            buffer_ += text;
            return;
        }
        Flush();
        if (text.size() >= kWriteBufferSize)
            WriteOut(text);
        else
            buffer_ += text;
    }

    void WriteLine(std::string_view text) override
    {
        Write(text);
        Write("\r\n");
    }

    void Close() override
    {
        Flush();
        if (fd_.reset() != 0)
            Fail(errno);
    }

private:
    void Flush()
    {
        WriteOut(buffer_);
        buffer_.clear();
    }

    void WriteOut(std::string_view bytes)
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
        throw FailureFromErrno(error);
    }

    void Discard() noexcept
    {
        fd_.reset();
        ::unlink(path_.c_str());
    }

    FileDescriptor fd_;
    std::string path_;
    std::string buffer_;
};

}  // namespace

void ReportFileSizeLimitAsWriteFailure()
{
    std::signal(SIGXFSZ, SIG_IGN);
}

bool LocalFileSystem::FileExists(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
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

std::unique_ptr<OutputTextStream> LocalFileSystem::CreateTextFile(const std::string& path, bool overwrite)
{
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (overwrite ? O_TRUNC : O_EXCL);
    FileDescriptor fd(::open(path.c_str(), flags, 0666));
    if (!fd.valid())
        ThrowLastError();
    return std::make_unique<LocalOutputStream>(std::move(fd), path);
}

}  // namespace orvelin::platform
