#include "platform/graphics/RasterOps.h"

#include "platform/graphics/SysColors.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <type_traits>
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

// Four pixels at a time: every operation is bitwise, so the same code serves
// one pixel (a QRgb) and four (a V4).
using V4 = std::uint32_t __attribute__((vector_size(16)));

V4 Splat(std::uint32_t v)
{
    return V4{v, v, v, v};
}

V4 Load(const QRgb* p)
{
    V4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

void Store(QRgb* p, V4 v)
{
    std::memcpy(p, &v, sizeof v);
}

// Every lane where a equals b.
V4 Equal(V4 a, V4 b)
{
    return reinterpret_cast<V4>(a == b);
}

std::uint32_t Equal(std::uint32_t a, std::uint32_t b)
{
    return a == b ? ~0u : 0u;
}

// How the target reads a source pixel: as it is, a monochrome one in the
// target's colours, a colour one against the source's background colour;
// NoSource for operations that read none.
struct AsIs {
    template <typename T>
    T operator()(T s) const
    {
        return s;
    }
};
struct MonoToColour {
    QRgb bk, fg;
    template <typename T>
    T operator()(T s) const
    {
        const T white = Equal(s & Rgb24, T{} | Rgb24);
        return (white & bk) | (~white & fg);
    }
};
// A monochrome picture on a target whose colours are white and black (the
// way masks are drawn): exact black and white, without the colour select.
struct BlackWhite {
    template <typename T>
    T operator()(T s) const
    {
        return Equal(s & Rgb24, T{} | Rgb24) | Black;
    }
};
struct ColourToMono {
    QRgb key;
    template <typename T>
    T operator()(T s) const
    {
        return Equal(s & Rgb24, T{} | key) | Black;
    }
};
struct NoSource {
    template <typename T>
    T operator()(T s) const
    {
        return s;
    }
};

// Where the target positions from..to-1 of block dStart (dLen long) read in
// block sStart (sLen long) of a source limit long: the source position under
// each target position's centre. from and to shrink to the run whose source
// lies inside 0..limit-1. Blocks of one size need no table.
class Axis {
public:
    Axis(int dStart, int dLen, int sStart, int sLen, int limit, int from, int to, std::vector<int>& table)
        : table_(table)
    {
        if (dLen == sLen) {
            shift_ = sStart - dStart;
            from_ = std::max(from, -shift_);
            to_ = std::min(to, limit - shift_);
            return;
        }
        same_ = false;
        table.clear();
        from_ = to;
        for (int t = from; t < to; ++t) {
            const auto v = sStart + static_cast<int>((2 * std::int64_t{t - dStart} + 1) * sLen / (2 * std::int64_t{dLen}));
            if (v < 0 || v >= limit) {
                if (!table.empty()) break;  // positions only grow: the run is over
                continue;
            }
            if (table.empty()) from_ = t;
            table.push_back(v);
        }
        to_ = from_ + static_cast<int>(table.size());
    }
    int From() const { return from_; }
    int To() const { return to_; }
    bool Same() const { return same_; }
    int operator()(int t) const { return same_ ? t + shift_ : table_[static_cast<std::size_t>(t - from_)]; }

private:
    std::vector<int>& table_;
    int from_ = 0, to_ = 0, shift_ = 0;
    bool same_ = true;
};

// Where a transfer reads one picture.
struct Source {
    const uchar* bits = nullptr;
    qsizetype stride = 0;
    std::vector<QRgb>* gathered = nullptr;  // the row's pixels when stretched
};

// One transfer: the visible target block (rows top..bottom-1, n pixels from
// left) and where each of its pixels reads.
struct Job {
    QRgb pattern = 0;
    int left = 0, n = 0, top = 0, bottom = 0;
    uchar* targetBits = nullptr;
    qsizetype targetStride = 0;
    const Axis* columns = nullptr;
    const Axis* rows = nullptr;
    Source source;
    Source mask;

    QRgb* Out(int y) const { return reinterpret_cast<QRgb*>(targetBits + y * targetStride) + left; }
    const QRgb* Row(const Source& from, int y) const
    {
        const auto* in = reinterpret_cast<const QRgb*>(from.bits + (*rows)(y) * from.stride);
        if (columns->Same()) return in + (*columns)(left);
        for (int i = 0; i < n; ++i) (*from.gathered)[static_cast<std::size_t>(i)] = in[(*columns)(left + i)];
        return from.gathered->data();
    }
    const QRgb* In(int y) const { return Row(source, y); }
    // Neither stretched nor cut: every row starts one stride further on.
    bool Straight() const { return !columns || (columns->Same() && rows->Same()); }
};

// Calls row(out, in, mask) for every row of the block, in and mask the
// pixels the row reads (mask only when the job has one).
template <typename Row>
void EachRow(const Job& job, bool withSource, bool withMask, Row row)
{
    if (job.Straight()) {
        // The common case: plain pointer steps, nothing looked up per row.
        auto* out = reinterpret_cast<uchar*>(job.Out(job.top));
        const uchar* in = withSource ? reinterpret_cast<const uchar*>(job.Row(job.source, job.top)) : nullptr;
        const uchar* mask = withMask ? reinterpret_cast<const uchar*>(job.Row(job.mask, job.top)) : nullptr;
        for (int y = job.top; y < job.bottom; ++y) {
            row(reinterpret_cast<QRgb*>(out), reinterpret_cast<const QRgb*>(in), reinterpret_cast<const QRgb*>(mask));
            out += job.targetStride;
            if (in) in += job.source.stride;
            if (mask) mask += job.mask.stride;
        }
        return;
    }
    for (int y = job.top; y < job.bottom; ++y)
        row(job.Out(y), withSource ? job.Row(job.source, y) : nullptr, withMask ? job.Row(job.mask, y) : nullptr);
}

// Calls f with the way target reads source.
template <typename F>
void WithReader(const TCanvas& source, const TCanvas& target, F f)
{
    if (source.Monochrome() && !target.Monochrome()) {
        const QRgb bk = ColorToQRgb(target.State.BkColor), fg = ColorToQRgb(target.State.TextColor);
        if (bk == White && fg == Black)
            f(BlackWhite{});
        else
            f(MonoToColour{bk, fg});
    } else if (!source.Monochrome() && target.Monochrome()) {
        f(ColourToMono{ColorToQRgb(source.State.BkColor) & Rgb24});
    } else {
        f(AsIs{});
    }
}

// The block's pixels combined, four at a time and then one by one: the loop
// is the whole block, so that each operation and way of reading gets a
// tight loop of its own.
template <typename Read, typename Op>
void Apply(const Job& job, Read read, Op op)
{
    const QRgb p = job.pattern;
    const V4 p4 = Splat(p), opaque4 = Splat(Opaque), none4 = Splat(Black);
    const int n = job.n;
    constexpr bool reads = !std::is_same_v<Read, NoSource>;
    EachRow(job, reads, false, [&](QRgb* out, const QRgb* in, const QRgb*) {
        int i = 0;
        if constexpr (reads) {
            for (; i + 4 <= n; i += 4) Store(out + i, op(p4, read(Load(in + i)), Load(out + i)) | opaque4);
            for (; i < n; ++i) out[i] = op(p, read(in[i]), out[i]) | Opaque;
        } else {
            for (; i + 4 <= n; i += 4) Store(out + i, op(p4, none4, Load(out + i)) | opaque4);
            for (; i < n; ++i) out[i] = op(p, Black, out[i]) | Opaque;
        }
    });
}

template <typename Read>
void Combine(const Job& job, unsigned code, Read read)
{
    switch (code) {
    case 0xCC: Apply(job, read, [](auto, auto s, auto) { return s; }); break;
    case 0x88: Apply(job, read, [](auto, auto s, auto d) { return s & d; }); break;
    case 0xEE: Apply(job, read, [](auto, auto s, auto d) { return s | d; }); break;
    case 0x66: Apply(job, read, [](auto, auto s, auto d) { return s ^ d; }); break;
    case 0x44: Apply(job, read, [](auto, auto s, auto d) { return s & ~d; }); break;
    case 0x33: Apply(job, read, [](auto, auto s, auto) { return ~s; }); break;
    case 0x11: Apply(job, read, [](auto, auto s, auto d) { return ~(s | d); }); break;
    case 0xC0: Apply(job, read, [](auto p, auto s, auto) { return p & s; }); break;
    case 0xBB: Apply(job, read, [](auto, auto s, auto d) { return ~s | d; }); break;
    case 0xE2: Apply(job, read, [](auto p, auto s, auto d) { return ((d ^ p) & s) ^ d; }); break;
    case 0xF0: Apply(job, read, [](auto p, auto, auto) { return p; }); break;
    case 0x5A: Apply(job, read, [](auto p, auto, auto d) { return p ^ d; }); break;
    case 0x55: Apply(job, read, [](auto, auto, auto d) { return ~d; }); break;
    case 0x00: Apply(job, read, [](auto, auto, auto d) { return d ^ d; }); break;
    case 0xFF: Apply(job, read, [](auto, auto, auto d) { return d | ~d; }); break;
    default:
        Apply(job, read, [code](auto p, auto s, auto d) {
            decltype(d) r = d;
            if constexpr (std::is_same_v<decltype(d), V4>)
                for (int k = 0; k < 4; ++k) r[k] = Ternary(code, p[k], s[k], d[k]);
            else
                r = Ternary(code, p, s, d);
            return r;
        });
        break;
    }
}

// The target ANDed with the mask and ORed with the image, both read at the
// same place: a blit of the mask with SRCAND and of the image with SRCPAINT
// in one pass.
template <typename ReadMask, typename ReadImage>
void ApplyMasked(const Job& job, ReadMask readMask, ReadImage readImage)
{
    const V4 opaque4 = Splat(Opaque);
    const int n = job.n;
    EachRow(job, true, true, [&](QRgb* out, const QRgb* image, const QRgb* mask) {
        int i = 0;
        for (; i + 4 <= n; i += 4)
            Store(out + i, (Load(out + i) & readMask(Load(mask + i))) | readImage(Load(image + i)) | opaque4);
        for (; i < n; ++i) out[i] = (out[i] & readMask(mask[i])) | readImage(image[i]) | Opaque;
    });
}

// Legacy vector instructions run slowly while the upper halves of the wide
// vector registers hold data that other code left there; clearing them first
// keeps the loops below at full speed.
__attribute__((target("avx"))) void ClearUpperVectorHalves()
{
    __builtin_ia32_vzeroupper();
}

void ReadyVectorUnit()
{
    static const bool wide = __builtin_cpu_supports("avx");
    if (wide) ClearUpperVectorHalves();
}

// Sets up the transfer of source block s (none: src null) to target block d
// and hands it to run(job, read), read telling how the target reads the
// source (monochrome and colour converted).
template <typename Run>
void Transfer(TCanvas& dest, const TRect& d, const TCanvas* src, const TRect& s, QRgb pattern, Run run)
{
    const TRect visible = dest.VisibleRect(d);
    if (visible.IsEmpty()) return;
    ReadyVectorUnit();
    QImage& target = dest.Image();
    Job job;
    job.pattern = pattern;
    job.targetBits = target.bits();
    job.targetStride = target.bytesPerLine();
    if (!src) {
        job.left = visible.Left;
        job.n = visible.Width();
        job.top = visible.Top;
        job.bottom = visible.Bottom;
        run(job, NoSource{});
        return;
    }
    if (src->Image().isNull()) return;
    // A block moved inside one picture reads the picture as it was.
    std::optional<QImage> copy;
    const QImage* source = &src->Image();
    if (source->constBits() == target.constBits()) source = &copy.emplace(source->copy());

    thread_local std::vector<int> columnTable, rowTable;
    thread_local std::vector<QRgb> gathered;
    const Axis columns(d.Left, d.Width(), s.Left, s.Width(), source->width(), visible.Left, visible.Right, columnTable);
    const Axis rows(d.Top, d.Height(), s.Top, s.Height(), source->height(), visible.Top, visible.Bottom, rowTable);
    job.left = columns.From();
    job.n = columns.To() - job.left;
    job.top = rows.From();
    job.bottom = rows.To();
    if (job.n <= 0 || job.top >= job.bottom) return;
    job.columns = &columns;
    job.rows = &rows;
    if (!columns.Same()) gathered.resize(static_cast<std::size_t>(job.n));
    job.source = Source{source->constBits(), source->bytesPerLine(), &gathered};

    WithReader(*src, dest, [&](auto read) { run(job, read); });
}

bool Blit(HDC destDc, const TRect& d, HDC srcDc, const TRect& s, std::uint32_t rop)
{
    TCanvas* dest = TCanvas::FromHandle(destDc);
    if (!dest) return false;
    const unsigned code = (rop >> 16) & 0xFF;
    const TCanvas* src = nullptr;
    if (UsesSource(code)) {
        src = TCanvas::FromHandle(srcDc);
        if (!src) return false;
    }
    QRgb pattern = ColorToQRgb(dest->Brush.Color);
    if (dest->Monochrome()) pattern = qRed(pattern) + qGreen(pattern) + qBlue(pattern) >= 384 ? White : Black;
    Transfer(*dest, d, src, s, pattern, [code](Job& job, auto read) { Combine(job, code, read); });
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

bool BlitThroughMask(HDC dest, const TRect& d, HDC image, HDC mask, const TRect& s)
{
    TCanvas* target = TCanvas::FromHandle(dest);
    const TCanvas* picture = TCanvas::FromHandle(image);
    const TCanvas* bits = TCanvas::FromHandle(mask);
    if (!target || !picture || !bits || d.IsEmpty() || s.IsEmpty()) return false;
    auto inside = [&s](const QImage& i) { return s.Left >= 0 && s.Top >= 0 && s.Right <= i.width() && s.Bottom <= i.height(); };
    const uchar* targetBits = target->Image().constBits();
    if (!inside(picture->Image()) || !inside(bits->Image()) || picture->Image().constBits() == targetBits ||
        bits->Image().constBits() == targetBits) {
        // Where the two blits would not cover the same pixels: one after the other.
        return StretchBlt(dest, d.Left, d.Top, d.Width(), d.Height(), mask, s.Left, s.Top, s.Width(), s.Height(),
                          SRCAND) &&
               StretchBlt(dest, d.Left, d.Top, d.Width(), d.Height(), image, s.Left, s.Top, s.Width(), s.Height(),
                          SRCPAINT);
    }
    Transfer(*target, d, picture, s, 0, [&](Job& job, auto readImage) {
        thread_local std::vector<QRgb> gathered;
        if (!job.columns->Same()) gathered.resize(static_cast<std::size_t>(job.n));
        job.mask = Source{bits->Image().constBits(), bits->Image().bytesPerLine(), &gathered};
        WithReader(*bits, *target, [&](auto readMask) { ApplyMasked(job, readMask, readImage); });
    });
    return true;
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

namespace {

// The context's colour in field, replaced by color when color is given;
// CLR_INVALID for a handle that is not a canvas.
COLORREF ContextColour(HDC dc, COLORREF TDeviceState::*field, std::optional<COLORREF> color = std::nullopt)
{
    TCanvas* canvas = TCanvas::FromHandle(dc);
    if (!canvas) return CLR_INVALID;
    const COLORREF old = canvas->State.*field;
    if (color) canvas->State.*field = *color;
    return old;
}

} // namespace

COLORREF SetBkColor(HDC dc, COLORREF color) { return ContextColour(dc, &TDeviceState::BkColor, color); }
COLORREF GetBkColor(HDC dc) { return ContextColour(dc, &TDeviceState::BkColor); }
COLORREF SetTextColor(HDC dc, COLORREF color) { return ContextColour(dc, &TDeviceState::TextColor, color); }
COLORREF GetTextColor(HDC dc) { return ContextColour(dc, &TDeviceState::TextColor); }

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
    Transfer(*this, dest, &bitmap.Canvas(), source, ColorToQRgb(Brush.Color), [key](Job& job, auto read) {
        Apply(job, read, [key](auto brush, auto s, auto) {
            const auto match = Equal(s & Rgb24, decltype(s){} | key);
            return (match & brush) | (~match & s);
        });
    });
}

} // namespace velvane
