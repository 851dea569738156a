#include "platform/graphics/JpegCodec.h"

#include "platform/rtl/Exceptions.h"
#include "tests/support/CraftedJpeg.h"
#include "tests/support/Raises.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

using namespace velvane;
using velvane::test::MessageOf;

namespace {

constexpr int W = 64, H = 48;

QRgb GradientAt(int x, int y) { return qRgb(x * 255 / (W - 1), y * 255 / (H - 1), (x + y) * 255 / (W + H - 2)); }

QImage Gradient()
{
    QImage image(W, H, QImage::Format_RGB32);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) image.setPixel(x, y, GradientAt(x, y));
    return image;
}

// A file made with libjpeg directly, not with the codec under test.
struct Writer {
    J_COLOR_SPACE space = JCS_RGB;
    int components = 3;
    bool progressive = false;
    bool adobeMarker = true;  // only changed for CMYK

    std::string Write(const std::vector<unsigned char>& samples, int w, int h) const
    {
        jpeg_compress_struct cinfo;
        jpeg_error_mgr err;
        cinfo.err = jpeg_std_error(&err);
        jpeg_create_compress(&cinfo);
        unsigned char* buffer = nullptr;
        unsigned long size = 0;
        jpeg_mem_dest(&cinfo, &buffer, &size);
        cinfo.image_width = JDIMENSION(w);
        cinfo.image_height = JDIMENSION(h);
        cinfo.input_components = components;
        cinfo.in_color_space = space;
        jpeg_set_defaults(&cinfo);
        jpeg_set_quality(&cinfo, 95, TRUE);
        if (space == JCS_CMYK) cinfo.write_Adobe_marker = adobeMarker ? TRUE : FALSE;
        if (progressive) jpeg_simple_progression(&cinfo);
        jpeg_start_compress(&cinfo, TRUE);
        while (cinfo.next_scanline < cinfo.image_height) {
            JSAMPROW row = const_cast<JSAMPROW>(&samples[std::size_t(cinfo.next_scanline) * w * components]);
            jpeg_write_scanlines(&cinfo, &row, 1);
        }
        jpeg_finish_compress(&cinfo);
        jpeg_destroy_compress(&cinfo);
        std::string out(reinterpret_cast<char*>(buffer), size);
        std::free(buffer);
        return out;
    }
};

std::vector<unsigned char> GradientRgbSamples()
{
    std::vector<unsigned char> s;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const QRgb c = GradientAt(x, y);
            s.insert(s.end(), {(unsigned char)qRed(c), (unsigned char)qGreen(c), (unsigned char)qBlue(c)});
        }
    return s;
}

// Mean absolute difference per channel between the decoded image and the gradient.
double MeanError(const QImage& image, bool grey = false)
{
    double total = 0;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const QRgb a = image.pixel(x, y), b = GradientAt(x, y);
            if (grey) {
                total += std::abs(qRed(a) - qRed(b)) * 3;
            } else {
                total += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
            }
        }
    return total / (3.0 * W * H);
}

bool HasMarker(const std::string& bytes, unsigned char code)
{
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i)
        if ((unsigned char)bytes[i] == 0xFF && (unsigned char)bytes[i + 1] == code) return true;
    return false;
}

std::string JpegError(const std::string& bytes)
{
    return MessageOf<EJPEG>([&] { DecodeJpeg(bytes); });
}

} // namespace

TEST(JpegCodec, BaselineAndProgressiveDecodeCloseToTheSource)
{
    const std::string ours = EncodeJpeg(Gradient());
    EXPECT_TRUE(HasMarker(ours, 0xC0));  // baseline frame
    const QImage fromOurs = DecodeJpeg(ours);
    EXPECT_EQ(fromOurs.format(), QImage::Format_RGB32);
    EXPECT_EQ(fromOurs.size(), QSize(W, H));
    EXPECT_LT(MeanError(fromOurs), 3.0);

    Writer progressive;
    progressive.progressive = true;
    const std::string bytes = progressive.Write(GradientRgbSamples(), W, H);
    EXPECT_TRUE(HasMarker(bytes, 0xC2));
    const QImage fromProgressive = DecodeJpeg(bytes);
    EXPECT_EQ(fromProgressive.size(), QSize(W, H));
    EXPECT_LT(MeanError(fromProgressive), 3.0);

    // Pixels are opaque RGB32 whatever libjpeg leaves in the fourth byte.
    EXPECT_EQ(qAlpha(fromOurs.pixel(5, 5)), 255);
    EXPECT_NE(MessageOf<EJPEG>([] { EncodeJpeg(QImage()); }), "no error");
}

TEST(JpegCodec, GreyscaleComesOutAsGreyRgb)
{
    Writer grey;
    grey.space = JCS_GRAYSCALE;
    grey.components = 1;
    std::vector<unsigned char> samples;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) samples.push_back((unsigned char)qRed(GradientAt(x, y)));
    const QImage image = DecodeJpeg(grey.Write(samples, W, H));
    ASSERT_EQ(image.size(), QSize(W, H));
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const QRgb p = image.pixel(x, y);
            ASSERT_EQ(qRed(p), qGreen(p));
            ASSERT_EQ(qRed(p), qBlue(p));
        }
    EXPECT_LT(MeanError(image, true), 3.0);
}

