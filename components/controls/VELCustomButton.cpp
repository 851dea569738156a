#include "components/controls/VELCustomButton.h"

#include "components/drawing/DrawRoutinesButtonFace.h"
#include "components/foundation/velclass.h"
#include "platform/classes/Filer.h"
#include "platform/forms/TabOrder.h"
#include "platform/graphics/SysColors.h"

#include <QToolTip>

#include <algorithm>

namespace velvane {

namespace {

bool FilledLook(TVELUserButtonStyle style)
{
    using S = TVELUserButtonStyle;
    return style == S::ubsExplorer || style == S::ubsExplorerColored || style == S::ubsWinXP ||
           style == S::ubsWinXPCombo || style == S::ubsWinXPTool;
}

// The pool takes periods in whole steps of its tick: a period between steps
// is taken up to the next one rather than refused on every press.
int PoolPeriod(int milliseconds)
{
    const int step = GlobalApplication->TimerPool()->MinInterval();
    const int steps = std::max((milliseconds + step - 1) / step, 1);
    return std::min(steps * step, 65535 / step * step);
}

} // namespace

TVELCustomButton::TVELCustomButton(TComponent* owner, QWidget* parent)
    : TButton(owner, parent),
      glyphData_([this]() -> const TBitmap& { return glyph_.Bitmap(); }, [this](const TBitmap& b) { SetGlyph(&b); }),
      fontProperties_(font_, [this] { PartChanged(&font_); }),
      hints_(new THintSwitch(this))
{
    glyph_.OnChange = [this] { PartChanged(&glyph_); };
    layout_.OnChange = [this](TPersistent*) { PartChanged(&layout_); };
    fontFX_.OnChange = [this](TPersistent*) { PartChanged(&fontFX_); };
    link_.OnChange = [this](TPersistent*) { UpdateListGlyph(); };
    // The caption in the scheme's text colour for faces, so that it reads on
    // a dark face as on a light one.
    font_.Color = clBtnText;
    SetOwnerDraw(true);
    SetBounds(Left(), Top(), 75, 25);
}

TVELCustomButton::~TVELCustomButton()
{
    StopRepeat();
    glyph_.OnChange = nullptr;
    layout_.OnChange = nullptr;
    fontFX_.OnChange = nullptr;
    link_.OnChange = nullptr;
    SetImageList(nullptr);
}

void TVELCustomButton::SetFont(const TFont& value)
{
    font_ = value;
    PartChanged(&font_);
}

void TVELCustomButton::SetGlyph(const TBitmap* value)
{
    if (!Loading() && imageList_) SetImageList(nullptr);
    glyph_.SetBitmap(value);
    Invalidate();
}

void TVELCustomButton::SetNumGlyphs(int value)
{
    if (value == glyph_.NumGlyphs()) return;
    glyph_.SetNumGlyphs(value);
    Invalidate();
}

void TVELCustomButton::SetImageList(TVELCustomImageList* value)
{
    if (imageList_) {
        // A list being freed has already let go of the link.
        if (link_.Sender() == imageList_) imageList_->RemoveChangeLink(&link_);
        imageList_->RemoveFreeNotification(this);
    }
    imageList_ = value;
    if (imageList_) {
        imageList_->AddChangeLink(&link_);
        imageList_->FreeNotification(this);
    }
    UpdateListGlyph();
}

void TVELCustomButton::SetIndex(int index, int value)
{
    if (value < 0 || value == indexes_[index]) return;
    indexes_[index] = value;
    if (imageList_) UpdateListGlyph();
}

void TVELCustomButton::SetUseCaption(bool value)
{
    if (value == useCaption_) return;
    useCaption_ = value;
    PartChanged(nullptr);
}

void TVELCustomButton::SetMultiLine(bool value)
{
    if (value == multiLine_) return;
    multiLine_ = value;
    PartChanged(nullptr);
}

void TVELCustomButton::SetExtStyle(TVELUserButtonStyle value)
{
    if (value == extStyle_) return;
    using S = TVELUserButtonStyle;
    const bool unColored = value == S::ubsFlatUnColored || value == S::ubsNavigator || value == S::ubsExplorer;
    glyph_.SetStyle(unColored ? gsUnColored : gsColored);
    extStyle_ = value;
    Invalidate();
}

void TVELCustomButton::SetColor(TColor value)
{
    color_ = value;
    parentColor_ = false;
    Invalidate();
}

void TVELCustomButton::SetParentColor(bool value)
{
    parentColor_ = value;
    Invalidate();
}

void TVELCustomButton::SetBounds(int left, int top, int width, int height)
{
    const QRect old = geometry();
    TButton::SetBounds(left, top, width, height);
    const int kinds = (old.x() != x() || old.y() != y() ? 2 : 0) | (old.size() != size() ? 1 : 0);
    if (kinds != 0 && !Loading()) BoundsChanged(kinds);
}

void TVELCustomButton::SetVisible(bool value)
{
    if (!value) {
        hot_ = false;
        StopRepeat();
    }
    setVisible(value);
}

void TVELCustomButton::Loaded()
{
    TButton::Loaded();
    if (IsListConnector(imageList_)) UpdateListGlyph();
}

void TVELCustomButton::Notification(TComponent* component, TOperation operation)
{
    TButton::Notification(component, operation);
    if (operation == TOperation::opRemove && component == imageList_) SetImageList(nullptr);
}

void TVELCustomButton::SetButtonStyle(bool isDefault)
{
    if (isDefault == defaultLook_) return;
    defaultLook_ = isDefault;
    Refresh();
}

void TVELCustomButton::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case CN_DRAWITEM: DrawButton(*reinterpret_cast<const TDrawItemStruct*>(message.LParam)); return;
    case CN_MEASUREITEM: return;
    case CM_THEMESWITCHED: Invalidate(); return;
    // The disabled and uncoloured cells were made in the old colours.
    case CM_SYSCOLORCHANGE:
        glyph_.ReleaseCells();
        Invalidate();
        return;
    case CM_FONTCHANGED: PartChanged(&font_); return;
    default: break;
    }
    TButton::WndProc(message);
    switch (message.Msg) {
    case CM_ENABLEDCHANGED: Invalidate(); break;
    case CM_MOUSEENTER:
        if (Designing()) break;
        // Not for a button last drawn disabled or pressed.
        if (drawnState_ == 0 && OnMouseEnter) OnMouseEnter(this);
        if (!hot_) {
            hot_ = true;
            Invalidate();
        }
        break;
    case CM_MOUSELEAVE:
        if (Designing()) break;
        if (OnMouseExit) OnMouseExit(this);
        if (hot_) {
            hot_ = false;
            drawnState_ = 0;
            Invalidate();
        }
        if (HideHint) QToolTip::hideText();
        break;
    // A double click is a second press.
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: StartRepeat(); break;
    case WM_LBUTTONUP:
        if (RepeatedClick) StopRepeat();
        break;
    default: break;
    }
}

