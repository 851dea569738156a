#include "platform/graphics/PixelMemory.h"

#include <sys/mman.h>

#include <cstddef>
#include <cstdint>
#include <new>

namespace velvane {

namespace {

constexpr std::size_t HugePage = std::size_t{2} << 20;

struct Mapping {
    void* start;
    std::size_t length;
};

void Unmap(void* info)
{
    auto* mapping = static_cast<Mapping*>(info);
    ::munmap(mapping->start, mapping->length);
    delete mapping;
}

} // namespace

QImage NewRgb32Image(int width, int height)
{
    if (width <= 0 || height <= 0) return {};
    const auto bytesPerLine = static_cast<qsizetype>(width) * 4;
    const std::size_t size = static_cast<std::size_t>(bytesPerLine) * static_cast<std::size_t>(height);
    if (size < HugePage) return QImage(width, height, QImage::Format_RGB32);

    // One page more than needed, to start on a 2 MiB boundary; the slack on
    // either side goes back at once.
    const std::size_t length = (size + HugePage - 1) / HugePage * HugePage;
    void* raw = ::mmap(nullptr, length + HugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) return {};
    auto* base = static_cast<char*>(raw);
    auto* start = reinterpret_cast<char*>((reinterpret_cast<std::uintptr_t>(base) + HugePage - 1) & ~(HugePage - 1));
    if (start > base) ::munmap(base, static_cast<std::size_t>(start - base));
    const std::size_t after = static_cast<std::size_t>(base + length + HugePage - (start + length));
    if (after > 0) ::munmap(start + length, after);
    // Only advice: where the kernel has no large pages the memory is ordinary.
    ::madvise(start, length, MADV_HUGEPAGE);

    auto* mapping = new (std::nothrow) Mapping{start, length};
    if (!mapping) {
        ::munmap(start, length);
        return {};
    }
    QImage image(reinterpret_cast<uchar*>(start), width, height, bytesPerLine, QImage::Format_RGB32, Unmap, mapping);
    if (image.isNull()) Unmap(mapping);
    return image;
}

bool PrepareRgb32Image(QImage& image, int width, int height)
{
    if (image.width() != width || image.height() != height || image.format() != QImage::Format_RGB32 ||
        !image.isDetached())
        image = NewRgb32Image(width, height);
    return !image.isNull();
}

} // namespace velvane