TEST(JpegCodec, CmykWithAndWithoutAdobeInversion)
{
    // Left half red (no cyan, full magenta and yellow), right half dark blue.
    const auto cmykAt = [](int x) -> std::array<int, 4> {
        return x < W / 2 ? std::array{0, 255, 255, 0} : std::array{255, 255, 0, 128};
    };
    for (bool adobe : {true, false}) {
        Writer w;
        w.space = JCS_CMYK;
        w.components = 4;
        w.adobeMarker = adobe;
        std::vector<unsigned char> samples;
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                for (int ink : cmykAt(x)) samples.push_back((unsigned char)(adobe ? 255 - ink : ink));
        const QImage image = DecodeJpeg(w.Write(samples, W, H));
        ASSERT_EQ(image.size(), QSize(W, H));
        const auto near = [](QRgb p, int r, int g, int b) {
            return std::abs(qRed(p) - r) <= 6 && std::abs(qGreen(p) - g) <= 6 && std::abs(qBlue(p) - b) <= 6;
        };
        EXPECT_TRUE(near(image.pixel(8, 20), 255, 0, 0)) << adobe << std::hex << image.pixel(8, 20);
        EXPECT_TRUE(near(image.pixel(56, 20), 0, 0, 127)) << adobe << std::hex << image.pixel(56, 20);
    }
}

TEST(JpegCodec, DamagedFilesRaiseInsteadOfPaddingGrey)
{
    const std::string whole = EncodeJpeg(Gradient());
    EXPECT_EQ(JpegError(whole.substr(0, whole.size() / 2)), "Fim prematuro do arquivo JPEG");
    // Without its end marker, and cut anywhere after the headers.
    EXPECT_NE(JpegError(whole.substr(0, whole.size() - 2)), "no error");
    for (std::size_t n = 0; n < whole.size(); n += 7)
        EXPECT_NE(JpegError(whole.substr(0, n)), "no error") << n;

    EXPECT_NE(JpegError(""), "no error");
    EXPECT_EQ(JpegError("GIF89a and some more bytes"), "O arquivo não é uma imagem JPEG");
    // EJPEG is an EInvalidGraphic, so callers catching pictures' errors see it.
    EXPECT_NE(MessageOf<EInvalidGraphic>([] { DecodeJpeg("\xFF\xD8\xFF"); }), "no error");

    // Flipped bytes in the entropy data: an error or a picture, never a crash.
    for (std::size_t at = whole.size() / 3; at < whole.size() - 2; at += 11) {
        std::string bad = whole;
        bad[at] = char(bad[at] ^ 0x5A);
        try {
            DecodeJpeg(bad);
        } catch (const EJPEG&) {
        }
    }
}

TEST(JpegCodec, HugeDeclaredSizeIsRefusedBeforeDecoding)
{
    std::string bytes = EncodeJpeg(Gradient());
    std::size_t sof = bytes.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);
    // Height and width follow the length and the precision.
    for (std::size_t i : {sof + 5, sof + 6, sof + 7, sof + 8}) bytes[i] = char(0xFD);
    EXPECT_EQ(JpegError(bytes), "Imagem JPEG grande demais (65021x65021)");
}

// A small progressive file can make libjpeg hold every coefficient of a
// huge picture: a pixel cap refuses it at the header, and a memory budget
// refuses what the cap lets through but would still take hundreds of MB.
TEST(JpegCodec, SmallFilesClaimingHugeProgressivePicturesAreRefused)
{
    // Half a megabyte declaring 16384 x 16384 grey, 1.5 MB for three channels.
    EXPECT_EQ(JpegError(test::ProgressiveGreyJpeg(16384, 16384)), "Imagem JPEG grande demais (16384x16384)");
    EXPECT_EQ(JpegError(test::ProgressiveGreyJpeg(16384, 16384, 3)), "Imagem JPEG grande demais (16384x16384)");
    EXPECT_EQ(JpegError(test::ProgressiveGreyJpeg(8193, 8192)), "Imagem JPEG grande demais (8193x8192)");
    // Within the cap, three full-resolution channels would take 384 MB.
    EXPECT_EQ(JpegError(test::ProgressiveGreyJpeg(8192, 8192, 3)), "A imagem JPEG precisa de mais de 256 MB para ser decodificada");

    // A thousand scans are a lot, but a file may have them; one more is an attack.
    EXPECT_EQ(DecodeJpeg(test::ProgressiveJpegOfScans(1000)).pixel(7, 7), qRgb(128, 128, 128));
    EXPECT_EQ(JpegError(test::ProgressiveJpegOfScans(1001)), "O arquivo JPEG tem mais de 1000 varreduras");

    // The same kind of file at an ordinary size decodes.
    const QImage picture = DecodeJpeg(test::ProgressiveGreyJpeg(2048, 1536, 3));
    ASSERT_EQ(picture.size(), QSize(2048, 1536));
    EXPECT_EQ(picture.pixel(2047, 1535), qRgb(128, 128, 128));
}
