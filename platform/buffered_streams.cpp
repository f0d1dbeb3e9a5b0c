#include "platform/buffered_streams.h"

#include "engine/failure.h"

#include <cstring>
#include <new>

namespace orvelin::platform {

void BufferedOutputStream::Write(std::string_view text)
{
    if (text.empty())
        return;  // an empty view may hold no bytes at all
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

Text ReadWhole(std::uint64_t size, const ReadFunction& readInto)
{
    Text text;
    try {
        text = Text::OfSize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        throw Failure(ErrorNumber::OutOfMemory);
    }
    text.Truncate(readInto(text.data(), text.size()));
    char more[16 * 1024];
    while (const std::size_t got = readInto(more, sizeof more))
        text.Append({more, got});
    return text;
}

}  // namespace orvelin::platform
