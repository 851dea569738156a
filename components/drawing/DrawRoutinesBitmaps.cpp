#include "components/drawing/DrawRoutinesBitmaps.h"

#include "components/foundation/velclass.h"
#include "components/foundation/velprocs.h"
#include "platform/graphics/RasterOps.h"
#include "platform/graphics/Region.h"
#include "platform/graphics/SysColors.h"
#include "platform/win/Bitmaps.h"

#include <cmath>

namespace velvane {

namespace {

// Puts a device context's monochrome colours back when a draw ends, however
// it ends.
class ColoursKept {
public:
    ColoursKept(HDC dc, COLORREF bk, COLORREF text)
        : dc_(dc), bk_(SetBkColor(dc, bk)), text_(SetTextColor(dc, text))
    {
    }
    ~ColoursKept()
    {
        SetBkColor(dc_, bk_);
        SetTextColor(dc_, text_);
    }
    ColoursKept(const ColoursKept&) = delete;
    ColoursKept& operator=(const ColoursKept&) = delete;

private:
    HDC dc_;
    COLORREF bk_;
    COLORREF text_;
};

int RoundHalfEven(double v)
{
    return static_cast<int>(std::nearbyint(v));
}

} // namespace

void BltImage(TCanvas& target, const TRect& targetRect, TCanvas* source, TRect& drawn, TBitmap* maskOrBitmap,
              HPALETTE, TColor color, int flags, const TRect& sourceRect)
{
    drawn = TRect{};
    if (targetRect.IsEmpty()) return;
    const bool brushCopy = (flags & dfBrushCopy) != 0;
    if (brushCopy ? !maskOrBitmap : !source) return;
    const int w = sourceRect.Width(), h = sourceRect.Height();
    const int tw = targetRect.Width(), th = targetRect.Height();

    enum { Plain, Centred, Stretched, Tiled } mode = Plain;
    TRect placed = Bounds(targetRect.Left, targetRect.Top, w, h);
    if (flags & dfCenter) {
        placed = Bounds(targetRect.Left + (tw - w) / 2, targetRect.Top + (th - h) / 2, w, h);
        mode = Centred;
    }
    if (flags & dfStretch) {
        // Nothing to scale from.
        if (w <= 0 || h <= 0) return;
        SetStretchBltMode(target.Handle(), COLORONCOLOR);
        int pw = tw, ph = th;
        if ((flags & dfProportional) == dfProportional) {
            const TRect fit = ProportionalRect(Rect(0, 0, w, h), Rect(0, 0, tw, th));
            pw = fit.Width();
            ph = fit.Height();
        } else if (flags & dfFullWidth) {
            ph = RoundHalfEven(static_cast<double>(tw) / w * h);
        } else if (flags & dfFullHeight) {
            pw = RoundHalfEven(static_cast<double>(th) / h * w);
        }
        placed = Bounds(targetRect.Left, targetRect.Top, pw, ph);
        mode = Stretched;
    }
    int columns = 0, rows = 0;
    if (flags & dfTile) {
        mode = Tiled;
        if (w > 0 && h > 0) {
            columns = tw / w + 1;
            rows = th / h + 1;
        }
    }
    drawn = mode == Tiled || placed.IsEmpty() ? targetRect : placed;

    auto each = [&](auto&& draw) {
        if (mode != Tiled) {
            draw(placed);
            return;
        }
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < columns; ++c) draw(Bounds(targetRect.Left + c * w, targetRect.Top + r * h, w, h));
    };

