#pragma once
// A valid progressive JPEG of any size from a few bytes a block: one DC scan
// whose every difference is zero (a one-bit Huffman code), no AC scans. It
// decodes to flat grey, costs the decoder its whole coefficient buffer, and
// needs no encoder that would have to hold that buffer itself.

#include <cstdint>
#include <initializer_list>
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

// A valid progressive 8 x 8 colour JPEG of exactly `scans` scans (up to
// 2660), flat grey: each coefficient band of each channel is sent one bit at
// a time, from bit 13 down, as successive approximation allows. Every scan
// holds one code or bit a block, all zero.
inline std::string ProgressiveJpegOfScans(int scans)
{
    std::string out;
    auto byte = [&out](int b) { out.push_back(static_cast<char>(b & 0xFF)); };
    auto word = [&byte](int w) {
        byte(w >> 8);
        byte(w);
    };
    byte(0xFF), byte(0xD8);
    byte(0xFF), byte(0xDB), word(67), byte(0);
    for (int i = 0; i < 64; ++i) byte(1);
    byte(0xFF), byte(0xC2), word(17), byte(8), word(8), word(8), byte(3);
    for (int c = 1; c <= 3; ++c) byte(c), byte(0x11), byte(0);
    for (int tableClass : {0x00, 0x10}) {                       // DC and AC: one 1-bit code for 0
        byte(0xFF), byte(0xC4), word(20), byte(tableClass), byte(1);
        for (int i = 1; i < 16; ++i) byte(0);
        byte(0);
    }
    int made = 0;
    // One scan: its components, band and bit, then its data.
    auto scan = [&](std::initializer_list<int> components, int first, int last, int high, int low) {
        byte(0xFF), byte(0xDA), word(6 + 2 * static_cast<int>(components.size())), byte(static_cast<int>(components.size()));
        for (int c : components) byte(c), byte(0x00);
        byte(first), byte(last), byte(high << 4 | low);
        byte(components.size() == 3 ? 0x1F : 0x7F);             // zero bits, padded with ones
    };
    // Bit 13 first (nothing sent before it), then each lower bit in turn.
    auto bits = [&](std::initializer_list<int> components, int band) {
        for (int step = 0; step <= 13 && made < scans; ++step, ++made)
            scan(components, band, band, step == 0 ? 0 : 14 - step, 13 - step);
    };
    bits({1, 2, 3}, 0);  // DC of all three at once
    for (int c = 1; c <= 3; ++c)
        for (int k = 1; k < 64; ++k) bits({c}, k);
    byte(0xFF), byte(0xD9);
    return out;
}

} // namespace velvane::test
