#include "components/drawing/DrawRoutinesCaption.h"

#include "components/drawing/DrawRoutinesBitmaps.h"
#include "components/drawing/DrawRoutinesBorders.h"
#include "components/foundation/velprocs.h"
#include "platform/graphics/DrawText.h"
#include "platform/graphics/Fonts.h"
#include "platform/graphics/RectCalls.h"
#include "platform/graphics/Region.h"
#include "platform/graphics/SysColors.h"
#include "platform/win/Bitmaps.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace velvane {

namespace {

using TD = TVELThreeDStyle;

// 0: a plain 3D caption; 1: a rotating one at angle 0; 2: a turned one.
int RotationKind(TVEL3DCaption* caption, TVELFxCaption*& fx)
{
    fx = dynamic_cast<TVELFxCaption*>(caption);
    if (!fx) return 0;
    return fx->Angle() == 0 ? 1 : 2;
}

int EffectDepth(const TVEL3DCaption& caption)
{
    switch (caption.Style()) {
    case TD::tdNone: return 0;
    case TD::tdSunken:
    case TD::tdRaised: return caption.LightDepth();
    case TD::tdSunkenShadow:
    case TD::tdRaisedShadow:
    case TD::tdPColorSunken:
    case TD::tdPColorRaised: return caption.LightDepth() + caption.ShadowDepth();
    default: return caption.ShadowDepth();
    }
}

// How far inside its bounds a turned caption's effect starts.
int HalfDepth(const TVEL3DCaption& caption)
{
    int d = 0;
    switch (caption.Style()) {
    case TD::tdSunken:
    case TD::tdRaised: d = caption.LightDepth() / 2 - 1; break;
    case TD::tdSunkenShadow:
    case TD::tdRaisedShadow:
    case TD::tdPColorSunken:
    case TD::tdPColorRaised: d = (caption.LightDepth() + caption.ShadowDepth()) / 2 - 1; break;
    case TD::tdShadow:
    case TD::tdExtrude:
    case TD::tdExtrudeEnh: d = caption.ShadowDepth() / 2 - 1; break;
    default: break;
    }
    return std::max(d, 0);
}

int Round(double v) { return static_cast<int>(std::nearbyint(v)); }

// A position inside the caption's 16 bits; one left of the start stays at
// the start instead of wrapping round to the far end.
std::uint16_t Position(int v) { return static_cast<std::uint16_t>(std::clamp(v, 0, 65535)); }

} // namespace

TColor BlendColor(TColor a, TColor b, int step, int steps)
{
    a = ColorToRGB(a);
    b = ColorToRGB(b);
    if (steps == 0) return a & 0xFFFFFF;
    TColor result = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int ca = static_cast<int>((a >> shift) & 0xFF), cb = static_cast<int>((b >> shift) & 0xFF);
        const auto c = static_cast<int>(std::trunc(static_cast<double>(step) * (cb - ca) / steps + ca));
        result |= static_cast<TColor>(c & 0xFF) << shift;
    }
    return result;
}

bool IsTrueTypeFont(const TFont& font) { return (GetTextMetrics(font).tmPitchAndFamily & TMPF_TRUETYPE) != 0; }

void AlignRectInRect(TVELAlignment alignment, const TRect& inner, const TRect& outer, TRect& result)
{
    const int w = inner.Width(), h = inner.Height();
    const int row = static_cast<int>(alignment) / 3, column = static_cast<int>(alignment) % 3;
    const int dy = row == 0 ? 0 : row == 1 ? (outer.Height() - h) / 2 : outer.Height() - h;
    const int dx = column == 0 ? 0 : column == 1 ? (outer.Width() - w) / 2 : outer.Width() - w;
    result = Bounds(outer.Left + dx, outer.Top + dy, w, h);
}