void TVELCustomButton::DrawButton(const TDrawItemStruct& item)
{
    // The built-in picture is loaded on the first paint that needs it.
    if (builtInGlyph_ != 0 && glyph_.Bitmap().Empty()) LoadBuiltInGlyph();
    TCanvas& canvas = *item.Canvas;
    TRect rect = ClientRect();
    drawnState_ = !Enabled() ? 1 : (item.itemState & ODS_SELECTED) ? 4 : hot_ ? 2 : 0;
    const std::uint16_t flags = 1 | (defaultLook_ ? bffFocused : 0) | ((item.itemState & ODS_FOCUS) ? bffDarkFrame : 0) |
                                (hot_ ? 0x40 : 0);
    if (FilledLook(extStyle_)) {
        canvas.Brush.Color = Color();
        canvas.Brush.Style = TBrushStyle::bsSolid;
        canvas.FillRect(rect);
    }
    DrawButtonFace(Handle(), canvas, hot_, Color(), flags, drawnState_, extStyle_, rect);
    const bool themed = GlobalApplication && GlobalApplication->ThemesActive();
    if (extStyle_ == TVELUserButtonStyle::ubsWinXPCombo && themed) return;
    canvas.Font = font_;
    DrawContent(canvas, rect, 0);
}

void TVELCustomButton::DrawContent(TCanvas& canvas, const TRect& rect, unsigned textFlags)
{
    glyph_.Draw(canvas, GetDrawText(), &fontFX_, rect, drawnState_, layout_, Enabled() ? 6 : 5, multiLine_,
                textFlags);
}

