#pragma once

// What both floors do first: read the file whole with read() into memory
// that nothing has touched before.

#include <fcntl.h>
#include <memory>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

struct WholeFile {
    std::unique_ptr<char[]> bytes;
    std::size_t size = 0;
    std::string_view view() const { return {bytes.get(), size}; }
};

inline std::optional<WholeFile> ReadWhole(const char* path)
{
    const int in = ::open(path, O_RDONLY);
    struct stat info {};
    if (in < 0 || ::fstat(in, &info) != 0)
        return std::nullopt;
    WholeFile whole{std::make_unique_for_overwrite<char[]>(static_cast<std::size_t>(info.st_size)),
                    static_cast<std::size_t>(info.st_size)};
    for (std::size_t got = 0; got < whole.size;) {
        const ssize_t n = ::read(in, whole.bytes.get() + got, whole.size - got);
        if (n <= 0)
            return std::nullopt;
        got += static_cast<std::size_t>(n);
    }
    ::close(in);
    return whole;
}
