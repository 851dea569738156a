#pragma once
// TVELDrawEdge: a frame on chosen sides, a diagonal line, or one of the
// library's border styles, drawn on the parent.

#include "components/controls/VELControl.h"
#include "components/drawing/velgraph.h"
#include "platform/forms/HintSwitch.h"

#include <cstdint>
#include <vector>

namespace velvane {

enum class TVELDiagonalStyle : std::uint8_t { dsEndBottomLeft, dsEndBottomRight, dsEndTopLeft, dsEndTopRight };
enum class TVELDrawEdgeStyle : std::uint8_t { esEdge, esDiagonal, esStandard };

const std::vector<String>& DiagonalStyleIdents();
const std::vector<String>& DrawEdgeStyleIdents();

class TVELDrawEdge : public TVELControl {
public:
    // 40 x 40, an etched frame on all four sides.
    explicit TVELDrawEdge(TComponent* owner, QWidget* parent = nullptr);
    const char* ClassName() const override { return "TVELDrawEdge"; }

    TVELDiagonalStyle DiagonalStyle() const { return diagonalStyle_; }
    void SetDiagonalStyle(TVELDiagonalStyle value);
    TVELEdgeStyle EdgeStyle() const { return edgeStyle_; }
    void SetEdgeStyle(TVELEdgeStyle value);
    // Fill the inside with the button face colour.
    bool Filled() const { return flags_[0]; }
    bool Soft() const { return flags_[1]; }
    // Index 0 sets Filled, 1 Soft.
    void SetFlag(int index, bool value);
    TVELFrameSides FrameSides() const { return frameSides_; }
    void SetFrameSides(TVELFrameSides value);
    TVELBorderStyle StandardStyle() const { return standardStyle_; }
    void SetStandardStyle(TVELBorderStyle value);
    TVELDrawEdgeStyle Style() const { return style_; }
    void SetStyle(TVELDrawEdgeStyle value);
    THintSwitch& Hints() { return *hints_; }

    void DeclareProperties(TPropertyList& list) override;

protected:
    void Paint() override;

private:
    template <typename T>
    void Change(T& field, T value)
    {
        if (field == value) return;
        field = value;
        Invalidate();
    }

    TVELDiagonalStyle diagonalStyle_ = TVELDiagonalStyle::dsEndBottomLeft;
    TVELEdgeStyle edgeStyle_ = TVELEdgeStyle::etEtched;
    bool flags_[2] = {false, false};
    TVELFrameSides frameSides_ = AllFrameSides;
    TVELBorderStyle standardStyle_ = TVELBorderStyle::lsSingleLowered;
    TVELDrawEdgeStyle style_ = TVELDrawEdgeStyle::esEdge;
    THintSwitch* hints_;  // a child object of the control
};

} // namespace velvane
