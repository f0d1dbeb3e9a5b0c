// The cost floor of a split: read the calendar whole, then write each event
// file (header, chunk, footer) with a single write(). No checks beyond that.
// With --replace, each file is written under a temporary name and renamed
// over its own: the floor of a rerun over existing files. With --sync, one
// syncfs() at the end puts everything on the disk: the floor of a durable run.

#include "bench/read_whole.h"

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    bool replace = false;
    bool sync = false;
    int at = 1;
    for (; at < argc - 1; ++at) {
        replace |= std::string_view(argv[at]) == "--replace";
        sync |= std::string_view(argv[at]) == "--sync";
    }
    if (at != argc - 1) {
        std::fputs("usage: orvelin-floor [--replace] [--sync] FILE\n", stderr);
        return 2;
    }
    const char* const input = argv[at];
    const std::optional<WholeFile> whole = ReadWhole(input);
    if (!whole)
        return 2;

    const std::string folder = std::string(input).substr(0, std::string(input).rfind('/') + 1) + "VCS folder/";
    ::mkdir(folder.c_str(), 0777);
    const std::string_view all = whole->view();
    std::size_t start = all.find("BEGIN:VEVENT");
    std::string file;
    int number = 0;
    while (start != std::string_view::npos) {
        const std::size_t end = all.find("END:VEVENT", start);
        if (end == std::string_view::npos)
            break;
        file.assign("Begin:VCalendar\r\nVersion: 1.0\r\n");
        file.append(all.substr(start, end + 10 - start));
        file.append("\r\nEnd:VCalendar\r\n");
        const std::string path = folder + std::to_string(++number) + ".vcs";
        const std::string written = replace ? folder + ".floor.tmp" : path;
        const int out = ::open(written.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        if (out < 0 || ::write(out, file.data(), file.size()) != static_cast<ssize_t>(file.size()) || ::close(out) != 0)
            return 2;
        if (replace && ::rename(written.c_str(), path.c_str()) != 0)
            return 2;
        start = end + 10;
    }
    if (sync) {
        const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
        if (dir < 0 || ::syncfs(dir) != 0)
            return 2;
        ::close(dir);
    }
    std::printf("%d Entries have been generated\n", number);
    return 0;
}
