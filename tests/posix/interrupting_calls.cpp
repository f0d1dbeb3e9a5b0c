// Stands between a program and the C library (LD_PRELOAD) in tests: every
// other read and write of a file fails with EINTR, as when a signal arrives
// before any byte moved, and each syncfs() leaves a line in the file that
// ORVELIN_SYNC_LOG names, so that a test sees the flush happen.

#include <cerrno>
#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

template <typename Function>
Function Next(const char* name)
{
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

// Descriptors 0 to 2 are the terminal's: what a test reads of them stays whole.
bool Interrupted(int fd)
{
    static thread_local bool interrupt = false;
    interrupt = fd > STDERR_FILENO && !interrupt;
    if (interrupt)
        errno = EINTR;
    return interrupt;
}

}  // namespace

extern "C" ssize_t read(int fd, void* buffer, size_t size)
{
    static const auto next = Next<ssize_t (*)(int, void*, size_t)>("read");
    return Interrupted(fd) ? -1 : next(fd, buffer, size);
}

extern "C" ssize_t write(int fd, const void* bytes, size_t size)
{
    static const auto next = Next<ssize_t (*)(int, const void*, size_t)>("write");
    return Interrupted(fd) ? -1 : next(fd, bytes, size);
}

extern "C" int syncfs(int fd)
{
    static const auto next = Next<int (*)(int)>("syncfs");
    if (const char* log = std::getenv("ORVELIN_SYNC_LOG")) {
        const long out = ::syscall(SYS_openat, AT_FDCWD, log, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
        if (out >= 0) {
            ::syscall(SYS_write, out, "syncfs\n", 7);
            ::syscall(SYS_close, out);
        }
    }
    return next(fd);
}
