#include "engine/text.h"

#include <algorithm>
#include <cstring>

namespace orvelin {

Text::Text(std::string_view text) : Text(OfSize(text.size()))
{
    if (!text.empty())
        std::memcpy(bytes_.get(), text.data(), text.size());
}

Text Text::OfSize(std::size_t size)
{
    Text text;
    text.bytes_ = std::make_unique_for_overwrite<char[]>(size);
    text.size_ = size;
    text.capacity_ = size;
    return text;
}

void Text::Truncate(std::size_t size) noexcept
{
    size_ = std::min(size, size_);
}

void Text::Append(std::string_view bytes)
{
    if (bytes.size() > capacity_ - size_) {
        const std::size_t capacity = std::max(size_ + bytes.size(), capacity_ + capacity_ / 2);
        auto larger = std::make_unique_for_overwrite<char[]>(capacity);
        if (size_ > 0)
            std::memcpy(larger.get(), bytes_.get(), size_);
        bytes_ = std::move(larger);
        capacity_ = capacity;
    }
    if (!bytes.empty())
        std::memcpy(bytes_.get() + size_, bytes.data(), bytes.size());
    size_ += bytes.size();
}

}  // namespace orvelin
