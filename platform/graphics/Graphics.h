#pragma once
// Pictures and drawing: TBitmap and TJPEGImage over a QImage (RGB32), the
// TPicture that holds either, and a TCanvas drawing on a bitmap with GDI's
// rules (rectangles exclude their right and bottom edges). A canvas is also
// the device context of the drawing calls (RasterOps.h, Region.h).

#include "platform/graphics/Rect.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Types.h"

#include <QImage>

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

class QPainterPath;

namespace velvane {

class TStream;

// 0x00BBGGRR, as GDI lays a colour out.
using TColor = std::uint32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clNavy = 0x800000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
// Not a colour: "whatever the object would choose" (a bitmap's own
// transparent colour, for one).
constexpr TColor clDefault = 0x20000000;

// Pixel of an RGB32 image and back. A system colour (SysColors.h) is
// resolved; otherwise the top byte of a TColor is ignored.
QRgb ColorToQRgb(TColor color);
TColor QRgbToColor(QRgb rgb);

enum class TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };

class TGraphic {
public:
    TGraphic() = default;
    virtual ~TGraphic() = default;
    TGraphic(const TGraphic&) = delete;
    TGraphic& operator=(const TGraphic&) = delete;

    virtual int Width() const = 0;
    virtual int Height() const = 0;
    bool Empty() const { return Width() <= 0 || Height() <= 0; }

    // Raises EFOpenError naming the file, or the format's error; on any
    // error the graphic keeps what it held.
    void LoadFromFile(const String& path);
    // Written whole to a temporary name and renamed over the old file.
    void SaveToFile(const String& path) const;
    // From the stream's position to its end.
    void LoadFromStream(TStream& stream);
    void SaveToStream(TStream& stream) const;

    // Takes the other graphic's picture: its size and pixels.
    virtual void Assign(const TGraphic& source) = 0;
    // The picture as it would be shown.
    virtual QImage ToImage() const = 0;
    // An empty graphic of the same class.
    virtual std::unique_ptr<TGraphic> NewEmpty() const = 0;

protected:
    virtual void LoadFromBytes(std::string_view bytes) = 0;
    virtual String SaveToBytes() const = 0;
    // The file's bytes handed to write piece by piece; all at once unless a
    // graphic can do better.
    virtual void WriteBytes(const TByteSink& write) const { write(SaveToBytes()); }
};

class TBitmap;

struct HDC__;
using HDC = HDC__*;
struct HPALETTE__;
using HPALETTE = HPALETTE__*;

// The raster operations CopyRect blits with (RasterOps.h has their rule).
using TCopyMode = std::uint32_t;
constexpr TCopyMode cmBlackness = 0x00000042;
constexpr TCopyMode cmDstInvert = 0x00550009;
constexpr TCopyMode cmMergeCopy = 0x00C000CA;
constexpr TCopyMode cmMergePaint = 0x00BB0226;
constexpr TCopyMode cmNotSrcCopy = 0x00330008;
constexpr TCopyMode cmNotSrcErase = 0x001100A6;
constexpr TCopyMode cmPatCopy = 0x00F00021;
constexpr TCopyMode cmPatInvert = 0x005A0049;
constexpr TCopyMode cmPatPaint = 0x00FB0A09;
constexpr TCopyMode cmSrcAnd = 0x008800C6;
constexpr TCopyMode cmSrcCopy = 0x00CC0020;
constexpr TCopyMode cmSrcErase = 0x00440328;
constexpr TCopyMode cmSrcInvert = 0x00660046;
constexpr TCopyMode cmSrcPaint = 0x00EE0086;
constexpr TCopyMode cmWhiteness = 0x00FF0062;

// What a device context keeps besides the canvas's tools: the colours a
// monochrome picture gives and takes, the stretch mode, the palette and the
// clipping rectangle (Clipped: drawing stays inside Clip).
struct TDeviceState {
    TColor BkColor = clWhite;
    TColor TextColor = clBlack;
    int StretchMode = 1;
    HPALETTE Palette = nullptr;
    bool Clipped = false;
    TRect Clip;
};

enum class TBrushStyle { bsSolid, bsClear };

struct TBrush {
    TColor Color = clWhite;
    TBrushStyle Style = TBrushStyle::bsSolid;
};

enum class TPenStyle { psSolid, psClear };

struct TPen {
    TColor Color = clBlack;
    int Width = 1;
    TPenStyle Style = TPenStyle::psSolid;
};