    if (brushCopy) {
        target.Brush.Color = color;
        const TColor transparent = maskOrBitmap->TransparentColor();
        each([&](const TRect& to) { target.BrushCopy(to, *maskOrBitmap, sourceRect, transparent); });
    } else if ((flags & dfMasked) && maskOrBitmap) {
        // Black mask pixels clear the target for the image, white ones keep it:
        // the mask ANDed and the image ORed, in one pass.
        ColoursKept colours(target.Handle(), clWhite, clBlack);
        const TRect from = Bounds(sourceRect.Left, sourceRect.Top, w, h);
        each([&](const TRect& to) {
            BlitThroughMask(target.Handle(), to, source->Handle(), maskOrBitmap->Canvas().Handle(), from);
        });
    } else if (flags & dfTransparent) {
        TBitmap mask, image;
        SplitMaskedCanvas(*source, sourceRect, &mask, &image, color);
        ColoursKept colours(target.Handle(), clWhite, clBlack);
        const TRect from = Rect(0, 0, w, h);
        each([&](const TRect& to) {
            BlitThroughMask(target.Handle(), to, image.Canvas().Handle(), mask.Canvas().Handle(), from);
        });
    } else {
        each([&](const TRect& to) { target.CopyRect(to, *source, sourceRect); });
    }
}

void BltImageClipped(TCanvas& target, const TRect& targetRect, TCanvas* source, TBitmap* maskOrBitmap,
                     TColor color, std::uint32_t clipOffset, int flags, const TRect& sourceRect)
{
    TRect drawn;
    if (!(flags & dfClip)) {
        BltImage(target, targetRect, source, drawn, maskOrBitmap, nullptr, color, flags, sourceRect);
        return;
    }
    const int dx = static_cast<std::int16_t>(clipOffset & 0xFFFF);
    const int dy = static_cast<std::int16_t>(clipOffset >> 16);
    HRGN region = clipOffset != 0 ? CreateRectRgn(targetRect.Left + dx, targetRect.Top + dy,
                                                  targetRect.Right + dx, targetRect.Bottom + dy)
                                  : CreateRectRgnIndirect(targetRect);
    HDC dc = target.Handle();
    SelectClipRgn(dc, region);
    struct Unclip {
        HDC dc;
        HRGN region;
        ~Unclip()
        {
            if (DeleteObject(region)) SelectClipRgn(dc, nullptr);
        }
    } unclip{dc, region};
    BltImage(target, targetRect, source, drawn, maskOrBitmap, nullptr, color, flags, sourceRect);
}

namespace {

// Realises the bitmap's palette on the target when asked to and the display
// is deep enough, or the application allows it; true when it did.
bool RealizeBitmapPalette(TCanvas& target, const TBitmap& bitmap, int flags)
{
    if (!(flags & dfRealizePalette)) return false;
    const bool paletteOption = GlobalApplication && (GlobalApplication->Options & 1) != 0;
    if (paletteOption && ScreenColorDepth() < 9) return false;
    SelectPalette(target.Handle(), bitmap.Palette(), false);
    RealizePalette(target.Handle());
    return true;
}

} // namespace

void DrawBitmap(TCanvas& target, const TRect& targetRect, TBitmap* bitmap, TColor color, std::uint32_t clipOffset,
                int flags)
{
    // A bitmap's canvas is its device context and always exists here.
    if (!bitmap) return;
    RealizeBitmapPalette(target, *bitmap, flags);
    const TRect whole = Rect(0, 0, bitmap->Width(), bitmap->Height());
    if (flags & dfBrushCopy)
        BltImageClipped(target, targetRect, nullptr, bitmap, color, clipOffset, flags, whole);
    else
        BltImageClipped(target, targetRect, &bitmap->Canvas(), nullptr, color, clipOffset, flags, whole);
}

void DrawBitmapRect(TCanvas& target, const TRect& targetRect, TBitmap* bitmap, TRect& drawn, TColor color,
                    int flags)
{
    drawn = TRect{};
    if (!bitmap) return;
    const bool realized = RealizeBitmapPalette(target, *bitmap, flags);
    const TRect whole = Rect(0, 0, bitmap->Width(), bitmap->Height());
    if (flags & dfBrushCopy)
        BltImage(target, targetRect, nullptr, drawn, bitmap, nullptr, color, flags, whole);
    else
        BltImage(target, targetRect, &bitmap->Canvas(), drawn, nullptr, realized ? bitmap->Palette() : nullptr,
                 color, flags, whole);
}

