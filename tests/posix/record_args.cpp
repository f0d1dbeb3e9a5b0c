// A harmless stand-in for the file manager: writes its arguments, each ended
// by a NUL byte, to the file named by ORVELIN_RECORDED_ARGS, and does nothing
// else. It writes a temporary file and renames it, so the record appears whole.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv)
{
    const char* record = std::getenv("ORVELIN_RECORDED_ARGS");
    if (!record)
        return 1;
    const std::string temporary = std::string(record) + ".tmp";
    std::FILE* out = std::fopen(temporary.c_str(), "wb");
    if (!out)
        return 1;
    for (int i = 1; i < argc; ++i)
        std::fwrite(argv[i], 1, std::strlen(argv[i]) + 1, out);
    return std::fclose(out) == 0 && std::rename(temporary.c_str(), record) == 0 ? 0 : 1;
}
