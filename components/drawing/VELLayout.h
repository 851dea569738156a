#pragma once
// How a control arranges its glyph and caption (TVELGlyphTextLayout), and
// the button's arrangement with its drop-down arrow (TVELButtonLayout).
// They hold values only; every change is told through OnChange, on which
// the owning control repaints.

#include "components/drawing/velgraph.h"
#include "components/foundation/VELObject.h"
#include "platform/graphics/Graphics.h"

#include <cstdint>
#include <optional>

namespace velvane {

class TVELGlyphTextLayout : public TVELObject {
public:
    TVELGlyphTextLayout() = default;
    const char* ClassName() const override { return "TVELGlyphTextLayout"; }

    TVELAlignment Alignment() const { return alignment_; }
    void SetAlignment(TVELAlignment value);
    // Where the text stands relative to the glyph.
    TVELTextArrange AlignText2Glyph() const { return alignText2Glyph_; }
    void SetAlignText2Glyph(TVELTextArrange value);
    int OffsetX() const { return offsets_[0]; }
    int OffsetY() const { return offsets_[1]; }
    // Index 0 sets OffsetX, 1 OffsetY.
    void SetOffset(int index, int value);
    // Pixels between glyph and text.
    int Spacing() const { return spacing_; }
    void SetSpacing(int value);

    // From a layout: its five values, told once. Assigning itself does nothing.
    void Assign(const TPersistent& source) override;
    void DeclareProperties(TPropertyList& list) override;

protected:
    // The stored default of Alignment; none: always stored.
    std::optional<TVELAlignment> alignmentDefault_;
    TVELAlignment alignment_ = TVELAlignment::agTopLeft;
    TVELTextArrange alignText2Glyph_ = TVELTextArrange::taRight;
    int offsets_[2] = {0, 0};
    int spacing_ = 2;
};

class TVELButtonLayout : public TVELGlyphTextLayout {
public:
    TVELButtonLayout();
    const char* ClassName() const override { return "TVELButtonLayout"; }

    bool Arrow() const { return arrow_; }
    void SetArrow(bool value);
    TColor ArrowColor() const { return arrowColor_; }
    void SetArrowColor(TColor value);
    int ArrowIndent() const { return arrowIndent_; }
    void SetArrowIndent(int value);
    TVELArrowPosition ArrowPosition() const { return arrowPosition_; }
    void SetArrowPosition(TVELArrowPosition value);
    // 2..10; not checked here.
    TVELDDArrowSize ArrowSize() const { return arrowSize_; }
    void SetArrowSize(TVELDDArrowSize value);

    // From a button layout: all ten values, told once.
    void Assign(const TPersistent& source) override;
    void DeclareProperties(TPropertyList& list) override;

private:
    bool arrow_ = false;
    TColor arrowColor_ = clBlack;
    int arrowIndent_ = 3;
    TVELArrowPosition arrowPosition_ = TVELArrowPosition::apRightText;
    TVELDDArrowSize arrowSize_ = 3;
};

} // namespace velvane