// Bits of TFont::Style.
using TFontStyles = std::uint8_t;
constexpr TFontStyles fsBold = 1;
constexpr TFontStyles fsItalic = 2;
constexpr TFontStyles fsUnderline = 4;
constexpr TFontStyles fsStrikeOut = 8;

enum class TFontPitch : std::uint8_t { fpDefault, fpVariable, fpFixed };

struct TFont {
    String Name = "DejaVu Sans";
    int Size = 8;  // points, at 96 pixels per inch
    TColor Color = clBlack;
    TFontStyles Style = 0;
    // Direction of the text's base line in tenths of a degree, counter-clockwise.
    int Orientation = 0;
    // Kept as stored forms give them; the face decides what is drawn.
    std::uint8_t Charset = 1;  // DEFAULT_CHARSET
    TFontPitch Pitch = TFontPitch::fpDefault;
};

class TCanvas {
public:
    // bitmap: the bitmap drawn on, which says whether it is monochrome.
    explicit TCanvas(QImage& image, const TBitmap* bitmap = nullptr) : image_(&image), bitmap_(bitmap) {}

    TBrush Brush;
    TFont Font;
    TCopyMode CopyMode = cmSrcCopy;
    TDeviceState State;

    // Drawing through a handle may change the canvas, whoever holds it.
    HDC Handle() const { return reinterpret_cast<HDC>(const_cast<TCanvas*>(this)); }
    static TCanvas* FromHandle(HDC dc) { return reinterpret_cast<TCanvas*>(dc); }
    // Drawing on a monochrome bitmap: every pixel black or white.
    bool Monochrome() const;
    // The part of rect that drawing may touch: inside the picture and the clip.
    TRect VisibleRect(const TRect& rect) const;

    // Copies source of canvas into dest with CopyMode, stretched to fit
    // (RasterOps.h). Nothing for an empty rectangle on either side.
    void CopyRect(const TRect& dest, TCanvas& canvas, const TRect& source);
    // Copies source of bitmap into dest, stretched to fit, with the pixels of
    // color replaced by the brush colour.
    void BrushCopy(const TRect& dest, const TBitmap& bitmap, const TRect& source, TColor color);

    // Outside the picture: reads give 0xFFFFFFFF, writes are dropped.
    TColor Pixels(int x, int y) const;
    void SetPixels(int x, int y, TColor color);

    // Copies the graphic's pixels with its top left corner at (x, y).
    void Draw(int x, int y, const TGraphic& graphic);
    // [Left, Right) x [Top, Bottom) in Brush.Color; nothing when inverted.
    void FillRect(const TRect& rect);
    // Text with its cell's top left at (x, y); the cell is first filled
    // with the brush unless Brush.Style is bsClear.
    void TextOut(int x, int y, const String& text);
    int TextWidth(const String& text) const;
    int TextHeight(const String& text) const;

    // Lines, shapes and frames (CanvasShapes.cpp). The pen draws one pixel
    // wide lines that leave out their end point; shapes fill with the brush
    // unless it is bsClear.
    TPen Pen;
    TPoint PenPos;
    void MoveTo(int x, int y) { PenPos = TPoint{x, y}; }
    void LineTo(int x, int y);
    // Outline on [Left, Right - 1] x [Top, Bottom - 1], inside filled.
    void Rectangle(const TRect& rect);
    void Rectangle(int left, int top, int right, int bottom) { Rectangle(TRect{left, top, right, bottom}); }
    // A one-pixel border of the rectangle in the brush colour.
    void FrameRect(const TRect& rect);
    // Every other pixel of the border inverted; drawing it twice removes it.
    void DrawFocusRect(const TRect& rect);
    void Polygon(std::span<const TPoint> points);
    void Polyline(std::span<const TPoint> points);

    // Extra pixels after each character of text (SetTextCharacterExtra).
    int CharacterExtra = 0;
    // Set between BeginPath and EndPath: text is recorded here instead of drawn.
    std::shared_ptr<QPainterPath> Path;
    bool PathOpen = false;

    QImage& Image() const { return *image_; }

private:
    QImage* image_;
    const TBitmap* bitmap_;
};

class TBitmap : public TGraphic {
public:
    TBitmap();
    ~TBitmap() override;

    // A bitmap of no pixels may still have one side: a strip of no cells
    // keeps its height.
    int Width() const override { return image_.isNull() ? emptySize_.width() : image_.width(); }
    int Height() const override { return image_.isNull() ? emptySize_.height() : image_.height(); }
    // New area is filled with the canvas brush; what overlaps is kept.
    // Raises EInvalidGraphic for negative or oversized dimensions.
    void SetSize(int width, int height);
    void SetWidth(int width) { SetSize(width, Height()); }
    void SetHeight(int height) { SetSize(Width(), height); }

