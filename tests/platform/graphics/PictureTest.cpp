#include "platform/graphics/Graphics.h"

#include "platform/graphics/BmpCodec.h"
#include "platform/graphics/JpegCodec.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Streams.h"
#include "tests/platform/graphics/BmpTestFiles.h"
#include "tests/support/Raises.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TempEnv.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

using namespace velvane;
using velvane::test::MessageOf;

namespace {

QImage Pattern(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image.setPixel(x, y, qRgb(x * 4 & 0xFF, y * 4 & 0xFF, (x ^ y) & 0xFF));
    return image;
}

void MakeBitmap(TBitmap& b, int w, int h)
{
    b.SetSize(w, h);
    b.Image() = Pattern(w, h);
}

} // namespace

TEST(Picture, BitmapFilesAndStreams)
{
    test::TempEnv env;
    TBitmap b;
    MakeBitmap(b, 5, 3);
    b.SetPixelFormat(TPixelFormat::pf8bit);  // recorded only: the file is 24-bit
    b.SaveToFile(env.Path("a.bmp"));
    EXPECT_EQ(ReadFileBytes(env.Path("a.bmp")), EncodeBmp(b.Image()));

    TBitmap back;
    back.LoadFromFile(env.Path("a.bmp"));
    EXPECT_EQ(back.Image(), b.Image());
    EXPECT_EQ(back.PixelFormat(), TPixelFormat::pf24bit);

    // Streams are read from where they stand, to their end.
    TMemoryStream stream;
    stream.WriteBuffer("xyz", 3);
    b.SaveToStream(stream);
    stream.SetPosition(3);
    TBitmap fromStream;
    fromStream.LoadFromStream(stream);
    EXPECT_EQ(fromStream.Image(), b.Image());

    // The file's depth shows in PixelFormat.
    test::BmpFile mono;
    mono.bits = 1;
    mono.width = 1;
    mono.height = 1;
    mono.palette = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
    mono.rows = {std::string("\x80", 1)};
    AtomicWriteFile(env.Path("mono.bmp"), mono.Bytes());
    back.LoadFromFile(env.Path("mono.bmp"));
    EXPECT_EQ(back.PixelFormat(), TPixelFormat::pf1bit);
    EXPECT_EQ(back.Canvas().Pixels(0, 0), clWhite);
}

TEST(Picture, FailedLoadsNameTheFileAndKeepThePicture)
{
    test::TempEnv env;
    TBitmap b;
    MakeBitmap(b, 4, 4);
    const QImage before = b.Image();

    const std::string missing = env.Path("missing.bmp");
    EXPECT_NE(MessageOf<EFOpenError>([&] { b.LoadFromFile(missing); }).find(missing), std::string::npos);
    AtomicWriteFile(env.Path("bad.bmp"), "BM not really");
    EXPECT_THROW(b.LoadFromFile(env.Path("bad.bmp")), EInvalidGraphic);
    EXPECT_EQ(b.Image(), before);

    TJPEGImage j;
    TMemoryStream nothing;
    EXPECT_THROW(j.LoadFromStream(nothing), EJPEG);
    EXPECT_TRUE(j.Empty());
}

TEST(Picture, FailedSavesLeaveTheOldFileWhole)
{
    test::TempEnv env;
    const std::string path = env.Path("wallpaper.bmp");
    TBitmap old;
    MakeBitmap(old, 3, 3);
    old.SaveToFile(path);
    const std::string oldBytes = ReadFileBytes(path);

    TBitmap empty;
    EXPECT_THROW(empty.SaveToFile(path), EInvalidGraphic);
    EXPECT_EQ(ReadFileBytes(path), oldBytes);

    // A write that fails half way (the file size limit) leaves the old file.
    TBitmap big;
    MakeBitmap(big, 200, 200);
    bool raised = false;
    try {
        test::FileSizeLimit limit(4096);
        big.SaveToFile(path);
    } catch (const EStreamError&) {
        raised = true;
    }
    EXPECT_TRUE(raised);
    EXPECT_EQ(ReadFileBytes(path), oldBytes);
}

