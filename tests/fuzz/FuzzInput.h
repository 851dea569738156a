#pragma once
// Takes a fuzz input apart: single bytes for choices, short texts with a
// length byte, and whatever is left.

#include <cstddef>
#include <cstdint>
#include <string>

namespace velvane::test {

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    // A text of up to 255 bytes, its length the next byte.
    std::string Text()
    {
        std::size_t n = Byte();
        if (n > size_ - at_) n = size_ - at_;
        std::string text(reinterpret_cast<const char*>(data_ + at_), n);
        at_ += n;
        return text;
    }
    std::string Rest()
    {
        std::string rest(reinterpret_cast<const char*>(data_ + at_), size_ - at_);
        at_ = size_;
        return rest;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

} // namespace velvane::test
