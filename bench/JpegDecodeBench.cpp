// Turning a 1920x1080 JPEG into wallpaper.bmp: the least it can cost (bare
// libjpeg-turbo into the bitmap's rows, one write()) against the way the
// programs do it (TJPEGImage, TBitmap::Assign, TBitmap::SaveToFile, which
// also syncs and renames). Run by hand: build/bench/bench_JpegDecodeBench

#include "platform/graphics/Graphics.h"
#include "platform/graphics/JpegCodec.h"
#include "platform/rtl/FileUtils.h"

#include "settings/PictureToWallpaper.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <jpeglib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

using namespace velvane;

namespace {

constexpr int W = 1920, H = 1080;

// Removes the scratch folder when the program ends.
struct Scratch {
    std::string folder;
    ~Scratch()
    {
        if (!folder.empty()) std::filesystem::remove_all(folder);
    }
} scratch;

// A gradient with noise, so the file is about as hard to decode as a photo.
const std::string& JpegPath()
{
    static const std::string path = [] {
        char folder[] = "/tmp/velvane-bench-XXXXXX";
        if (!::mkdtemp(folder)) throw std::runtime_error("mkdtemp");
        scratch.folder = folder;
        QImage image(W, H, QImage::Format_RGB32);
        std::uint32_t seed = 12345;
        for (int y = 0; y < H; ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < W; ++x) {
                seed = seed * 1664525u + 1013904223u;
                const int n = int(seed >> 27) - 16;
                line[x] = qRgb(std::clamp(x * 255 / W + n, 0, 255), std::clamp(y * 255 / H + n, 0, 255),
                               std::clamp((x + y) * 255 / (W + H) - n, 0, 255));
            }
        }
        const std::string p = std::string(folder) + "/picture.jpg";
        AtomicWriteFile(p, EncodeJpeg(image));
        return p;
    }();
    return path;
}

std::string Sibling(const char* name) { return std::filesystem::path(JpegPath()).parent_path() / name; }

void Floor(const std::string& jpegPath, const std::string& bmpPath)
{
    int fd = ::open(jpegPath.c_str(), O_RDONLY);
    std::vector<unsigned char> input(std::filesystem::file_size(jpegPath));
    if (fd < 0 || ::read(fd, input.data(), input.size()) != ssize_t(input.size())) throw std::runtime_error("read");
    ::close(fd);

    jpeg_decompress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, input.data(), input.size());
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_EXT_BGR;  // the bitmap's byte order
    jpeg_start_decompress(&cinfo);
    const std::uint32_t w = cinfo.output_width, h = cinfo.output_height;
    const std::uint32_t stride = (w * 3 + 3) & ~3u;
    std::vector<unsigned char> out(54 + std::size_t(stride) * h, 0);
    const auto put = [&](std::size_t at, std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i) out[at + i] = (unsigned char)(v >> (8 * i));
    };
    out[0] = 'B';
    out[1] = 'M';
    put(2, std::uint32_t(out.size()), 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, w, 4);
    put(22, h, 4);
    put(26, 1, 2);
    put(28, 24, 2);
    put(34, stride * h, 4);
    put(38, 2835, 4);
    put(42, 2835, 4);
    while (cinfo.output_scanline < h) {
        JSAMPROW row = &out[54 + std::size_t(stride) * (h - 1 - cinfo.output_scanline)];
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);

    fd = ::open(bmpPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, out.data(), out.size()) != ssize_t(out.size())) throw std::runtime_error("write");
    ::close(fd);
}

void BM_Floor_DecodeJpegAndWriteBmp(benchmark::State& state)
{
    const std::string in = JpegPath(), out = Sibling("floor.bmp");
    for (auto _ : state) Floor(in, out);
}
BENCHMARK(BM_Floor_DecodeJpegAndWriteBmp)->Unit(benchmark::kMillisecond);

// The programs' own steps, as the apply job takes them, without the desktop.
void BM_PictureToWallpaper(benchmark::State& state)
{
    const std::string in = JpegPath(), out = Sibling("wallpaper.bmp");
    TBitmap workBitmap;
    for (auto _ : state) {
        TBitmap picture;
        LoadPicture(PictureKindOf(in), in, picture);
        workBitmap.Assign(picture);
        workBitmap.SaveToFile(out);
    }
    // Same bytes as the floor's file, or the comparison means nothing.
    Floor(in, Sibling("check.bmp"));
    if (ReadFileBytes(Sibling("check.bmp")) != ReadFileBytes(out)) state.SkipWithError("the two bitmaps differ");
}
BENCHMARK(BM_PictureToWallpaper)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
