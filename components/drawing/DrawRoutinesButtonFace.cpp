#include "components/drawing/DrawRoutinesButtonFace.h"

#include "components/drawing/DrawRoutinesBorders.h"
#include "components/foundation/VELXPStyles.h"
#include "components/foundation/velclass.h"
#include "platform/graphics/Edges.h"
#include "platform/graphics/RectCalls.h"
#include "platform/graphics/SysColors.h"

namespace velvane {

namespace {

using S = TVELUserButtonStyle;

bool ThemesInUse() { return GlobalApplication && GlobalApplication->ThemesActive(); }

void Fill(TCanvas& canvas, const TRect& r, TColor color)
{
    canvas.Brush.Color = color;
    canvas.Brush.Style = TBrushStyle::bsSolid;
    canvas.FillRect(r);
}

// The application's checker pattern, laid from the canvas origin.
void FillChecked(TCanvas& canvas, const TRect& r, TColor color)
{
    TBitmap* pattern = GlobalApplication ? GlobalApplication->GetCheckerBitmap(color) : nullptr;
    if (!pattern) {
        Fill(canvas, r, color);
        return;
    }
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x) canvas.SetPixels(x, y, pattern->Canvas().Pixels(x & 7, y & 7));
}

// A one-pixel frame in the pen colour, nothing filled.
void Frame(TCanvas& canvas, const TRect& r, TColor color)
{
    canvas.Pen.Style = TPenStyle::psSolid;
    canvas.Pen.Color = color;
    canvas.Brush.Style = TBrushStyle::bsClear;
    canvas.Rectangle(r);
}

void ClearCorners(TCanvas& canvas, const TRect& r)
{
    canvas.SetPixels(r.Left, r.Top, clBtnFace);
    canvas.SetPixels(r.Left, r.Bottom - 1, clBtnFace);
    canvas.SetPixels(r.Right - 1, r.Top, clBtnFace);
    canvas.SetPixels(r.Right - 1, r.Bottom - 1, clBtnFace);
}

void Line(TCanvas& canvas, TColor color, std::initializer_list<TPoint> points)
{
    canvas.Pen.Style = TPenStyle::psSolid;
    canvas.Pen.Color = color;
    auto it = points.begin();
    canvas.MoveTo(it->X, it->Y);
    for (++it; it != points.end(); ++it) canvas.LineTo(it->X, it->Y);
}

int KindOf(S style, std::uint16_t flags)
{
    if (style == S::ubsDelphi) return 5;
    if (style == S::ubsWin40 && !(flags & bffWin40Kind2)) return 3;
    if (style >= S::ubsDelphiFlat && style <= S::ubsExplorerColored) return 4;
    return static_cast<int>(style);
}

// The frames' black, grey and white are the classic scheme's dark shadow,
// shadow and highlight, and are drawn as those: under a dark scheme a pressed
// face keeps to the scheme's shades instead of a grey ring.
void DrawKind(TCanvas& canvas, int kind, bool pressed, bool hot, TRect& r, TRect& content, TColor color,
              std::uint16_t flags, S style)
{
    const bool explorer = style == S::ubsExplorer || style == S::ubsExplorerColored;
    const bool outlined = style == S::ubsNavigator || style == S::ubsDelphiFlat;
    switch (kind) {
    case 1:
        DrawEdge(canvas, r, BDR_SUNKENOUTER, BF_LEFT | BF_TOP | BF_SOFT);
        DrawEdge(canvas, r, BDR_RAISEDOUTER, BF_RIGHT | BF_BOTTOM);
        if (flags & bffWin31Corners) ClearCorners(canvas, r);
        InflateRect(r, -1, -1);
        if (pressed) {
            DrawEdge(canvas, r, BDR_SUNKENINNER, BF_LEFT | BF_TOP);
        } else {
            DrawEdge(canvas, r, BDR_RAISEDINNER, BF_ADJUST | BF_RECT);
            DrawEdge(canvas, r, BDR_RAISEDINNER, BF_ADJUST | BF_RECT);
        }
        InflateRect(content, -1, -1);
        break;
    case 2:
        if (!pressed) DrawBorder(canvas, r, TVELBorderStyle::lsRaisedspb, BF_RECT);
        else if (flags & bffSunkenPress) DrawEdge(canvas, r, EDGE_SUNKEN, BF_RECT);
        else DrawBorder(canvas, r, TVELBorderStyle::lsLowered, BF_RECT);
        break;
    case 3:
        if (pressed) {
            Frame(canvas, r, cl3DDkShadow);
            InflateRect(r, -1, -1);
            Frame(canvas, r, clBtnShadow);
            InflateRect(r, 1, 1);
            canvas.Pen.Color = clBlack;
        } else if (flags & bffFocused) {
            DrawEdge(canvas, r, BDR_RAISEDOUTER, BF_ADJUST | BF_SOFT | BF_RECT);
            DrawEdge(canvas, r, BDR_RAISEDINNER, BF_ADJUST | BF_RIGHT | BF_BOTTOM);
        } else {
            DrawBorder(canvas, r, TVELBorderStyle::lsRaisedspb, BF_RECT);
        }
        break;
    case 4:
        if (outlined && (pressed || hot)) {
            canvas.Rectangle(r);
            InflateRect(r, -1, -1);
        }
        if (pressed) DrawEdge(canvas, r, BDR_SUNKENOUTER, BF_ADJUST | BF_RECT);
        else if (hot) DrawEdge(canvas, r, BDR_RAISEDINNER, BF_ADJUST | BF_RECT);
        else if (!explorer) Fill(canvas, r, color);
        break;
    case 5:
        Frame(canvas, r, cl3DDkShadow);
        if (pressed) {
            Line(canvas, clBtnShadow, {{r.Left + 1, r.Top + 1}, {r.Right - 1, r.Top + 1}});
            Line(canvas, clBtnShadow, {{r.Left + 1, r.Top + 1}, {r.Left + 1, r.Bottom - 1}});
        } else {
            InflateRect(r, -1, -1);
            DrawEdge(canvas, r, BDR_RAISEDINNER, BF_ADJUST | BF_RECT);
            InflateRect(r, 1, 1);
        }
        break;
    case 10:
        if (pressed) {
            Frame(canvas, r, clBtnShadow);
            break;
        }
        Frame(canvas, r, cl3DDkShadow);
        Line(canvas, clBtnFace, {{r.Right - 2, r.Top}, {r.Left, r.Top}, {r.Left, r.Bottom - 1}});
        canvas.Pen.Color = clBtnHighlight;
        canvas.Rectangle(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
        Line(canvas, clBtnShadow, {{r.Right - 2, r.Top + 1}, {r.Right - 2, r.Bottom - 2}, {r.Left, r.Bottom - 2}});
        break;
    default: break;
    }
}

} // namespace

bool DrawButtonFrame(TCanvas& canvas, bool hot, TRect& rect, TColor color, std::uint16_t flags, std::uint8_t state,
                     TVELUserButtonStyle style)
{
    // Every shell this runs under has the new-style controls.
    if (style == S::ubsAutoDetect) style = S::ubsWin40;
    const int kind = KindOf(style, flags);
    const bool explorer = style == S::ubsExplorer || style == S::ubsExplorerColored;

    bool pressed;
    if (state == bdsPressedChecked) {
        pressed = true;
        if (!explorer) {
            if (kind == 4 && hot) Fill(canvas, rect, color);
            else FillChecked(canvas, rect, color);
        }
    } else {
        pressed = state == bdsPressed || state == 6 || state == bdsPressedDisabled;
        if (!explorer) Fill(canvas, rect, color);
    }

    if (!pressed && (flags & (bffFocused | bffDarkFrame))) {
        DrawEdge(canvas, rect, BDR_SUNKENOUTER, BF_LEFT | BF_TOP | BF_SOFT | ((flags & bffMiddle) ? BF_MIDDLE : 0));
        DrawEdge(canvas, rect, BDR_RAISEDOUTER, BF_RIGHT | BF_BOTTOM);
        if (style == S::ubsWin31 && (flags & bffWin31Corners)) {
            ClearCorners(canvas, rect);
            flags &= static_cast<std::uint16_t>(~bffWin31Corners);
        }
        InflateRect(rect, -1, -1);
    }

    const TRect framed = rect;
    TRect content = rect;
    DrawKind(canvas, kind, pressed, hot, rect, content, color, flags, style);

    if (flags & bffFocused) {
        TRect focus = framed;
        InflateRect(focus, pressed ? -4 : -3, pressed ? -4 : -3);
        canvas.Brush = TBrush{clBlack, TBrushStyle::bsSolid};
        canvas.Pen = TPen{clGray, 1, TPenStyle::psSolid};
        canvas.DrawFocusRect(focus);
    }

    InflateRect(content, -3, -3);
    if (pressed) OffsetRect(content, 1, 1);
    rect = content;
    return true;
}

bool DrawButtonFace(HWND window, TCanvas& canvas, bool hot, TColor color, std::uint16_t flags, std::uint8_t state,
                    TVELUserButtonStyle style, TRect& rect)
{
    const bool themes = ThemesInUse();
    if (style == S::ubsAutoDetect && themes) style = S::ubsWinXP;
    if (!themes) {
        if (style == S::ubsWinXP) style = S::ubsWin40;
        else if (style == S::ubsWinXPCombo) style = S::ubsIntegrated;
        else if (style == S::ubsWinXPTool) style = S::ubsExplorerColored;
    }
    if (style != S::ubsWinXP && style != S::ubsWinXPCombo && style != S::ubsWinXPTool)
        return DrawButtonFrame(canvas, hot, rect, color, flags, state, style);

    int themeState = 1;
    if (state == 3 || state == 4 || state == 6 || state == 7) themeState = 3;
    else if (hot) themeState = 2;
    if (state == bdsDisabled || state == bdsPressedDisabled) themeState = 4;

    const char16_t* themeClass = u"BUTTON";
    int part = 1;
    if (style == S::ubsWinXP) {
        InflateRect(rect, 1, 1);
    } else if (style == S::ubsWinXPCombo) {
        themeClass = u"COMBOBOX";
    } else {
        themeClass = u"TOOLBAR";
        if (flags & bffSplit) part = (flags & bffSplitDropDown) ? 4 : 3;
    }

    const TVisualStylesTable& api = VisualStyles();
    auto open = reinterpret_cast<OpenThemeDataProc>(api.Entry(TVisualStylesEntry::OpenThemeData));
    auto draw = reinterpret_cast<DrawThemeBackgroundProc>(api.Entry(TVisualStylesEntry::DrawThemeBackground));
    auto close = reinterpret_cast<CloseThemeDataProc>(api.Entry(TVisualStylesEntry::CloseThemeData));
    HTHEME theme = open ? open(window, themeClass) : nullptr;
    struct Closer {
        CloseThemeDataProc close;
        HTHEME theme;
        ~Closer()
        {
            if (close && theme) close(theme);
        }
    } closer{close, theme};
    if (theme && draw) {
        const TRect clip = rect;
        draw(theme, &canvas, part, themeState, &rect, &clip);
    }
    InflateRect(rect, -3, -3);
    if (flags & bffFocused) {
        canvas.Brush.Style = TBrushStyle::bsSolid;
        canvas.DrawFocusRect(rect);
    }
    return true;
}

} // namespace velvane
