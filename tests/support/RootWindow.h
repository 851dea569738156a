#pragma once
// What an X display's root window shows, read by the root_pixel tool from a
// process of its own, so the tests see what the server holds.

#include <QImage>

#include <string>
#include <vector>

namespace velvane::test {

// Random opaque pixels: any pixel out of place or channel out of order shows.
QImage NoisePicture(int width, int height, unsigned seed);

// root_pixel's answer lines for the arguments (see tests/tools/RootPixel.cpp).
std::vector<std::string> ReadRoot(const std::string& display, const std::vector<std::string>& args);
// Every pixel of the root window, each channel widened to 8 bits as
// root_pixel widens it; null when it cannot be read.
QImage RootWindowPicture(const std::string& display);

} // namespace velvane::test