void DrawCaptionText(TCanvas& canvas, const String& text, TVEL3DCaption* caption, const TRect* clip, unsigned flags,
                     unsigned format, const TRect& rect)
{
    if (text.empty() || rect.IsEmpty()) return;
    if (!caption) {
        TRect r = rect;
        DrawTextExA(canvas, text, r, format);
        return;
    }
    TVELFxCaption* fx = nullptr;
    const int kind = RotationKind(caption, fx);
    // The clipping goes again and the spacing is reset however drawing ends.
    struct Restore {
        TCanvas& canvas;
        HRGN region = nullptr;
        bool traced = false;
        ~Restore()
        {
            if (region && DeleteObject(region)) SelectClipRgn(canvas.Handle(), nullptr);
            if (traced) SetTextCharacterExtra(canvas, 0);
        }
    } restore{canvas};
    if (flags & cfClip) {
        restore.region = CreateRectRgnIndirect(clip ? *clip : rect);
        SelectClipRgn(canvas.Handle(), restore.region);
    }

    TD style = caption->Style();
    TColor main;
    if ((flags & cfEnabled) || caption->DisabledStyle() == TVELDisabledStyle::dsNone) {
        main = (style == TD::tdPColorSunken || style == TD::tdPColorRaised) ? canvas.Brush.Color : canvas.Font.Color;
    } else {
        main = clGrayText;
        const TVELDisabledStyle ds = caption->DisabledStyle();
        if ((ds == TVELDisabledStyle::dsAuto && (flags & cfDisabledSunken)) || ds == TVELDisabledStyle::ds3d)
            style = TD::tdSunken;
    }

    if (kind == 2) {
        LOGFONTA lf = GetLogFont(canvas.Font);
        lf.lfEscapement = fx->Angle() * 10;
        SetLogFont(canvas.Font, lf);
    }
    TRect work = rect;
    if (kind != 0) {
        work.Left += fx->PosX();
        work.Top += fx->PosY();
    }
    restore.traced = caption->Tracing() != 0;
    if (restore.traced) SetTextCharacterExtra(canvas, caption->Tracing());

    const int l = caption->LightDepth(), s = caption->ShadowDepth(), d = caption->ShadowDepth();
    const TColor lc = caption->LightColor(), sc = caption->ShadowColor();
    int stepX = 0, stepY = 0;
    if (style == TD::tdExtrude || style == TD::tdExtrudeEnh) {
        switch (caption->Orientation()) {
        case TVELThreeDOrientation::toBottomLeft: OffsetRect(work, 0, d + 1), stepX = 1, stepY = -1; break;
        case TVELThreeDOrientation::toBottomRight: OffsetRect(work, d + 1, d + 1), stepX = -1, stepY = -1; break;
        case TVELThreeDOrientation::toTopLeft: stepX = 1, stepY = 1; break;
        case TVELThreeDOrientation::toTopRight: OffsetRect(work, d + 1, 0), stepX = -1, stepY = 1; break;
        }
    }

    canvas.Brush.Style = TBrushStyle::bsClear;
    auto pass = [&](int dx, int dy, TColor color) {
        canvas.Font.Color = color;
        OffsetRect(work, dx, dy);
        if (kind == 2) {
            ExtTextOutA(canvas, work.Left, work.Top, 0, nullptr, text.data(), static_cast<int>(text.size()));
            return;
        }
        TRect r = work;
        DrawTextExA(canvas, text, r, format);
    };
    switch (style) {
    case TD::tdNone: pass(0, 0, main); break;
    case TD::tdSunken:
        work.Right -= l;
        pass(l, l, lc);
        pass(-l, -l, main);
        break;
    case TD::tdRaised:
        work.Right -= l;
        pass(0, 0, lc);
        pass(l, l, main);
        break;
    case TD::tdSunkenShadow:
    case TD::tdPColorSunken:
        work.Right -= l + s;
        pass(0, 0, sc);
        pass(l + s, l + s, lc);
        pass(-l, -l, main);
        break;
    case TD::tdRaisedShadow:
    case TD::tdPColorRaised:
        work.Right -= l + s;
        pass(l + s, l + s, sc);
        pass(-(l + s), -(l + s), lc);
        pass(l, l, main);
        break;
    case TD::tdShadow:
        work.Right -= s;
        pass(s, s, sc);
        pass(-s, -s, main);
        break;
    case TD::tdOutline:
        canvas.Pen.Style = TPenStyle::psSolid;
        BeginPath(canvas);
        pass(s / 2, s / 2, main);
        EndPath(canvas);
        canvas.Pen.Color = main;
        canvas.Pen.Width = s;
        StrokePath(canvas);
        break;
    case TD::tdExtrude:
        for (int i = 0; i < d; ++i) pass(stepX, stepY, sc);
        pass(0, 0, main);
        break;
    case TD::tdExtrudeEnh:
        for (int i = 0; i < d; ++i) pass(stepX, stepY, BlendColor(sc, lc, d - i - 1, d));
        pass(0, 0, main);
        break;
    }
}

