// The cost floor of refusing a calendar: read it whole into one buffer with
// read(), and nothing else.

#include "bench/read_whole.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: orvelin-read-floor FILE\n", stderr);
        return 2;
    }
    return ReadWhole(argv[1]) ? 0 : 2;
}
