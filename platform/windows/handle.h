#pragma once

#include <windows.h>

#include <utility>

namespace orvelin::platform {

// Owns a Windows file handle.
class Handle {
public:
    explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) noexcept : handle_(handle) {}
    Handle(Handle&& other) noexcept : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
    Handle& operator=(Handle&& other) noexcept
    {
        reset(std::exchange(other.handle_, INVALID_HANDLE_VALUE));
        return *this;
    }
    ~Handle() { reset(); }

    HANDLE get() const noexcept { return handle_; }
    bool valid() const noexcept { return handle_ != INVALID_HANDLE_VALUE; }
    // Closes the handle; false when closing it failed.
    bool reset(HANDLE handle = INVALID_HANDLE_VALUE) noexcept
    {
        const HANDLE old = std::exchange(handle_, handle);
        return old == INVALID_HANDLE_VALUE || ::CloseHandle(old) != 0;
    }

private:
    HANDLE handle_;
};

}  // namespace orvelin::platform