void FillBitmap(TBitmap* bitmap, const TRect& rect, TColor color)
{
    if (!bitmap || rect.IsEmpty()) return;
    bitmap->SetSize(rect.Width(), rect.Height());
    TCanvas& canvas = bitmap->Canvas();
    canvas.Brush.Color = color;
    canvas.Brush.Style = TBrushStyle::bsSolid;
    canvas.FillRect(Rect(0, 0, rect.Width(), rect.Height()));
}

void SplitMaskedCanvas(TCanvas& canvas, const TRect& rect, TBitmap* mask, TBitmap* image, TColor color)
{
    if (!mask || !image) return;
    const TColor key = ColorToRGB(color);
    const int w = std::max(rect.Width(), 0), h = std::max(rect.Height(), 0);
    for (TBitmap* copy : {image, mask}) {
        copy->SetMonochrome(false);
        copy->SetSize(w, h);
        BitBlt(copy->Canvas().Handle(), 0, 0, w, h, canvas.Handle(), rect.Left, rect.Top, SRCCOPY);
    }
    mask->Mask(key);
    // The mask reads white as black and black as white here, so the AND
    // blackens the transparent pixels and keeps the others.
    ColoursKept colours(image->Canvas().Handle(), clBlack, clWhite);
    BitBlt(image->Canvas().Handle(), 0, 0, w, h, mask->Canvas().Handle(), 0, 0, SRCAND);
}

void SplitMaskedBitmap(TBitmap& bitmap, TBitmap* mask, TBitmap* image, TColor color)
{
    SplitMaskedCanvas(bitmap.Canvas(), Rect(0, 0, bitmap.Width(), bitmap.Height()), mask, image, color);
}

void MakeDisabledBitmap(TBitmap& target, const TBitmap& source)
{
    target.Assign(source);
    QImage& image = target.Image();
    if (image.isNull()) return;
    const QRgb background = image.pixel(0, 0) & 0xFFFFFFu;
    auto brightness = [](QRgb p) { return qRed(p) + qGreen(p) + qBlue(p); };
    double sum = 0;
    long count = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((row[x] & 0xFFFFFFu) == background) continue;
            sum += brightness(row[x]);
            ++count;
        }
    }
    const int offset = count > 0 ? -RoundHalfEven(200 - sum / static_cast<double>(count)) : 0;
    const QRgb white = ColorToQRgb(clWhite), light = ColorToQRgb(clBtnHighlight);
    const QRgb shadow = ColorToQRgb(clBtnShadow), black = ColorToQRgb(clBlack);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((row[x] & 0xFFFFFFu) == background) continue;
            const int s = brightness(row[x]);
            row[x] = s > offset + 550 ? white : s > offset + 250 ? light : s > offset + 50 ? shadow : black;
        }
    }
}

void MakeEmbossedBitmap(TBitmap& target, const TBitmap& source, int x, int y)
{
    TBitmap mono;
    mono.Assign(source);
    mono.Canvas().Brush.Color = clBlack;
    mono.SetMonochrome(true);

    TCanvas& canvas = target.Canvas();
    canvas.Brush.Color = source.TransparentColor();
    canvas.FillRect(Rect(0, 0, target.Width(), target.Height()));
    // 0xE20746 paints the brush where the copy is white (the black pixels of
    // the source) and keeps the target elsewhere.
    constexpr std::uint32_t BrushWhereWhite = 0x00E20746;
    ColoursKept colours(canvas.Handle(), clWhite, clBlack);
    canvas.Brush.Color = clBtnHighlight;
    BitBlt(canvas.Handle(), x + 1, y + 1, mono.Width(), mono.Height(), mono.Canvas().Handle(), 0, 0, BrushWhereWhite);
    canvas.Brush.Color = clBtnShadow;
    BitBlt(canvas.Handle(), x, y, mono.Width(), mono.Height(), mono.Canvas().Handle(), 0, 0, BrushWhereWhite);
}

} // namespace velvane