void TVELCustomButton::StartRepeat()
{
    if (!RepeatedClick || repeatTimer_ != 0 || !GlobalApplication) return;
    const std::uint16_t ident =
        GlobalApplication->AllocTimer(PoolPeriod(RepeatingDelay), [this](TPersistent*) {
            if (hot_) RepeatClick();
        });
    if (ident == 0) throw EOutOfResources("Not enough timers available");
    repeatTimer_ = ident;
    if (TVELTimerItem* item = GlobalApplication->FindTimer(ident)) item->SetEnabled(true);
}

void TVELCustomButton::RepeatClick()
{
    if (repeatTimer_ != 0 && GlobalApplication)
        if (TVELTimerItem* item = GlobalApplication->FindTimer(repeatTimer_))
            item->SetInterval(static_cast<TVELTimerInterval>(PoolPeriod(RepeatingInterval)));
    Click();
}

void TVELCustomButton::StopRepeat()
{
    if (repeatTimer_ == 0 || !GlobalApplication || GlobalApplication->TimerPool()->IndexOfIdent(repeatTimer_) < 0)
        return;
    const std::uint16_t ident = repeatTimer_;
    repeatTimer_ = 0;
    if (TVELTimerItem* item = GlobalApplication->FindTimer(ident)) {
        item->OnTimer = nullptr;
        item->SetEnabled(false);
    }
    GlobalApplication->ReleaseTimer(ident);
}

void TVELCustomButton::UpdateListGlyph()
{
    if (builtInGlyph_ != 0) return;
    if (!imageList_ || !imageList_->IsValidImage(ListIndex(), ImageIndex())) {
        glyph_.SetBitmap(nullptr);
    } else {
        TBitmap cell;
        imageList_->GetImage(ListIndex(), ImageIndex(), &cell);
        glyph_.SetBitmap(&cell);
    }
    Invalidate();
}

void TVELCustomButton::LoadBuiltInGlyph()
{
    glyph_.SetNumGlyphs(1);
    TBitmap cell;
    LoadGlyphCell(&cell, builtInGlyph_);
    glyph_.SetBitmap(&cell);
}

void TVELCustomButton::PartChanged(const void* sender)
{
    if (Loading()) return;
    if (sender == &font_ || sender == &fontFX_) {
        ParentFont = false;
        // Only outline fonts turn.
        if (fontFX_.Angle() != 0 && !IsTrueTypeFont(font_)) {
            if (sender == &font_) {
                fontFX_.SetAngle(0);
            } else {
                font_.Name = "Arial";
                Invalidate();
            }
            return;
        }
    }
    Invalidate();
}

