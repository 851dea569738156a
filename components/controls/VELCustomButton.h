#pragma once
// TVELCustomButton: a push button that keeps the native button's focus,
// keyboard, default and cancel handling and ModalResult, and paints its own
// face in one of the library's looks, with a glyph (its own bitmap or a cell
// of an image list) and a caption with 3D, turned or multi-line text. It
// tracks the mouse (hot look, enter and exit events) and can repeat its
// click while the left button is held, on the application object's timer
// pool.

#include "components/containers/velcont.h"
#include "components/controls/velglyph.h"
#include "components/drawing/VELCaption.h"
#include "components/drawing/VELLayout.h"
#include "components/drawing/velgraph.h"
#include "platform/forms/HintSwitch.h"
#include "platform/forms/PushButton.h"
#include "platform/forms/StoredProperties.h"

#include <cstdint>

namespace velvane {

class TVELCustomButton : public TButton {
public:
    // 75 x 25, owner-drawn.
    explicit TVELCustomButton(TComponent* owner, QWidget* parent = nullptr);
    ~TVELCustomButton() override;
    const char* ClassName() const override { return "TVELCustomButton"; }

    TVELButtonLayout& ButtonLayout() { return layout_; }
    void SetButtonLayout(const TVELButtonLayout& value) { layout_.Assign(value); }
    TVELFxCaption& FontFX() { return fontFX_; }
    void SetFontFX(const TVELFxCaption& value) { fontFX_.Assign(value); }
    const TFont& Font() const { return font_; }
    // The caption's font; a turned caption keeps to outline fonts.
    void SetFont(const TFont& value);
    bool ParentFont = true;

    // NumGlyphs() cells side by side: normal, disabled, hot, pressed.
    const TBitmap& Glyph() { return glyph_.Bitmap(); }
    // Drops the image list (the glyph is the button's own from now on).
    void SetGlyph(const TBitmap* value);
    int NumGlyphs() const { return glyph_.NumGlyphs(); }
    void SetNumGlyphs(int value);

    TVELCustomImageList* ImageList() const { return imageList_; }
    void SetImageList(TVELCustomImageList* value);
    int ImageIndex() const { return indexes_[0]; }
    int ListIndex() const { return indexes_[1]; }
    // Index 0 sets ImageIndex, 1 ListIndex; negative values are ignored.
    void SetIndex(int index, int value);

    bool HideHint = true;  // hide the hint when the mouse leaves
    bool UseCaption() const { return useCaption_; }
    void SetUseCaption(bool value);
    bool MultiLine() const { return multiLine_; }
    void SetMultiLine(bool value);
    TVELUserButtonStyle ExtStyle() const { return extStyle_; }
    void SetExtStyle(TVELUserButtonStyle value);
    // The parent's colour (button face) while ParentColor.
    TColor Color() const { return parentColor_ ? clBtnFace : color_; }
    // Turns ParentColor off.
    void SetColor(TColor value);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool value);
    THintSwitch& Hints() { return *hints_; }

    // Click again while the left button is held over the button: first
    // after RepeatingDelay, then every RepeatingInterval milliseconds (each
    // taken up to the next step of the timer pool).
    bool RepeatedClick = false;
    std::uint16_t RepeatingDelay = 500;
    std::uint16_t RepeatingInterval = 100;

    // Tells BoundsChanged of a move (2), a new size (1) or both (3).
    void SetBounds(int left, int top, int width, int height) override;
    // Hiding the button ends hot tracking and repeating.
    void SetVisible(bool value);

    TVELNotifyEvent OnMouseEnter;
    TVELNotifyEvent OnMouseExit;

    bool Hot() const { return hot_; }
    // What the last paint drew: 0 normal, 1 disabled, 2 hot, 4 pressed.
    std::uint8_t DrawnState() const { return drawnState_; }
    // The repeat timer's ident, 0 when none.
    std::uint16_t RepeatTimer() const { return repeatTimer_; }
    String GetDrawText() const { return useCaption_ ? Caption() : String(); }

    // Stored forms: the published properties; a shared image list travels
    // as "Internal", and an old form's "Style" still sets the look.
    void DeclareProperties(TPropertyList& list) override;
    void DefineProperties(TFiler& filer) override;

protected:
    void WndProc(TMessage& message) override;
    void SetButtonStyle(bool isDefault) override;
    void Notification(TComponent* component, TOperation operation) override;
    void Loaded() override;

    // The face and then the content, on the canvas of a draw request.
    virtual void DrawButton(const TDrawItemStruct& item);
    virtual void DrawContent(TCanvas& canvas, const TRect& rect, unsigned textFlags);
    virtual void RepeatClick();
    virtual void BoundsChanged(int) {}
    void StopRepeat();

    bool DefaultLook() const { return defaultLook_; }
    void SetDrawnState(std::uint8_t state) { drawnState_ = state; }

private:
    void PartChanged(const void* sender);
    void UpdateListGlyph();
    void StartRepeat();
    void LoadBuiltInGlyph();

    TVELGlyph glyph_;
    TVELButtonLayout layout_;
    TVELFxCaption fontFX_;
    TVELChangeLink link_;
    TFont font_;
    // How stored forms see the glyph and the font.
    TBitmapData glyphData_;
    TFontProperties fontProperties_;
    THintSwitch* hints_;  // a child object of the button
    TVELCustomImageList* imageList_ = nullptr;
    int indexes_[2] = {0, 0};
    bool useCaption_ = true;
    bool multiLine_ = false;
    TVELUserButtonStyle extStyle_ = TVELUserButtonStyle::ubsAutoDetect;
    TColor color_ = clWindow;
    bool parentColor_ = true;
    bool hot_ = false;
    std::uint8_t drawnState_ = 0;
    bool defaultLook_ = false;
    std::uint16_t repeatTimer_ = 0;
    // A picture of the built-in strip, 0 for none; nothing sets it yet.
    std::uint8_t builtInGlyph_ = 0;
};

} // namespace velvane
