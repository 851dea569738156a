#include "components/controls/VELDrawEdge.h"

#include "components/drawing/DrawRoutinesBorders.h"
#include "platform/classes/Filer.h"
#include "platform/graphics/Edges.h"

#include <array>

namespace velvane {

const std::vector<String>& DiagonalStyleIdents()
{
    static const std::vector<String> idents = {"dsEndBottomLeft", "dsEndBottomRight", "dsEndTopLeft",
                                               "dsEndTopRight"};
    return idents;
}

const std::vector<String>& DrawEdgeStyleIdents()
{
    static const std::vector<String> idents = {"esEdge", "esDiagonal", "esStandard"};
    return idents;
}

TVELDrawEdge::TVELDrawEdge(TComponent* owner, QWidget* parent)
    : TVELControl(owner, parent), hints_(new THintSwitch(this))
{
    ControlStyle |= csReplicatable;
    resize(40, 40);
}

void TVELDrawEdge::SetDiagonalStyle(TVELDiagonalStyle value) { Change(diagonalStyle_, value); }
void TVELDrawEdge::SetEdgeStyle(TVELEdgeStyle value) { Change(edgeStyle_, value); }
void TVELDrawEdge::SetFrameSides(TVELFrameSides value) { Change(frameSides_, value); }
void TVELDrawEdge::SetStandardStyle(TVELBorderStyle value) { Change(standardStyle_, value); }
void TVELDrawEdge::SetStyle(TVELDrawEdgeStyle value) { Change(style_, value); }

void TVELDrawEdge::SetFlag(int index, bool value)
{
    if (index == 0 || index == 1) Change(flags_[index], value);
}

void TVELDrawEdge::Paint()
{
    TCanvas& canvas = *Canvas();
    TRect rect = ClientRect();
    if (style_ == TVELDrawEdgeStyle::esStandard) {
        DrawBorder(canvas, rect, standardStyle_, 0);
        return;
    }
    unsigned flags = (Soft() ? BF_SOFT : 0) | (Filled() ? BF_MIDDLE : 0);
    static constexpr std::array<unsigned, 8> edges = {BDR_RAISEDINNER, BDR_RAISEDOUTER, BDR_SUNKENINNER,
                                                      BDR_SUNKENOUTER, EDGE_BUMP,       EDGE_ETCHED,
                                                      EDGE_RAISED,     EDGE_SUNKEN};
    const unsigned edge = edges[static_cast<std::size_t>(edgeStyle_) & 7];
    if (style_ == TVELDrawEdgeStyle::esEdge) {
        if (frameSides_ & FrameSide(TVELFrameSide::fsLeft)) flags |= BF_LEFT;
        if (frameSides_ & FrameSide(TVELFrameSide::fsTop)) flags |= BF_TOP;
        if (frameSides_ & FrameSide(TVELFrameSide::fsRight)) flags |= BF_RIGHT;
        if (frameSides_ & FrameSide(TVELFrameSide::fsBottom)) flags |= BF_BOTTOM;
    } else {
        static constexpr std::array<unsigned, 4> diagonals = {BF_DIAGONAL_ENDBOTTOMLEFT, BF_DIAGONAL_ENDBOTTOMRIGHT,
                                                              BF_DIAGONAL_ENDTOPLEFT, BF_DIAGONAL_ENDTOPRIGHT};
        flags |= diagonals[static_cast<std::size_t>(diagonalStyle_) & 3];
    }
    DrawEdge(canvas, rect, edge, flags);
}

void TVELDrawEdge::DeclareProperties(TPropertyList& list)
{
    TVELControl::DeclareProperties(list);
    list.Text("About", [this] { return About; }, [this](const String& v) { About = v; });
    TControlPlacement& placement = Placement();
    list.Enum("Align", AlignIdents(), [&placement] { return static_cast<int>(placement.Align()); },
              [&placement](int v) { placement.SetAlign(static_cast<TAlign>(v)); })
        .Default(0);
    list.Set("Anchors", AnchorIdents(), [&placement] { return placement.Anchors(); },
             [&placement](std::uint32_t v) { placement.SetAnchors(v); })
        .Default(akLeft | akTop);
    list.Object("Constraints", [&placement] { return &placement.Constraints(); });
    list.Enum("DiagonalStyle", DiagonalStyleIdents(), [this] { return static_cast<int>(diagonalStyle_); },
              [this](int v) { SetDiagonalStyle(static_cast<TVELDiagonalStyle>(v)); })
        .Default(0);
    list.Enum("EdgeStyle", EdgeStyleIdents(), [this] { return static_cast<int>(edgeStyle_); },
              [this](int v) { SetEdgeStyle(static_cast<TVELEdgeStyle>(v)); })
        .Default(static_cast<int>(TVELEdgeStyle::etEtched));
    list.Boolean("Enabled", [this] { return Enabled(); }, [this](bool v) { SetEnabled(v); }).Default(1);
    list.Boolean("Filled", [this] { return Filled(); }, [this](bool v) { SetFlag(0, v); }).Default(0);
    list.Set("FrameSides", FrameSideIdents(), [this] { return std::uint32_t{frameSides_}; },
             [this](std::uint32_t v) { SetFrameSides(static_cast<TVELFrameSides>(v & AllFrameSides)); })
        .Default(AllFrameSides);
    hints_->DeclareParentShowHint(list);
    hints_->DeclareShowHint(list);
    list.Boolean("Soft", [this] { return Soft(); }, [this](bool v) { SetFlag(1, v); }).Default(0);
    list.Enum("StandardStyle", BorderStyleIdents(), [this] { return static_cast<int>(standardStyle_); },
              [this](int v) { SetStandardStyle(static_cast<TVELBorderStyle>(v)); })
        .Default(static_cast<int>(TVELBorderStyle::lsSingleLowered));
    list.Enum("Style", DrawEdgeStyleIdents(), [this] { return static_cast<int>(style_); },
              [this](int v) { SetStyle(static_cast<TVELDrawEdgeStyle>(v)); })
        .Default(0);
    list.Boolean("Visible", [this] { return Visible(); }, [this](bool v) { SetVisible(v); }).Default(1);
}

} // namespace velvane
