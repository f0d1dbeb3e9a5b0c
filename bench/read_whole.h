#pragma once

// What both floors do first: read the file whole into one buffer with read().

#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

inline std::optional<std::string> ReadWhole(const char* path)
{
    const int in = ::open(path, O_RDONLY);
    struct stat info {};
    if (in < 0 || ::fstat(in, &info) != 0)
        return std::nullopt;
    std::string text(static_cast<std::size_t>(info.st_size), '\0');
    for (std::size_t got = 0; got < text.size();) {
        const ssize_t n = ::read(in, text.data() + got, text.size() - got);
        if (n <= 0)
            return std::nullopt;
        got += static_cast<std::size_t>(n);
    }
    ::close(in);
    return text;
}
