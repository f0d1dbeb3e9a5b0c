#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

namespace orvelin {

// A file's whole text, held once. Its memory is not cleared before the file
// is read into it: clearing hundreds of megabytes costs as much as reading them.
class Text {
public:
    Text() = default;
    // A copy of text.
    explicit Text(std::string_view text);
    // size bytes for the caller to fill; throws std::bad_alloc.
    static Text OfSize(std::size_t size);

    char* data() noexcept { return bytes_.get(); }
    std::size_t size() const noexcept { return size_; }
    std::string_view view() const noexcept { return {bytes_.get(), size_}; }
    operator std::string_view() const noexcept { return view(); }

    // Keeps the first size bytes (size no larger than now).
    void Truncate(std::size_t size) noexcept;
    // Adds bytes at the end, moving the text to larger memory when needed.
    void Append(std::string_view bytes);

private:
    std::unique_ptr<char[]> bytes_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

}  // namespace orvelin