TEST(Picture, JpegLoadsAtOnceAndAssignsToABitmap)
{
    test::TempEnv env;
    TJPEGImage source;
    TBitmap pattern;
    MakeBitmap(pattern, 33, 17);
    source.Assign(pattern);
    EXPECT_EQ(source.Image(), pattern.Image());
    source.SaveToFile(env.Path("p.jpg"));

    TJPEGImage jpeg;
    jpeg.LoadFromFile(env.Path("p.jpg"));
    EXPECT_EQ(jpeg.Width(), 33);
    EXPECT_EQ(jpeg.Height(), 17);
    EXPECT_EQ(jpeg.Image(), DecodeJpeg(ReadFileBytes(env.Path("p.jpg"))));

    TBitmap shown;
    shown.Assign(jpeg);
    EXPECT_EQ(shown.Width(), 33);
    EXPECT_EQ(shown.Height(), 17);
    EXPECT_EQ(shown.Image(), jpeg.Image());
    EXPECT_EQ(shown.PixelFormat(), TPixelFormat::pf24bit);
    // The bitmap's pixels are its own afterwards.
    shown.Canvas().SetPixels(0, 0, clFuchsia);
    EXPECT_NE(jpeg.Image().pixel(0, 0), shown.Image().pixel(0, 0));

    // Damage is found at load, and the old picture stays.
    const std::string whole = ReadFileBytes(env.Path("p.jpg"));
    AtomicWriteFile(env.Path("cut.jpg"), whole.substr(0, whole.size() / 2));
    EXPECT_THROW(jpeg.LoadFromFile(env.Path("cut.jpg")), EJPEG);
    EXPECT_EQ(jpeg.Width(), 33);
}

TEST(Picture, ChoosesTheGraphicByExtension)
{
    test::TempEnv env;
    TBitmap b;
    MakeBitmap(b, 6, 2);
    b.SaveToFile(env.Path("one.BMP"));
    TJPEGImage j;
    j.Assign(b);
    j.SaveToFile(env.Path("two.jpeg"));
    j.SaveToFile(env.Path("three.JPG"));

    TPicture p;
    EXPECT_EQ(p.Graphic(), nullptr);
    EXPECT_EQ(p.Width(), 0);
    p.LoadFromFile(env.Path("one.BMP"));
    EXPECT_NE(dynamic_cast<TBitmap*>(p.Graphic()), nullptr);
    EXPECT_EQ(p.Width(), 6);
    EXPECT_EQ(p.Height(), 2);
    p.LoadFromFile(env.Path("two.jpeg"));
    EXPECT_NE(dynamic_cast<TJPEGImage*>(p.Graphic()), nullptr);
    p.LoadFromFile(env.Path("three.JPG"));
    EXPECT_NE(dynamic_cast<TJPEGImage*>(p.Graphic()), nullptr);

    // A JPEG named .bmp is read as a bitmap, and fails as one.
    j.SaveToFile(env.Path("liar.bmp"));
    EXPECT_THROW(p.LoadFromFile(env.Path("liar.bmp")), EInvalidGraphic);
    EXPECT_NE(dynamic_cast<TJPEGImage*>(p.Graphic()), nullptr);

    EXPECT_EQ(MessageOf<EInvalidGraphic>([&] { p.LoadFromFile(env.Path("x.png")); }),
              "Extensão de arquivo de imagem desconhecida (.png)");
    EXPECT_EQ(MessageOf<EInvalidGraphic>([&] { p.LoadFromFile(env.Path("noext")); }),
              "Extensão de arquivo de imagem desconhecida (.)");
    EXPECT_EQ(p.Width(), 6);

    // Assign copies into a graphic of the source's class.
    p.Assign(b);
    ASSERT_NE(dynamic_cast<TBitmap*>(p.Graphic()), nullptr);
    EXPECT_NE(p.Graphic(), &b);
    EXPECT_EQ(dynamic_cast<TBitmap*>(p.Graphic())->Image(), b.Image());
    p.Clear();
    EXPECT_THROW(p.SaveToFile(env.Path("none.bmp")), EInvalidGraphic);
}
