#include "platform/buffered_streams.h"

#include "engine/failure.h"

#include <cstring>
#include <exception>

namespace orvelin::platform {

void BufferedOutputStream::Write(std::string_view text)
{
    if (used_ + text.size() > kBufferSize) {
        Flush();
        if (text.size() >= kBufferSize) {
            WriteOut(text);
            return;
        }
    }
    std::memcpy(buffer_ + used_, text.data(), text.size());
    used_ += text.size();
}

void BufferedOutputStream::WriteLine(std::string_view text)
{
    Write(text);
    Write("\r\n");
}

void BufferedOutputStream::Flush()
{
    WriteOut({buffer_, used_});
    used_ = 0;
}

std::string ReadWhole(std::uint64_t size, const ReadFunction& readInto)
{
    std::string text;
    try {
        text.resize(static_cast<std::size_t>(size));
    } catch (const std::exception&) {  // bad_alloc, or length_error past the largest string
        throw Failure(ErrorNumber::OutOfMemory);
    }
    text.resize(readInto(text.data(), text.size()));
    char more[16 * 1024];
    while (const std::size_t got = readInto(more, sizeof more))
        text.append(more, got);
    return text;
}

}  // namespace orvelin::platform
