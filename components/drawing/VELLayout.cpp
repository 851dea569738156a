#include "components/drawing/VELLayout.h"

#include "platform/classes/Filer.h"
#include "platform/forms/StoredProperties.h"

namespace velvane {

void TVELGlyphTextLayout::SetAlignment(TVELAlignment value) { ChangeField(alignment_, value); }
void TVELGlyphTextLayout::SetAlignText2Glyph(TVELTextArrange value) { ChangeField(alignText2Glyph_, value); }
void TVELGlyphTextLayout::SetSpacing(int value) { ChangeField(spacing_, value); }

void TVELGlyphTextLayout::SetOffset(int index, int value)
{
    if (index == 0 || index == 1) ChangeField(offsets_[index], value);
}

void TVELGlyphTextLayout::Assign(const TPersistent& source)
{
    if (&source == this) return;
    const auto* other = dynamic_cast<const TVELGlyphTextLayout*>(&source);
    if (!other) {
        TVELObject::Assign(source);
        return;
    }
    alignment_ = other->alignment_;
    alignText2Glyph_ = other->alignText2Glyph_;
    offsets_[0] = other->offsets_[0];
    offsets_[1] = other->offsets_[1];
    spacing_ = other->spacing_;
    NotifyChange();
}

void TVELGlyphTextLayout::DeclareProperties(TPropertyList& list)
{
    TVELObject::DeclareProperties(list);
    auto& alignment = list.Enum("Alignment", AlignmentIdents(), [this] { return static_cast<int>(alignment_); },
                                [this](int v) { SetAlignment(static_cast<TVELAlignment>(v)); });
    if (alignmentDefault_) alignment.Default(static_cast<int>(*alignmentDefault_));
    list.Enum("AlignText2Glyph", TextArrangeIdents(), [this] { return static_cast<int>(alignText2Glyph_); },
              [this](int v) { SetAlignText2Glyph(static_cast<TVELTextArrange>(v)); })
        .Default(static_cast<int>(TVELTextArrange::taRight));
    list.Integer("OffsetX", [this] { return std::int64_t{offsets_[0]}; },
                 [this](std::int64_t v) { SetOffset(0, static_cast<int>(v)); })
        .Default(0);
    list.Integer("OffsetY", [this] { return std::int64_t{offsets_[1]}; },
                 [this](std::int64_t v) { SetOffset(1, static_cast<int>(v)); })
        .Default(0);
    list.Integer("Spacing", [this] { return std::int64_t{spacing_}; },
                 [this](std::int64_t v) { SetSpacing(static_cast<int>(v)); })
        .Default(2);
}

TVELButtonLayout::TVELButtonLayout()
{
    alignment_ = TVELAlignment::agCenter;
    alignmentDefault_ = TVELAlignment::agCenter;
}

void TVELButtonLayout::SetArrow(bool value) { ChangeField(arrow_, value); }
void TVELButtonLayout::SetArrowColor(TColor value) { ChangeField(arrowColor_, value); }
void TVELButtonLayout::SetArrowIndent(int value) { ChangeField(arrowIndent_, value); }
void TVELButtonLayout::SetArrowPosition(TVELArrowPosition value) { ChangeField(arrowPosition_, value); }
void TVELButtonLayout::SetArrowSize(TVELDDArrowSize value) { ChangeField(arrowSize_, value); }

void TVELButtonLayout::Assign(const TPersistent& source)
{
    const auto* other = dynamic_cast<const TVELButtonLayout*>(&source);
    if (!other) {
        TVELGlyphTextLayout::Assign(source);
        return;
    }
    BeginUpdate();
    SetAlignment(other->alignment_);
    SetAlignText2Glyph(other->alignText2Glyph_);
    SetOffset(0, other->offsets_[0]);
    SetOffset(1, other->offsets_[1]);
    SetSpacing(other->spacing_);
    arrow_ = other->arrow_;
    arrowColor_ = other->arrowColor_;
    arrowIndent_ = other->arrowIndent_;
    arrowPosition_ = other->arrowPosition_;
    arrowSize_ = other->arrowSize_;
    EndUpdate(true);
}

void TVELButtonLayout::DeclareProperties(TPropertyList& list)
{
    TVELGlyphTextLayout::DeclareProperties(list);
    list.Boolean("Arrow", [this] { return arrow_; }, [this](bool v) { SetArrow(v); }).Default(0);
    ColorProperty(list, "ArrowColor", [this] { return arrowColor_; }, [this](TColor v) { SetArrowColor(v); })
        .Default(0);
    list.Integer("ArrowIndent", [this] { return std::int64_t{arrowIndent_}; },
                 [this](std::int64_t v) { SetArrowIndent(static_cast<int>(v)); })
        .Default(3);
    list.Enum("ArrowPosition", ArrowPositionIdents(), [this] { return static_cast<int>(arrowPosition_); },
              [this](int v) { SetArrowPosition(static_cast<TVELArrowPosition>(v)); })
        .Default(0);
    list.Integer("ArrowSize", [this] { return std::int64_t{arrowSize_}; },
                 [this](std::int64_t v) { SetArrowSize(static_cast<TVELDDArrowSize>(v)); })
        .Default(3)
        .Range(0, 255);
}

} // namespace velvane
