#include "platform/graphics/RasterOps.h"

#include "platform/graphics/SysColors.h"

#include <cstring>
#include <vector>

namespace velvane {

namespace {

constexpr QRgb Opaque = 0xFF000000u;
constexpr QRgb Rgb24 = 0x00FFFFFFu;
constexpr QRgb White = 0xFFFFFFFFu;
constexpr QRgb Black = 0xFF000000u;

bool UsesSource(unsigned code)
{
    return (((code >> 2) ^ code) & 0x33) != 0;
}

// The operation by its truth table, for the codes without a loop of their own.
std::uint32_t Ternary(unsigned code, std::uint32_t p, std::uint32_t s, std::uint32_t d)
{
    std::uint32_t result = 0;
    for (unsigned i = 0; i < 8; ++i)
        if ((code >> i) & 1) result |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
    return result;
}

template <typename Op>
void Combine(QRgb* out, const QRgb* in, int n, QRgb p, Op op)
{
    if (in)
        for (int i = 0; i < n; ++i) out[i] = op(p, in[i], out[i]) | Opaque;
    else
        for (int i = 0; i < n; ++i) out[i] = op(p, Black, out[i]) | Opaque;
}

void CombineRow(unsigned code, QRgb* out, const QRgb* in, int n, QRgb p)
{
    using U = std::uint32_t;
    switch (code) {
    case 0xCC: std::memcpy(out, in, sizeof(QRgb) * static_cast<std::size_t>(n)); break;
    case 0x88: Combine(out, in, n, p, [](U, U s, U d) { return s & d; }); break;
    case 0xEE: Combine(out, in, n, p, [](U, U s, U d) { return s | d; }); break;
    case 0x66: Combine(out, in, n, p, [](U, U s, U d) { return s ^ d; }); break;
    case 0x44: Combine(out, in, n, p, [](U, U s, U d) { return s & ~d; }); break;
    case 0x33: Combine(out, in, n, p, [](U, U s, U) { return ~s; }); break;
    case 0x11: Combine(out, in, n, p, [](U, U s, U d) { return ~(s | d); }); break;
    case 0xC0: Combine(out, in, n, p, [](U p, U s, U) { return p & s; }); break;
    case 0xBB: Combine(out, in, n, p, [](U, U s, U d) { return ~s | d; }); break;
    case 0xE2: Combine(out, in, n, p, [](U p, U s, U d) { return ((d ^ p) & s) ^ d; }); break;
    case 0xF0: Combine(out, in, n, p, [](U p, U, U) { return p; }); break;
    case 0x5A: Combine(out, in, n, p, [](U p, U, U d) { return p ^ d; }); break;
    case 0x55: Combine(out, in, n, p, [](U, U, U d) { return ~d; }); break;
    case 0x00: Combine(out, in, n, p, [](U, U, U) { return 0u; }); break;
    case 0xFF: Combine(out, in, n, p, [](U, U, U) { return ~0u; }); break;
    default: Combine(out, in, n, p, [code](U p, U s, U d) { return Ternary(code, p, s, d); }); break;
    }
}

// The source position under the centre of each target position from..to-1
// (target block at dStart, dLen long; source block at sStart, sLen long),
// cut to the run whose source lies inside 0..limit-1; from and to become
// that run.
void MapAxis(int dStart, int dLen, int sStart, int sLen, int limit, int& from, int& to, std::vector<int>& map)
{
    map.clear();
    int first = to;
    for (int t = from; t < to; ++t) {
        const auto v = sStart + static_cast<int>((2 * std::int64_t{t - dStart} + 1) * sLen / (2 * std::int64_t{dLen}));
        if (v < 0 || v >= limit) {
            if (!map.empty()) break;  // positions only grow: the run is over
            continue;
        }
        if (map.empty()) first = t;
        map.push_back(v);
    }
    from = first;
    to = first + static_cast<int>(map.size());
}

// Runs row(out, in, n) over the visible part of target block d, in holding
// the source pixels of block s under each target pixel, as the target reads
// them (monochrome and colour converted).
template <typename Row>
void Transfer(TCanvas& dest, const TRect& d, const TCanvas& src, const TRect& s, Row row)
{
    const TRect visible = dest.VisibleRect(d);
    QImage& target = dest.Image();
    if (visible.IsEmpty() || src.Image().isNull()) return;
    // A block moved inside one picture reads the picture as it was.
    QImage copy;
    const QImage* source = &src.Image();
    if (source->constBits() == target.constBits()) {
        copy = source->copy();
        source = &copy;
    }

    thread_local std::vector<int> columns, rows;
    thread_local std::vector<QRgb> buffer;
    int left = visible.Left, right = visible.Right, top = visible.Top, bottom = visible.Bottom;
    MapAxis(d.Left, d.Width(), s.Left, s.Width(), source->width(), left, right, columns);
    MapAxis(d.Top, d.Height(), s.Top, s.Height(), source->height(), top, bottom, rows);
    const int n = right - left;
    if (n <= 0 || top >= bottom) return;

    const bool toColour = src.Monochrome() && !dest.Monochrome();
    const bool toMono = !src.Monochrome() && dest.Monochrome();
    const bool direct = !toColour && !toMono && columns.back() - columns.front() == n - 1;
    const QRgb bk = ColorToQRgb(dest.State.BkColor), fg = ColorToQRgb(dest.State.TextColor);
    const QRgb key = ColorToQRgb(src.State.BkColor) & Rgb24;
    if (!direct) buffer.resize(static_cast<std::size_t>(n));

    for (int y = top; y < bottom; ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(source->constScanLine(rows[static_cast<std::size_t>(y - top)]));
        auto* out = reinterpret_cast<QRgb*>(target.scanLine(y)) + left;
        if (direct) {
            row(out, in + columns.front(), n);
            continue;
        }
        for (int i = 0; i < n; ++i) {
            QRgb v = in[columns[static_cast<std::size_t>(i)]];
            if (toColour)
                v = (v & Rgb24) == Rgb24 ? bk : fg;
            else if (toMono)
                v = (v & Rgb24) == key ? White : Black;
            buffer[static_cast<std::size_t>(i)] = v;
        }
        row(out, buffer.data(), n);
    }
}

bool Blit(HDC destDc, const TRect& d, HDC srcDc, const TRect& s, std::uint32_t rop)
{
    TCanvas* dest = TCanvas::FromHandle(destDc);
    if (!dest) return false;
    const unsigned code = (rop >> 16) & 0xFF;
    QRgb pattern = ColorToQRgb(dest->Brush.Color);
    if (dest->Monochrome()) pattern = qRed(pattern) + qGreen(pattern) + qBlue(pattern) >= 384 ? White : Black;
    auto row = [code, pattern](QRgb* out, const QRgb* in, int n) { CombineRow(code, out, in, n, pattern); };
    if (UsesSource(code)) {
        const TCanvas* src = TCanvas::FromHandle(srcDc);
        if (!src) return false;
        Transfer(*dest, d, *src, s, row);
        return true;
    }
    const TRect visible = dest->VisibleRect(d);
    for (int y = visible.Top; y < visible.Bottom; ++y)
        row(reinterpret_cast<QRgb*>(dest->Image().scanLine(y)) + visible.Left, nullptr, visible.Width());
    return true;
}

} // namespace

bool BitBlt(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, std::uint32_t rop)
{
    if (!dest) return false;
    if (w <= 0 || h <= 0) return true;
    return Blit(dest, Bounds(x, y, w, h), src, Bounds(sx, sy, w, h), rop);
}

bool StretchBlt(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, std::uint32_t rop)
{
    if (!dest || w <= 0 || h <= 0 || sw <= 0 || sh <= 0) return false;
    return Blit(dest, Bounds(x, y, w, h), src, Bounds(sx, sy, sw, sh), rop);
}

int SetStretchBltMode(HDC dc, int mode)
{
    TCanvas* canvas = TCanvas::FromHandle(dc);
    if (!canvas || mode < BLACKONWHITE || mode > HALFTONE) return 0;
    const int old = canvas->State.StretchMode;
    canvas->State.StretchMode = mode;
    return old;
}

int GetStretchBltMode(HDC dc)
{
    const TCanvas* canvas = TCanvas::FromHandle(dc);
    return canvas ? canvas->State.StretchMode : 0;
}

COLORREF SetBkColor(HDC dc, COLORREF color)
{
    TCanvas* canvas = TCanvas::FromHandle(dc);
    if (!canvas) return CLR_INVALID;
    const COLORREF old = canvas->State.BkColor;
    canvas->State.BkColor = color;
    return old;
}

COLORREF GetBkColor(HDC dc)
{
    const TCanvas* canvas = TCanvas::FromHandle(dc);
    return canvas ? canvas->State.BkColor : CLR_INVALID;
}

COLORREF SetTextColor(HDC dc, COLORREF color)
{
    TCanvas* canvas = TCanvas::FromHandle(dc);
    if (!canvas) return CLR_INVALID;
    const COLORREF old = canvas->State.TextColor;
    canvas->State.TextColor = color;
    return old;
}

COLORREF GetTextColor(HDC dc)
{
    const TCanvas* canvas = TCanvas::FromHandle(dc);
    return canvas ? canvas->State.TextColor : CLR_INVALID;
}

HPALETTE SelectPalette(HDC dc, HPALETTE palette, bool)
{
    static int defaultPalette;
    TCanvas* canvas = TCanvas::FromHandle(dc);
    if (!canvas) return nullptr;
    HPALETTE old = canvas->State.Palette ? canvas->State.Palette : reinterpret_cast<HPALETTE>(&defaultPalette);
    canvas->State.Palette = palette;
    return old;
}

unsigned RealizePalette(HDC)
{
    return 0;
}

int GetDeviceCaps(HDC, int index)
{
    switch (index) {
    case BITSPIXEL: return 24;
    case PLANES: return 1;
    case NUMCOLORS: return -1;
    case RASTERCAPS: return RC_BITBLT | RC_STRETCHBLT;
    default: return 0;
    }
}

void TCanvas::CopyRect(const TRect& dest, TCanvas& canvas, const TRect& source)
{
    StretchBlt(Handle(), dest.Left, dest.Top, dest.Width(), dest.Height(), canvas.Handle(), source.Left, source.Top,
               source.Width(), source.Height(), CopyMode);
}

void TCanvas::BrushCopy(const TRect& dest, const TBitmap& bitmap, const TRect& source, TColor color)
{
    if (dest.IsEmpty() || source.IsEmpty()) return;
    const QRgb key = ColorToQRgb(color) & Rgb24;
    const QRgb brush = ColorToQRgb(Brush.Color);
    Transfer(*this, dest, bitmap.Canvas(), source, [key, brush](QRgb* out, const QRgb* in, int n) {
        for (int i = 0; i < n; ++i) out[i] = (in[i] & Rgb24) == key ? brush : in[i];
    });
}

} // namespace velvane
