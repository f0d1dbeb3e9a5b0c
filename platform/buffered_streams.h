#pragma once

#include "engine/file_system.h"

#include <cstdint>
#include <functional>
#include <string>

namespace orvelin::platform {

// Gathers a file's small pieces so that a typical event file costs a single
// write; a piece as large as the buffer or larger goes straight to the file,
// never copied. Nothing is allocated while a file is written.
class BufferedOutputStream : public OutputTextStream {
public:
    void Write(std::string_view text) final;
    void WriteLine(std::string_view text) final;

protected:
    // Writes out everything gathered so far.
    void Flush();
    // What is gathered and not yet written out.
    std::string_view Gathered() const { return {buffer_, used_}; }
    // Writes all of bytes to the file or throws Failure.
    virtual void WriteOut(std::string_view bytes) = 0;

private:
    static constexpr std::size_t kBufferSize = 64 * 1024;
    std::size_t used_ = 0;
    char buffer_[kBufferSize];
};

// Reads until size bytes or the end of the file; the number of bytes read.
using ReadFunction = std::function<std::size_t(char* buffer, std::size_t size)>;

// A whole file as one text: sized once from the file's length, so the text
// is never copied whole, then whatever the file gained meanwhile. Fails with
// "Out of memory" when the text cannot be held.
Text ReadWhole(std::uint64_t size, const ReadFunction& readInto);

}  // namespace orvelin::platform
