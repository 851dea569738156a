#pragma once
// The 3D text effect of a caption (TVEL3DCaption) and the effect with
// rotation (TVELFxCaption), as a control's settings. They hold values only;
// every change is told through OnChange, on which the owning control
// repaints.

#include "components/drawing/velgraph.h"
#include "components/foundation/VELObject.h"
#include "platform/graphics/SysColors.h"

#include <cstdint>

namespace velvane {

class TVEL3DCaption : public TVELObject {
public:
    TVEL3DCaption() = default;
    const char* ClassName() const override { return "TVEL3DCaption"; }

    TVELDisabledStyle DisabledStyle() const { return disabledStyle_; }
    void SetDisabledStyle(TVELDisabledStyle value);
    std::uint8_t LightDepth() const { return depths_[0]; }
    std::uint8_t ShadowDepth() const { return depths_[1]; }
    // Index 0 sets LightDepth, 1 ShadowDepth.
    void SetDepth(int index, std::uint8_t value);
    TColor LightColor() const { return colors_[0]; }
    TColor ShadowColor() const { return colors_[1]; }
    // Index 0 sets LightColor, 1 ShadowColor.
    void SetColor(int index, TColor value);
    // Direction of an extruded caption.
    TVELThreeDOrientation Orientation() const { return orientation_; }
    void SetOrientation(TVELThreeDOrientation value);
    TVELThreeDStyle Style() const { return style_; }
    void SetStyle(TVELThreeDStyle value);
    // Extra pixels between characters.
    int Tracing() const { return tracing_; }
    void SetTracing(int value);

    // From a 3D caption (or a rotated one): its eight effect values, told once.
    void Assign(const TPersistent& source) override;
    // "{raised}" and the like, by Style.
    String GetSummary() const override;
    void DeclareProperties(TPropertyList& list) override;

protected:
    // The eight effect values, nothing told.
    void CopyEffect(const TVEL3DCaption& other);

private:
    TVELDisabledStyle disabledStyle_ = TVELDisabledStyle::dsAuto;
    std::uint8_t depths_[2] = {1, 1};
    TColor colors_[2] = {clBtnHighlight, clBtnShadow};
    TVELThreeDOrientation orientation_ = TVELThreeDOrientation::toTopLeft;
    TVELThreeDStyle style_ = TVELThreeDStyle::tdNone;
    int tracing_ = 0;
};

class TVELFxCaption : public TVEL3DCaption {
public:
    TVELFxCaption() = default;
    const char* ClassName() const override { return "TVELFxCaption"; }

    // Degrees counter-clockwise; 360 is kept as 0. Not range-checked.
    TVELAngle Angle() const { return angle_; }
    void SetAngle(TVELAngle value);
    // Where the turned text starts inside its rectangle.
    std::uint16_t PosX() const { return pos_[0]; }
    std::uint16_t PosY() const { return pos_[1]; }
    // Index 0 sets PosX, 1 PosY.
    void SetPosition(int index, std::uint16_t value);
    // Both, without telling anyone.
    void SetPos(std::uint16_t x, std::uint16_t y);

    // From a rotated caption: the effect, the position and the angle, told
    // once; from a plain 3D caption only the effect.
    void Assign(const TPersistent& source) override;
    // The 3D summary with " rot: <angle>°" inside the braces when turned.
    String GetSummary() const override;
    void DeclareProperties(TPropertyList& list) override;

private:
    TVELAngle angle_ = 0;
    std::uint16_t pos_[2] = {0, 0};
};

} // namespace velvane