void MeasureCaptionText(const String& text, TVEL3DCaption* caption, TRect& rect, unsigned format, int extraMargin,
                        bool showAccelerator, bool multiLine, const TFont& font)
{
    TVELFxCaption* fx = nullptr;
    const int kind = RotationKind(caption, fx);
    QImage screen(1, 1, QImage::Format_RGB32);
    TCanvas canvas(screen);
    canvas.Font = font;
    if (caption && caption->Tracing() != 0) SetTextCharacterExtra(canvas, caption->Tracing());

    if (kind == 2) {
        const int w = canvas.TextWidth(text), h = canvas.TextHeight(text);
        const int depth = EffectDepth(*caption);
        rect = RotatedRectBounds(TRect{0, 0, w + depth, h + depth}, fx->Angle());
        const double a = fx->Angle() * std::numbers::pi / 180;
        const int cx = rect.Left + rect.Width() / 2, cy = rect.Top + rect.Height() / 2;
        const int e = w / 2, f = h / 2, d = HalfDepth(*caption);
        fx->SetPosition(0, Position(Round(cx - std::cos(a) * e - std::sin(a) * f) - d));
        fx->SetPosition(1, Position(Round(e * std::sin(a) + cy - f * std::cos(a)) - d));
    } else {
        if (kind == 1) fx->SetPos(0, 0);
        format |= DT_CALCRECT | DT_EXPANDTABS;
        if (multiLine) format |= DT_WORDBREAK;
        if (!showAccelerator) format |= DT_NOPREFIX;
        const bool blank = text.empty() || (showAccelerator && text == "&");
        DrawTextExA(canvas, blank ? String(" ") : text, rect, format);
        if (caption) {
            const int depth = EffectDepth(*caption);
            rect.Right += depth;
            rect.Bottom += depth;
        }
    }
    rect.Right += (extraMargin + 1) * 2;
    rect.Bottom += (extraMargin + 1) * 2;
}

