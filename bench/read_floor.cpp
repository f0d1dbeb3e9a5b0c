// The cost floor of refusing a calendar: read it whole into one buffer with
// read(), and nothing else.

#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: orvelin-read-floor FILE\n", stderr);
        return 2;
    }
    const int in = ::open(argv[1], O_RDONLY);
    struct stat info {};
    if (in < 0 || ::fstat(in, &info) != 0)
        return 2;
    std::string text(static_cast<std::size_t>(info.st_size), '\0');
    for (std::size_t got = 0; got < text.size();) {
        const ssize_t n = ::read(in, text.data() + got, text.size() - got);
        if (n <= 0)
            return 2;
        got += static_cast<std::size_t>(n);
    }
    return ::close(in) == 0 ? 0 : 2;
}