void TVELCustomButton::DeclareProperties(TPropertyList& list)
{
    TButton::DeclareProperties(list);
    list.Object("ButtonLayout", [this] { return &layout_; });
    list.Object("FontFX", [this] { return &fontFX_; });
    // A glyph from an image list is the list's to store.
    list.Object("Glyph", [this] { return &glyphData_; }).Stored([this] { return !imageList_ || builtInGlyph_ != 0; });
    list.Integer("NumGlyphs", [this] { return NumGlyphs(); }, [this](std::int64_t v) { SetNumGlyphs(static_cast<int>(v)); })
        .Default(1)
        .Range(0, 5);
    list.Boolean("HideHint", [this] { return HideHint; }, [this](bool v) { HideHint = v; }).Default(1);
    list.Boolean("UseCaption", [this] { return useCaption_; }, [this](bool v) { SetUseCaption(v); }).Default(1);
    // A shared list is stored as "Internal" instead.
    list.Reference("ImageList", [this] { return imageList_; },
                   [this](TComponent* v) { SetImageList(dynamic_cast<TVELCustomImageList*>(v)); })
        .Stored([this] { return !IsSharedList(imageList_); });
    list.Integer("ImageIndex", [this] { return ImageIndex(); }, [this](std::int64_t v) { SetIndex(0, static_cast<int>(v)); })
        .Default(0);
    list.Integer("ListIndex", [this] { return ListIndex(); }, [this](std::int64_t v) { SetIndex(1, static_cast<int>(v)); })
        .Default(0);
    list.Boolean("MultiLine", [this] { return multiLine_; }, [this](bool v) { SetMultiLine(v); }).Default(0);
    list.Boolean("RepeatedClick", [this] { return RepeatedClick; }, [this](bool v) { RepeatedClick = v; }).Default(0);
    list.Integer("RepeatingDelay", [this] { return RepeatingDelay; },
                 [this](std::int64_t v) { RepeatingDelay = static_cast<std::uint16_t>(v); })
        .Default(500)
        .Range(0, 65535);
    list.Integer("RepeatingInterval", [this] { return RepeatingInterval; },
                 [this](std::int64_t v) { RepeatingInterval = static_cast<std::uint16_t>(v); })
        .Default(100)
        .Range(0, 65535);
    list.Enum("ExtStyle", UserButtonStyleIdents(), [this] { return static_cast<int>(extStyle_); },
              [this](int v) { SetExtStyle(static_cast<TVELUserButtonStyle>(v)); })
        .Default(0);
    ColorProperty(list, "Color", [this] { return color_; }, [this](TColor v) { SetColor(v); })
        .Default(static_cast<std::int32_t>(clWindow))
        .Stored([this] { return !parentColor_; });
    list.Boolean("ParentColor", [this] { return parentColor_; }, [this](bool v) { SetParentColor(v); }).Default(1);
    list.Boolean("ParentFont", [this] { return ParentFont; }, [this](bool v) { ParentFont = v; }).Default(1);
    hints_->DeclareParentShowHint(list);
    list.Boolean("Cancel", [this] { return Cancel(); }, [this](bool v) { SetCancel(v); }).Default(0);
    list.Boolean("Default", [this] { return Default(); }, [this](bool v) { SetDefault(v); }).Default(0);
    list.Boolean("Enabled", [this] { return Enabled(); }, [this](bool v) { SetEnabled(v); }).Default(1);
    list.Boolean("TabStop", [this] { return TabStopOf(this); }, [this](bool v) { SetTabStop(this, v); }).Default(1);
    list.Text("Caption", [this] { return Caption(); }, [this](const String& v) { SetCaption(v); });
    list.Object("Font", [this] { return &fontProperties_; }).Stored([this] { return !ParentFont; });
    list.Integer("ModalResult", [this] { return ModalResult; }, [this](std::int64_t v) { ModalResult = static_cast<int>(v); })
        .Default(0);
    hints_->DeclareShowHint(list);
    list.Integer("TabOrder", [this] { return TabOrderOf(this); }, [this](std::int64_t v) { SetTabOrder(this, static_cast<int>(v)); })
        .Default(-1)
        .Range(-1, 32767);
    // A button read without a window to stand in waits for one to be shown.
    list.Boolean("Visible", [this] { return isVisibleTo(parentWidget()); }, [this](bool v) {
        if (v && !parentWidget()) return;
        SetVisible(v);
    });
}

void TVELCustomButton::DefineProperties(TFiler& filer)
{
    TButton::DefineProperties(filer);
    filer.DefineProperty(
        "Internal", [this](TReader& reader) { SetImageList(ReadListRef(reader)); },
        [this](TWriter& writer) { WriteListRef(writer, imageList_); }, IsSharedList(imageList_));
    // Read only: the look's older name and its three values.
    filer.DefineProperty(
        "Style",
        [this](TReader& reader) {
            const String ident = reader.ReadIdent();
            const char* const names[] = {"nbsAutoDetect", "nbsWin31", "nbsWin40"};
            for (int i = 0; i < 3; ++i)
                if (ident == names[i]) extStyle_ = static_cast<TVELUserButtonStyle>(i);
        },
        nullptr, false);
}

} // namespace velvane
