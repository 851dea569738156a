#include "tests/support/RootWindow.h"

#include "platform/desktop/ProgramRunner.h"

#include <random>
#include <sstream>

namespace velvane::test {

QImage NoisePicture(int width, int height, unsigned seed)
{
    std::mt19937 random(seed);
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) row[x] = 0xFF000000u | (random() & 0xFFFFFFu);
    }
    return image;
}

std::vector<std::string> ReadRoot(const std::string& display, const std::vector<std::string>& args)
{
    std::vector<std::string> all{display}, lines;
    all.insert(all.end(), args.begin(), args.end());
    std::string out;
    if (RunProgram(ROOT_PIXEL, all, &out) != 0) return {};
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

QImage RootWindowPicture(const std::string& display)
{
    std::vector<std::string> lines = ReadRoot(display, {"all"});
    if (lines.size() < 2) return {};
    lines.pop_back();  // the pixmap line
    const int width = static_cast<int>(lines[0].size() / 6);
    QImage image(width, static_cast<int>(lines.size()), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        if (lines[y].size() != static_cast<std::size_t>(width) * 6) return {};
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            row[x] = 0xFF000000u | static_cast<QRgb>(std::stoul(lines[y].substr(6 * x, 6), nullptr, 16));
    }
    return image;
}

} // namespace velvane::test
