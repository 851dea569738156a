#include "components/drawing/VELCaption.h"

#include "platform/classes/Filer.h"
#include "platform/forms/StoredProperties.h"

#include <array>

namespace velvane {

void TVEL3DCaption::SetDisabledStyle(TVELDisabledStyle value) { ChangeField(disabledStyle_, value); }
void TVEL3DCaption::SetOrientation(TVELThreeDOrientation value) { ChangeField(orientation_, value); }
void TVEL3DCaption::SetStyle(TVELThreeDStyle value) { ChangeField(style_, value); }
void TVEL3DCaption::SetTracing(int value) { ChangeField(tracing_, value); }

void TVEL3DCaption::SetDepth(int index, std::uint8_t value)
{
    if (index == 0 || index == 1) ChangeField(depths_[index], value);
}

void TVEL3DCaption::SetColor(int index, TColor value)
{
    if (index == 0 || index == 1) ChangeField(colors_[index], value);
}

void TVEL3DCaption::Assign(const TPersistent& source)
{
    const auto* other = dynamic_cast<const TVEL3DCaption*>(&source);
    if (!other) {
        TVELObject::Assign(source);
        return;
    }
    CopyEffect(*other);
    NotifyChange();
}

void TVEL3DCaption::CopyEffect(const TVEL3DCaption& other)
{
    disabledStyle_ = other.disabledStyle_;
    depths_[0] = other.depths_[0];
    depths_[1] = other.depths_[1];
    colors_[0] = other.colors_[0];
    colors_[1] = other.colors_[1];
    style_ = other.style_;
    orientation_ = other.orientation_;
    tracing_ = other.tracing_;
}

String TVEL3DCaption::GetSummary() const
{
    static const std::array<const char*, 11> words = {
        "Disabled", "sunken", "raised", "sunken shadow", "raised shadow", "PColor sunken", "",
        "shadow",   "outline", "extrude", "extrude enh"};
    const auto index = static_cast<std::size_t>(style_);
    return "{" + String(index < words.size() ? words[index] : "") + "}";
}

void TVEL3DCaption::DeclareProperties(TPropertyList& list)
{
    TVELObject::DeclareProperties(list);
    list.Enum("DisabledStyle", DisabledStyleIdents(), [this] { return static_cast<int>(disabledStyle_); },
              [this](int v) { SetDisabledStyle(static_cast<TVELDisabledStyle>(v)); })
        .Default(0);
    for (int i = 0; i < 2; ++i) {
        list.Integer(i == 0 ? "LightDepth" : "ShadowDepth", [this, i] { return std::int64_t{depths_[i]}; },
                     [this, i](std::int64_t v) { SetDepth(i, static_cast<std::uint8_t>(v)); })
            .Default(1)
            .Range(0, 255);
    }
    ColorProperty(list, "LightColor", [this] { return colors_[0]; }, [this](TColor v) { SetColor(0, v); })
        .Default(static_cast<std::int32_t>(clBtnHighlight));
    list.Enum("Orientation", ThreeDOrientationIdents(), [this] { return static_cast<int>(orientation_); },
              [this](int v) { SetOrientation(static_cast<TVELThreeDOrientation>(v)); })
        .Default(static_cast<int>(TVELThreeDOrientation::toTopLeft));
    ColorProperty(list, "ShadowColor", [this] { return colors_[1]; }, [this](TColor v) { SetColor(1, v); })
        .Default(static_cast<std::int32_t>(clBtnShadow));
    list.Enum("Style", ThreeDStyleIdents(), [this] { return static_cast<int>(style_); },
              [this](int v) { SetStyle(static_cast<TVELThreeDStyle>(v)); })
        .Default(0);
    list.Integer("Tracing", [this] { return std::int64_t{tracing_}; },
                 [this](std::int64_t v) { SetTracing(static_cast<int>(v)); })
        .Default(0);
}

void TVELFxCaption::SetAngle(TVELAngle value)
{
    // Compared before 360 becomes 0, so 360 on an angle of 0 still tells.
    if (value == angle_) return;
    angle_ = NormalAngle(value);
    NotifyChange();
}

void TVELFxCaption::SetPosition(int index, std::uint16_t value)
{
    if (index == 0 || index == 1) ChangeField(pos_[index], value);
}

void TVELFxCaption::SetPos(std::uint16_t x, std::uint16_t y)
{
    BeginUpdate();
    SetPosition(0, x);
    SetPosition(1, y);
    EndUpdate(false);
}

void TVELFxCaption::Assign(const TPersistent& source)
{
    const auto* other = dynamic_cast<const TVELFxCaption*>(&source);
    if (!other) {
        TVEL3DCaption::Assign(source);
        return;
    }
    CopyEffect(*other);
    pos_[0] = other->pos_[0];
    pos_[1] = other->pos_[1];
    angle_ = other->angle_;
    NotifyChange();
}

String TVELFxCaption::GetSummary() const
{
    String summary = TVEL3DCaption::GetSummary();
    if (angle_ == 0) return summary;
    if (summary == "{Disabled}") summary = "{";
    else summary.back() = ',';
    return summary + " rot: " + std::to_string(angle_) + "\u00B0}";
}

void TVELFxCaption::DeclareProperties(TPropertyList& list)
{
    TVEL3DCaption::DeclareProperties(list);
    list.Integer("Angle", [this] { return std::int64_t{angle_}; },
                 [this](std::int64_t v) { SetAngle(static_cast<TVELAngle>(v)); })
        .Default(0)
        .Range(0, 360);
    for (int i = 0; i < 2; ++i) {
        list.Integer(i == 0 ? "PosX" : "PosY", [this, i] { return std::int64_t{pos_[i]}; },
                     [this, i](std::int64_t v) { SetPosition(i, static_cast<std::uint16_t>(v)); })
            .Default(0)
            .Range(0, 65535);
    }
}

} // namespace velvane
