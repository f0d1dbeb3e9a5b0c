#pragma once

#include <utility>

namespace orvelin::platform {

// Owns an open file descriptor.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) noexcept : fd_(fd) {}
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept
    {
        reset(std::exchange(other.fd_, -1));
        return *this;
    }
    ~FileDescriptor() { reset(); }

    int get() const noexcept { return fd_; }
    bool valid() const noexcept { return fd_ >= 0; }
    // Closes the descriptor; the result of close(), or 0 when none was open.
    int reset(int fd = -1) noexcept;

private:
    int fd_;
};

}  // namespace orvelin::platform