void LayoutGlyphText(TCanvas& canvas, const String& text, TVEL3DCaption* caption, TVELLayoutResult& result,
                     unsigned format, unsigned flags, bool masked, bool showAccelerator, bool multiLine,
                     const TVELGlyphTextLayout& layout, TColor transparentColor, TBitmap* mask,
                     TRect& glyphSource, TCanvas* glyphCanvas, const TRect& bounds)
{
    if (flags & cfMeasureOnly) flags |= cfFocusBoth;
    result = TVELLayoutResult{};
    TRect textRect, glyph;
    TRect focus = bounds;
    const bool hasGlyph = glyphCanvas && !glyphSource.IsEmpty();
    const bool hasText = !text.empty();
    const int spacing = hasText == hasGlyph ? layout.Spacing() : 0;

    if (hasText) {
        textRect = TRect{0, 0, std::abs(bounds.Width()), 0};
        MeasureCaptionText(text, caption, textRect, format, 0, showAccelerator, multiLine, canvas.Font);
    }
    glyph = TRect{0, 0, glyphSource.Width(), glyphSource.Height()};

    const auto* buttonLayout = dynamic_cast<const TVELButtonLayout*>(&layout);
    const bool arrow = buttonLayout && buttonLayout->Arrow();
    const TVELArrowPosition arrowAt = arrow ? buttonLayout->ArrowPosition() : TVELArrowPosition::apRightText;
    const int arrowSize = arrow ? buttonLayout->ArrowSize() : 0;
    const int arrowWidth = arrowSize * 2 - 1;
    const int indent = arrow ? buttonLayout->ArrowIndent() : 0;
    const bool arrowAtGlyph = arrowAt == TVELArrowPosition::apRightGlyph || arrowAt == TVELArrowPosition::apLeftGlyph;
    if (arrow) (arrowAtGlyph ? glyph : textRect).Right += arrowWidth + indent;

    const int tw = textRect.Width(), th = textRect.Height(), gw = glyph.Width(), gh = glyph.Height();
    const TVELTextArrange arrange = layout.AlignText2Glyph();
    const bool sideBySide = arrange <= TVELTextArrange::taRightTop;
    int ct = 0, cg = 0;
    TRect block;
    if (sideBySide) {
        const int m = std::max(th, gh);
        (th < gh ? ct : cg) = (m - std::min(th, gh)) / 2;
        block = TRect{0, 0, tw + spacing + gw, m};
    } else {
        const int m = std::max(tw, gw);
        (tw < gw ? ct : cg) = (m - std::min(tw, gw)) / 2;
        block = TRect{0, 0, m, th + spacing + gh};
    }
    auto move = [](TRect& r, int dx, int dy) { OffsetRect(r, dx, dy); };
    switch (arrange) {
    case TVELTextArrange::taLeft: move(textRect, 0, ct), move(glyph, tw + spacing, cg); break;
    case TVELTextArrange::taLeftTop: move(textRect, 0, ct), move(glyph, tw + spacing, 0); break;
    case TVELTextArrange::taRight: move(textRect, gw + spacing, ct), move(glyph, 0, cg); break;
    case TVELTextArrange::taRightTop: move(textRect, gw + spacing, ct), move(glyph, 0, 1); break;
    case TVELTextArrange::taTop: move(textRect, ct, 0), move(glyph, cg, th + spacing); break;
    case TVELTextArrange::taTopLeft: move(textRect, ct, 0), move(glyph, 0, th + spacing); break;
    case TVELTextArrange::taBottom: move(textRect, ct, gh + spacing), move(glyph, cg, 0); break;
    case TVELTextArrange::taBottomLeft: move(textRect, ct, gh + spacing), move(glyph, 0, 0); break;
    }

    if (flags & cfTopLeft) {
        AlignRectInRect(TVELAlignment::agTopLeft, block, bounds, block);
    } else {
        AlignRectInRect(layout.Alignment(), block, bounds, block);
        move(textRect, block.Left + 1, block.Top + 1);
        move(glyph, block.Left, block.Top);
    }
    if (arrow && arrowAt == TVELArrowPosition::apLeftText) move(textRect, indent + arrowWidth, 0);

    canvas.Brush.Style = TBrushStyle::bsClear;
    format |= DT_EXPANDTABS;
    if (multiLine) format |= DT_WORDBREAK | AlignmentFormat(layout.Alignment());
    move(textRect, layout.OffsetX(), layout.OffsetY());
    move(glyph, layout.OffsetX(), layout.OffsetY());
    if (flags & cfCutText) {
        textRect.Right = std::min(textRect.Right, bounds.Right);
        textRect.Bottom = std::min(textRect.Bottom, bounds.Bottom);
    }

    const bool draw = !(flags & cfMeasureOnly);
    if (draw) DrawCaptionText(canvas, text, caption, nullptr, flags, format, textRect);
    result.Text = textRect;
    if (flags & cfFocusText) {
        focus = textRect;
        InflateRect(focus, 1, 1);
    }

    const auto drawArrow = [&](int x, const TRect& item) {
        if (draw)
            DrawArrow(canvas, x, item.Top + item.Height() / 2 - arrowSize / 2, arrowSize, buttonLayout->ArrowColor(),
                      true, (flags & cfEnabled) != 0);
    };
    if (arrow) {
        if (arrowAt == TVELArrowPosition::apLeftText) drawArrow(textRect.Left - indent - arrowWidth, textRect);
        if (arrowAt == TVELArrowPosition::apRightText)
            drawArrow(multiLine ? textRect.Right - arrowSize - 1 : textRect.Right - arrowWidth - 1, textRect);
        if (arrowAt == TVELArrowPosition::apLeftGlyph) move(glyph, indent + arrowWidth, 0);
    }

    if (hasGlyph && draw) {
        const int how = !masked ? 0 : mask ? dfMasked : dfTransparent;
        TRect drawn;
        BltImage(canvas, glyph, glyphCanvas, drawn, how == dfMasked ? mask : nullptr, nullptr, transparentColor, how,
                 glyphSource);
    }
    if (flags & cfFocusGlyph) focus = glyph;

    result.Glyph = glyph;
    UnionRect(result.Bounds, glyph, textRect);
    if (flags & cfFocusBoth) {
        focus = result.Bounds;
        InflateRect(focus, 1, 1);
    }
    if (arrow && arrowAt == TVELArrowPosition::apRightGlyph) drawArrow(glyph.Right - arrowWidth, glyph);
    if (arrow && arrowAt == TVELArrowPosition::apLeftGlyph) drawArrow(glyph.Left - indent - arrowWidth, glyph);

    if (!(flags & (cfFocusText | cfFocusGlyph | cfFocusBoth))) {
        focus = bounds;
        InflateRect(focus, -1, -1);
    }
    if (flags & cfMeasureOnly) InflateRect(focus, 1, 1);
    glyphSource = focus;
}

} // namespace velvane
