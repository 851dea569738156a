#pragma once
// A valid progressive JPEG of any size from a few bytes a block: one DC scan
// whose every difference is zero (a one-bit Huffman code), no AC scans. It
// decodes to flat grey, costs the decoder its whole coefficient buffer, and
// needs no encoder that would have to hold that buffer itself.

#include <cstdint>
#include <string>

namespace velvane::test {

inline std::string ProgressiveGreyJpeg(int width, int height, int components = 1)
{
    std::string out;
    auto byte = [&out](int b) { out.push_back(static_cast<char>(b & 0xFF)); };
    auto word = [&byte](int w) {
        byte(w >> 8);
        byte(w);
    };
    byte(0xFF), byte(0xD8);                                   // start of image
    byte(0xFF), byte(0xDB), word(67), byte(0);                 // one quantisation table of ones
    for (int i = 0; i < 64; ++i) byte(1);
    byte(0xFF), byte(0xC2), word(8 + 3 * components), byte(8); // progressive frame
    word(height), word(width), byte(components);
    for (int c = 1; c <= components; ++c) byte(c), byte(0x11), byte(0);
    byte(0xFF), byte(0xC4), word(20), byte(0x00);              // DC table: one code "0" for 0
    byte(1);
    for (int i = 1; i < 16; ++i) byte(0);
    byte(0);
    byte(0xFF), byte(0xDA), word(6 + 2 * components), byte(components);  // the DC scan
    for (int c = 1; c <= components; ++c) byte(c), byte(0x00);
    byte(0), byte(0), byte(0);                                 // DC only, no approximation
    const std::int64_t blocks = std::int64_t{(width + 7) / 8} * ((height + 7) / 8) * components;
    out.append(static_cast<std::size_t>(blocks / 8), '\0');
    if (blocks % 8) byte(0xFF >> (blocks % 8));                // padded with one bits
    byte(0xFF), byte(0xD9);                                    // end of image
    return out;
}

} // namespace velvane::test
