// A harmless stand-in for the file manager: appends its arguments, each ended
// by a NUL byte, to the file named by ORVELIN_RECORDED_ARGS, and does nothing else.

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    const char* record = std::getenv("ORVELIN_RECORDED_ARGS");
    if (!record)
        return 1;
    std::FILE* out = std::fopen(record, "ab");
    if (!out)
        return 1;
    for (int i = 1; i < argc; ++i)
        std::fwrite(argv[i], 1, std::strlen(argv[i]) + 1, out);
    return std::fclose(out) == 0 ? 0 : 1;
}