    // Recorded only: the pixels stay RGB32 and files are written 24-bit.
    TPixelFormat PixelFormat() const { return pixelFormat_; }
    void SetPixelFormat(TPixelFormat format) { pixelFormat_ = format; }

    // A monochrome bitmap (pf1bit) holds black and white pixels only.
    bool Monochrome() const { return pixelFormat_ == TPixelFormat::pf1bit; }
    // Turning monochrome, pixels of the canvas's brush colour (the
    // background colour of its device context) become white and all others
    // black; turning back keeps the pixels.
    void SetMonochrome(bool value);
    // Becomes a monochrome mask of color: its pixels white, the others black.
    void Mask(TColor color);
    // The colour set, or with clDefault (at first) the colour of the
    // bottom-left pixel; white for an empty bitmap.
    TColor TransparentColor() const;
    void SetTransparentColor(TColor color) { transparentColor_ = color; }
    // Pictures here are true colour: there is no palette to realise.
    HPALETTE Palette() const { return nullptr; }

    QImage& Image() { return image_; }
    const QImage& Image() const { return image_; }
    TCanvas& Canvas() { return *canvas_; }
    const TCanvas& Canvas() const { return *canvas_; }

    void Assign(const TGraphic& source) override;
    QImage ToImage() const override { return image_; }
    std::unique_ptr<TGraphic> NewEmpty() const override { return std::make_unique<TBitmap>(); }

    // A JPEG or .bmp file's bytes decoded into the memory the bitmap holds,
    // which is used again while nothing shares it and the size stays: a
    // program changing pictures of one size touches no fresh memory. Raise as
    // loading does; unlike loading, a file damaged past its header may leave
    // part of its picture behind.
    void DecodeJpegInPlace(std::string_view bytes);
    void DecodeBmpInPlace(std::string_view bytes);

    // There is no device bitmap apart from the pixels here, so both keep the
    // picture as it is; they exist for callers that release handles.
    void Dormant() {}
    void FreeImage() {}

protected:
    // Reads a .bmp; PixelFormat follows the file's depth.
    void LoadFromBytes(std::string_view bytes) override;
    // A 24-bit .bmp.
    String SaveToBytes() const override;
    void WriteBytes(const TByteSink& write) const override;

private:
    QImage image_;
    QSize emptySize_{0, 0};  // the size while image_ holds no pixels
    TPixelFormat pixelFormat_ = TPixelFormat::pfDevice;
    TColor transparentColor_ = clDefault;
    std::unique_ptr<TCanvas> canvas_;
};

class TJPEGImage : public TGraphic {
public:
    int Width() const override { return image_.width(); }
    int Height() const override { return image_.height(); }
    const QImage& Image() const { return image_; }

    int CompressionQuality() const { return quality_; }
    void SetCompressionQuality(int quality) { quality_ = quality; }

    void Assign(const TGraphic& source) override;
    QImage ToImage() const override { return image_; }
    std::unique_ptr<TGraphic> NewEmpty() const override { return std::make_unique<TJPEGImage>(); }

protected:
    // Decoded at once, so a damaged file fails here (EJPEG).
    void LoadFromBytes(std::string_view bytes) override;
    String SaveToBytes() const override;

private:
    QImage image_;
    int quality_ = 90;
};

class TPicture {
public:
    TPicture();
    ~TPicture();
    TPicture(const TPicture&) = delete;
    TPicture& operator=(const TPicture&) = delete;

    // Null while empty.
    TGraphic* Graphic() const { return graphic_.get(); }
    void SetGraphic(std::unique_ptr<TGraphic> graphic) { graphic_ = std::move(graphic); }
    // A copy, in a graphic of the source's class.
    void Assign(const TGraphic& source);
    void Clear() { graphic_.reset(); }

    int Width() const { return graphic_ ? graphic_->Width() : 0; }
    int Height() const { return graphic_ ? graphic_->Height() : 0; }

    // .jpg/.jpeg make a TJPEGImage and .bmp a TBitmap (in any case); other
    // extensions raise EInvalidGraphic. The old graphic stays on error.
    void LoadFromFile(const String& path);
    // Raises EInvalidGraphic when empty.
    void SaveToFile(const String& path) const;

private:
    std::unique_ptr<TGraphic> graphic_;
};

} // namespace velvane
